// vorida-cli fit: the fit on the adjustment points and its residuals.
#include "AreaOptions.h"
#include "Common.h"

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

std::string residualHeader(size_t width)
{
    std::string header;
    AppendRight(header, "nazwa", 16);
    appendCell(header, "vx [mm]", width);
    appendCell(header, "vy [mm]", width);
    appendCell(header, "v [mm]", width);
    return header;
}

const char* statusText(const LooDiscrepancy& d)
{
    if (d.Failed)
        return "błąd obliczeń bez tego punktu";
    switch (d.Status) {
    case AreaFitStatus::Singular:
        return "układ osobliwy bez tego punktu";
    case AreaFitStatus::TooFewPositions:
    case AreaFitStatus::NoPoints:
        return "za mało położeń bez tego punktu";
    case AreaFitStatus::Fitted:
        break;
    }
    return "";
}

std::string looHeader()
{
    std::string header = residualHeader(10);
    appendCell(header, "próg [mm]", 11); // "ó" takes two bytes
    appendCell(header, "mwb [mm]", 10);
    return header;
}

// One round's table: every point judged, its discrepancy, its threshold and its labels.
void printRound(VerbStreams& io, const ScreeningRound& round, const TPktDostosowania& points)
{
    io.Out << looHeader() << '\n';
    const LooResult& loo = round.Loo;
    for (size_t k = 0; k < round.Members.size(); ++k) {
        const LooDiscrepancy& d = loo.Points[k];
        std::string row;
        appendName(row, Cp1250ToUtf8(points[round.Members[k]].Name), 16);
        if (d.Computed()) {
            appendCell(row, millimetres(d.Vx), 10);
            appendCell(row, millimetres(d.Vy), 10);
            appendCell(row, millimetres(d.V), 10);
            appendCell(row, d.Threshold > 0.0L ? millimetres(d.Threshold) : "-", 10);
            appendCell(row, d.Detectable > 0.0L ? millimetres(d.Detectable) : "-", 10);
            std::string labels;
            if (d.Extrapolated)
                labels = "ekstrapolacja";
            if (loo.MostOver == k || (round.NamedWithIt && round.Members[k] == *round.NamedWithIt))
                labels += (labels.empty() ? "" : ", ") + std::string("błąd gruby?");
            else if (d.Blunder)
                labels += (labels.empty() ? "" : ", ") + std::string("ponad próg");
            if (d.Copies > 1)
                labels += (labels.empty() ? "" : ", ") + std::string("powtórzone położenie");
            if (d.Partner)
                labels += (labels.empty() ? "" : ", ") + std::string("pominięty razem z ")
                    + Cp1250ToUtf8(points[round.Members[*d.Partner]].Name);
            if (!labels.empty())
                row += "  " + labels;
        } else {
            row += "  ";
            row += statusText(d);
        }
        io.Out << row << '\n';
    }
    if (loo.Worst) {
        io.Out << "RMS v = " << millimetres(loo.Rms) << " mm ("
               << CountOf(static_cast<std::int64_t>(loo.Computed), "punkt", "punkty", "punktów")
               << ")\n";
        io.Out << "Największa: " << Cp1250ToUtf8(points[round.Members[*loo.Worst]].Name)
               << ", v = " << millimetres(loo.Points[*loo.Worst].V) << " mm\n";
        std::vector<std::string> names;
        for (size_t i : round.Members)
            names.push_back(Cp1250ToUtf8(points[i].Name));
        for (const std::string& line : ScreeningSummary(loo, names))
            io.Out << line << '\n';
        for (const std::string& line : VerdictLines(loo, names))
            io.Out << line << '\n';
    }
}

ExitStatus leaveOneOut(
    VerbStreams& io, const Options& o, const AreaOptions& options, unsigned threads)
{
    PreparedArea area;
    if (const ExitStatus status = prepareArea(io, o, options, !o.ToLocal, area);
        status != ExitStatus::Ok)
        return status;
    const TPktDostosowania& points = area.Whole.Points;
    const std::vector<bool>& excluded = area.Excluded;
    const TPktDostosowania& kept = area.Kept;
    const Extended tolerance = options.Tolerance.value_or(kDefaultTolerance);
    if (kept.size() < kMinimumPointsForLeaveOneOut) {
        io.Err << "Za mało punktów dostosowania: odchyłki przy pominięciu punktu wymagają co "
                  "najmniej "
               << kMinimumPointsForLeaveOneOut << " punktów (jest " << kept.size() << ").\n";
        return ExitStatus::Failure;
    }
    Screening screening;
    try {
        screening = ScreenBlunders(points, o.ToLocal, excluded, tolerance, threads);
    } catch (const Error& e) {
        return computationFailed(io, e);
    }
    io.Out << "Obszar: " << Cp1250ToUtf8(area.Whole.Name) << '\n';
    io.Out << "Kierunek: " << (o.ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    io.Out << "Punktów dostosowania: " << kept.size() << '\n';
    if (!options.Exclude.empty())
        io.Out << "Wyłączone z oceny: " << excludedNames(points, excluded) << '\n';
    io.Out << "Próg punktu: " << BlunderRuleText(tolerance)
           << " (s: spodziewane odchylenie punktu); \"ekstrapolacja\": punkt poza otoczką "
              "wypukłą pozostałych\n";
    if (const std::string weak = WeakScreeningWarning(kept.size()); !weak.empty())
        io.Err << weak << '\n';
    io.Out << "Odchyłki przy pominięciu punktu, v = znane - przeliczone z pozostałych:\n";
    std::string named;
    for (size_t r = 0; r < screening.Rounds.size(); ++r) {
        const ScreeningRound& round = screening.Rounds[r];
        if (screening.Rounds.size() > 1)
            io.Out << "Runda " << (r + 1)
                   << (named.empty() ? std::string(": wszystkie punkty") : ": bez " + named)
                   << '\n';
        printRound(io, round, points);
        if (r == 0 && !round.Loo.Worst) {
            io.Out << "Żadnej odchyłki nie udało się obliczyć.\n";
            return ExitStatus::Failure;
        }
        if (round.NamedAsBlunder)
            named += (named.empty() ? "" : ", ") + Cp1250ToUtf8(points[*round.NamedAsBlunder].Name);
        if (round.NamedWithIt)
            named += ", " + Cp1250ToUtf8(points[*round.NamedWithIt].Name);
    }
    if (!screening.Complete)
        io.Out << "Ocena przerwana: zostało mniej niż " << kMinimumPointsForLeaveOneOut
               << " punktów.\n";
    io.Out << "Prawdopodobne błędy grube (" << BlunderRuleText(tolerance)
           << ", po jednym): " << (named.empty() ? "brak" : named) << '\n';
    return ExitStatus::Ok;
}

// The fit's residuals at its adjustment points and m0.
void printResiduals(VerbStreams& io, const TTrKonfAf& t, const TPktDostosowania& kept)
{
    // Number cells of 10 characters with at least one blank before each.
    io.Out << residualHeader(9) << '\n';
    for (std::int32_t i = 1; i <= t.PointCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const Extended vx = t.ResidualX[k], vy = t.ResidualY[k];
        std::string row;
        appendName(row, Cp1250ToUtf8(kept[k - 1].Name), 16);
        appendCell(row, millimetres(vx), 9);
        appendCell(row, millimetres(vy), 9);
        appendCell(row, millimetres(std::sqrt(vx * vx + vy * vy)), 9);
        io.Out << row << '\n';
    }
    if (const auto m0 = t.M0())
        io.Out << "m0 = " << millimetres(*m0) << " mm\n";
    else
        io.Out << "m0 = -\n";
}

ExitStatus fit(VerbStreams& io, const Options& o)
{
    const VerbSpec& verb = fitVerb();
    const auto options = readAreaOptions(io, verb, o);
    if (!options)
        return ExitStatus::Usage;
    if (!o.Operands.empty())
        return usage(io, verb, "Nieoczekiwany argument: " + o.Operands[0]);
    const auto threads = readThreads(io, verb, o);
    if (!threads)
        return ExitStatus::Usage;
    if (o.Loo)
        return leaveOneOut(io, o, *options, *threads);
    if (options->Tolerance || o.Threads)
        return usage(io, verb, "--tolerance i --threads tylko z --loo");
    PreparedArea area;
    if (const ExitStatus status = prepareArea(io, o, *options, !o.ToLocal, area);
        status != ExitStatus::Ok)
        return status;
    const TTrKonfAf& t = area.Fit;
    io.Out << "Obszar: " << Cp1250ToUtf8(area.Whole.Name) << '\n';
    io.Out << "Kierunek: " << (o.ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    io.Out << "Punktów dostosowania: " << t.PointCount << '\n';
    if (!options->Exclude.empty())
        io.Out << "Wyłączone: " << excludedNames(area.Whole.Points, area.Excluded) << '\n';
    io.Out << "Układ osobliwy: " << (t.Singular ? "tak" : "nie") << '\n';
    printResiduals(io, t, area.Kept);
    return t.Singular ? ExitStatus::Failure : ExitStatus::Ok;
}

} // namespace

const VerbSpec& fitVerb()
{
    static const VerbSpec verb { "fit", "dopasowanie transformacji i odchyłki na punktach", "",
        "Dopasowuje wielomian 3. stopnia na punktach KATALOG/TRANSPKT.BIN (domyślnie bieżący\n"
        "katalog, a bez niego plik obok programu; --area: ten plik obszaru), kierunek\n"
        "lokalny -> krajowy (--to-local: odwrotnie), i wypisuje odchyłki\n"
        "vx, vy, v w milimetrach oraz błąd średni m0.\n",
        {
            dirOption(),
            areaOption(),
            toLocalOption(),
            excludeOption("obszar oceniany tak, jakby tych punktów w nim nie było (plik bez "
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
            toleranceOption("tolerancja zamiast " + PlainNumber(kDefaultTolerance * 1000.0L)
                + " mm (tylko z --loo)"),
            threadsOption("liczba wątków (domyślnie jeden na rdzeń, wyniki te same; tylko z "
                          "--loo)"),
        },
        fit };
    return verb;
}

} // namespace vorida::cli
