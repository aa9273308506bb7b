// vorida-cli plot: the picture of the area as SVG.
#include "AreaOptions.h"
#include "Common.h"

#include "AreaText.h"
#include "AreaWarnings.h"

#include "AreaSvg.h"
#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <iostream>

namespace vorida::cli {

namespace {

const std::string plotHelpText
    = "Użycie: vorida-cli plot [--dir KATALOG] [--area PLIK] [--check KONTROLNE.txt]\n"
      "                       [--scale N] [--tolerance MM] [--exclude NAZWA[,NAZWA...]]\n"
      "                       [--center NAZWA] [--threads N] -o OBSZAR.svg\n"
      "Rysuje obszar z KATALOG/TRANSPKT.BIN (domyślnie bieżący katalog, a bez niego plik obok\n"
      "programu; --area: ten plik) w układzie krajowym\n"
      "(x na północ) na arkuszu A4, jako SVG: punkty dostosowania i kontrolne w ramce z\n"
      "marginesem, siatka współrzędnych, prostokąt obszaru przeliczeń (punkty dostosowania\n"
      "+ "
    + AreaMarginText()
    + ", przycięty do ramki), nazwy punktów bez nakładania (gdy brak miejsca,\n"
      "nazwa jest pomijana: najpierw nazywane są błędy grube, punkty ekstrapolowane i\n"
      "największe odchyłki), odchyłki dopasowania i przy pominięciu punktu (strzałki w skali\n"
      "odchyłek), prawdopodobne błędy grube na czerwono i, z --check, punkty kontrolne z ich\n"
      "odchyłkami. Kierunek lokalny -> krajowy. --scale N: skala mapy 1:N zamiast okrągłej\n"
      "dobranej do ramki. --center NAZWA: mapa wyśrodkowana na tym punkcie dostosowania (z "
      "--scale:\n"
      "powiększenie w dowolnym miejscu; błędy grube poza mapą wymienione w legendzie).\n"
      "--tolerance, --exclude, --threads: jak w fit --loo. -o -: rysunek\n"
      "na standardowe wyjście (podsumowanie wtedy na standardowe wyjście błędów).\n";

} // namespace

const char* const kPlotHelp = plotHelpText.c_str();

int plot(VerbStreams& io, const std::vector<std::string>& args)
{
    std::vector<std::string> rest = args;
    const auto area = takeAreaOptions(
        io, rest, { "--tolerance", "--exclude", "--scale", "--center" }, kPlotHelp);
    if (!area)
        return kUsage;
    auto o = parseOptions(io, rest, { "--dir", "--area", "--check", "-o", "--threads" }, kPlotHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(io, kPlotHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    if (!o->Output)
        return usage(io, kPlotHelp, "Podaj plik wynikowy: -o OBSZAR.svg");
    const auto threads = parseAreaThreads(io, o->Threads, kPlotHelp);
    if (!threads)
        return kUsage;
    FilePlan plan;
    plan.Reads(areaPath(io, *o, false));
    if (o->Check)
        plan.Reads(*o->Check);
    plan.Writes(*o->Output);
    if (const auto refused = refuseClash(io, plan))
        return *refused;
    if (!loadArea(io, *o))
        return kFailure;
    std::vector<bool> excluded;
    if (!markExcluded(io, AdjustmentPoints, area->Exclude, excluded))
        return kUsage;
    const TPktDostosowania kept = withoutExcluded(AdjustmentPoints, excluded);
    try {
        TTrKonfAf whole;
        if (!fitOrRefuse(io, whole, kept, false))
            return kFailure;
        for (const std::string& warning : AreaWarnings(AdjustmentPoints, SystemCode))
            io.Err << warning << '\n';
    } catch (const std::exception& e) {
        io.Err << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    if (const std::string weak = WeakScreeningWarning(kept.size()); !weak.empty())
        io.Err << weak << '\n';
    CheckPointFile checks;
    if (o->Check && !readCheckPointFile(io, *o->Check, checks))
        return kFailure;
    AreaPicture picture;
    std::string svg;
    LabelCounts labels;
    try {
        picture = PrepareAreaPicture(kept, AreaName, SystemCode, checks.Points,
            area->Tolerance.value_or(kDefaultTolerance), *threads);
        picture.Scale = area->Scale;
        if (area->Center) {
            picture.Centre = FindPoint(kept, *area->Center);
            if (!picture.Centre)
                return usage(io, kPlotHelp, "Brak punktu dostosowania " + *area->Center);
        }
        picture.Excluded = excludedNames(AdjustmentPoints, excluded);
        svg = AreaSvg(picture, &labels);
    } catch (const std::exception& e) {
        io.Err << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    if (!writeWholeFile(io, *o->Output, svg))
        return kFailure;

    // The summary: on standard output, unless the picture went there.
    std::ostream& out = IsStandardStream(*o->Output) ? io.Err : io.Out;
    const PictureLayout l = LayOutPicture(picture);
    out << "Zapisano " << *o->Output << ": A4 " << (l.Landscape ? "poziomo" : "pionowo")
        << ", skala mapy 1:" << GroupThousands(FormatDecimals(l.ScaleDenominator, 0), " ")
        << ", strzałka " << FormatDecimals(l.ArrowBarGround * l.ArrowScale, 0)
        << " mm = " << FormatDecimals(l.ArrowBarGround, 1) << " mm odchyłki\n";
    out << "Punkty dostosowania: " << kept.size();
    if (!area->Exclude.empty())
        out << " (bez " << picture.Excluded << ")";
    if (picture.Fit != AreaFitStatus::Fitted)
        out << " (bez odchyłek dopasowania: dopasowanie niemożliwe)";
    out << '\n';
    if (picture.Loo && picture.Loo->Worst) {
        size_t blunders = 0;
        for (bool named : picture.Named)
            blunders += named ? 1 : 0;
        out << "Odchyłki przy pominięciu punktu: RMS " << millimetres(picture.Loo->Rms)
            << " mm, prawdopodobne błędy grube: " << blunders << '\n';
    } else {
        out << "Odchyłki przy pominięciu punktu: za mało punktów\n";
    }
    if (picture.CheckResults) {
        const CheckSummary& s = *picture.CheckResults;
        out << "Punkty kontrolne: " << checks.Points.size() << ", w obszarze " << s.Inside;
        if (s.Inside > 0)
            out << ", max " << millimetres(s.Max) << " mm, RMS " << millimetres(s.Rms) << " mm";
        out << '\n';
    }
    out << "Nazwy: " << (labels.Names - labels.NamesLeftOut) << " z " << labels.Names
        << ", pominięte z braku miejsca: " << labels.NamesLeftOut;
    if (labels.Cuts > 0)
        out << "; długości skróconych strzałek: " << (labels.Cuts - labels.CutsLeftOut) << " z "
            << labels.Cuts;
    out << '\n';
    return kOk;
}

} // namespace vorida::cli
