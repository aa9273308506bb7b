// vorida-cli fit: the fit on the adjustment points and its residuals.
#include "AreaOptions.h"

#include "AreaReport.h"
#include "AreaText.h"
#include "AreaVerdicts.h"
#include "AreaWarnings.h"

#include "Cp1250.h"
#include "LeaveOneOut.h"
#include "Numbers.h"

#include <cmath>
#include <iostream>

namespace vorida::cli {

namespace {

ExitStatus leaveOneOut(
    VerbStreams& io, const Options& o, const AreaOptions& options, unsigned threads)
{
    PreparedArea area;
    if (const ExitStatus status = PrepareArea(io, o, options, o.Direction, area);
        status != ExitStatus::Ok)
        return status;
    const TPktDostosowania& points = area.Whole.Points;
    const std::vector<bool>& excluded = area.Excluded;
    const TPktDostosowania& kept = area.Kept;
    const Extended tolerance = options.Tolerance.value_or(kDefaultTolerance);
    if (kept.size() < kMinimumPointsForLeaveOneOut) {
        io.Err << TooFewForScreeningText(kept.size()) << '\n';
        return ExitStatus::Failure;
    }
    Screening screening;
    try {
        screening = ScreenBlunders(points, o.Direction, excluded, tolerance, threads);
    } catch (const Error& e) {
        return ComputationFailed(io, e);
    }
    const ReportHeading heading { area.Whole.Name, o.Direction, ExcludedNames(points, excluded) };
    io.Out << JoinLines(ScreeningHeading(heading, kept.size(), tolerance));
    if (const std::string weak = WeakScreeningWarning(kept.size()); !weak.empty())
        io.Err << weak << '\n';
    io.Out << JoinLines(ScreeningRounds(screening, points, tolerance));
    return FirstRoundFailed(screening) ? ExitStatus::Failure : ExitStatus::Ok;
}

ExitStatus fit(VerbStreams& io, const Options& o)
{
    const VerbRow& verb = FitVerb();
    const auto options = ReadAreaOptions(io, verb, o);
    if (!options)
        return ExitStatus::Usage;
    if (!o.Operands.empty())
        return Usage(io, verb, "Nieoczekiwany argument: " + o.Operands[0]);
    const auto threads = ReadThreads(io, verb, o);
    if (!threads)
        return ExitStatus::Usage;
    if (o.Loo)
        return leaveOneOut(io, o, *options, *threads);
    if (options->Tolerance || o.Threads)
        return Usage(io, verb, "--tolerance i --threads tylko z --loo");
    PreparedArea area;
    if (const ExitStatus status = PrepareArea(io, o, *options, o.Direction, area);
        status != ExitStatus::Ok)
        return status;
    const TTrKonfAf& t = area.Fit;
    const ReportHeading heading { area.Whole.Name, o.Direction,
        ExcludedNames(area.Whole.Points, area.Excluded) };
    io.Out << JoinLines(FitReport(heading, t, area.Kept));
    return t.Singular ? ExitStatus::Failure : ExitStatus::Ok;
}

} // namespace

const VerbRow& FitVerb()
{
    static const VerbRow verb { "fit", "dopasowanie transformacji i odchyłki na punktach", "",
        "Dopasowuje wielomian 3. stopnia na punktach KATALOG/TRANSPKT.BIN (domyślnie bieżący\n"
        "katalog, a bez niego plik obok programu; --area: ten plik obszaru), kierunek\n"
        "lokalny -> krajowy (--to-local: odwrotnie), i wypisuje odchyłki\n"
        "vx, vy, v w milimetrach oraz błąd średni m0.\n",
        {
            DirOption(),
            AreaOption(),
            ToLocalOption(),
            ExcludeOption("obszar oceniany tak, jakby tych punktów w nim nie było (plik bez "
                          "zmian)"),
            { "--loo", "", &Options::Loo,
                "dla każdego punktu dostosowania dopasowanie na wszystkich pozostałych (z "
                "korektą Hausbrandta) i odchyłka punktu v = znane - przeliczone, obok niej próg "
                "punktu; RMS, największa odchyłka i prawdopodobne błędy grube, wskazywane po "
                "jednym: z punktów ponad progiem ten o największej odchyłce, potem ocena od "
                "nowa bez niego, aż żaden nie przekroczy progu (każda runda wypisana). Próg: "
                    + BlunderRuleText(kDefaultTolerance)
                    + ", gdzie s to spodziewane odchylenie punktu (szum obszaru i geometria "
                      "dopasowania); mwb: najmniejszy błąd, który reguła wskaże w tym punkcie. "
                      "Wymaga co najmniej "
                    + std::to_string(kMinimumPointsForLeaveOneOut) + " punktów." },
            ToleranceOption("tolerancja zamiast " + PlainNumber(kDefaultTolerance * 1000.0L)
                + " mm (tylko z --loo)"),
            ThreadsOption("liczba wątków (domyślnie jeden na rdzeń, wyniki te same; tylko z "
                          "--loo)"),
        },
        fit };
    return verb;
}

} // namespace vorida::cli
