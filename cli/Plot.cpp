// vorida-cli plot: the picture of the area as SVG.
#include "Common.h"

#include "AreaPicture.h"
#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <iostream>

namespace vorida::cli {

namespace {

// Thousands separated by blanks, as Polish writes map scales (1:75 000).
std::string grouped(const std::string& digits)
{
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ' ';
        out += digits[i];
    }
    return out;
}

} // namespace

const char* const kPlotHelp
    = "Użycie: vorida-cli plot [--dir KATALOG] [--area PLIK] [--check KONTROLNE.txt]\n"
      "                       -o OBSZAR.svg\n"
      "Rysuje obszar z KATALOG/TRANSPKT.BIN (domyślnie bieżący katalog, a bez niego plik obok\n"
      "programu; --area: ten plik) w układzie krajowym\n"
      "(x na północ) na arkuszu A4, jako SVG: prostokąt obszaru przeliczeń, punkty\n"
      "dostosowania z nazwami, ich odchyłki dopasowania i odchyłki przy pominięciu punktu\n"
      "(strzałki w skali odchyłek), prawdopodobne błędy grube na czerwono i, z --check,\n"
      "punkty kontrolne z ich odchyłkami. Kierunek lokalny -> krajowy. -o -: rysunek na\n"
      "standardowe wyjście (podsumowanie wtedy na standardowe wyjście błędów).\n";

int plot(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--area", "--check", "-o" }, kPlotHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kPlotHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    if (!o->Output)
        return usage(kPlotHelp, "Podaj plik wynikowy: -o OBSZAR.svg");
    if (!loadArea(*o))
        return kFailure;
    if (AdjustmentPoints.empty()) {
        std::cerr << TTransPkt::kNoAdjustmentPoints << '\n';
        return kFailure;
    }
    CheckPointFile checks;
    if (o->Check && !readCheckPointFile(*o->Check, checks))
        return kFailure;
    AreaPicture picture;
    std::string svg;
    try {
        picture = PrepareAreaPicture(AdjustmentPoints, AreaName, SystemCode, checks.Points);
        svg = AreaSvg(picture);
    } catch (const std::exception& e) {
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    if (!writeWholeFile(*o->Output, svg))
        return kFailure;

    // The summary: on standard output, unless the picture went there.
    std::ostream& out = isStandardStream(*o->Output) ? std::cerr : std::cout;
    const PictureLayout l = LayOutPicture(picture);
    out << "Zapisano " << *o->Output << ": A4 " << (l.Landscape ? "poziomo" : "pionowo")
        << ", skala mapy 1:" << grouped(FormatDecimals(l.ScaleDenominator, 0)) << ", strzałka "
        << FormatDecimals(l.ArrowBarGround * l.ArrowScale, 0)
        << " mm = " << FormatDecimals(l.ArrowBarGround, 1) << " mm odchyłki\n";
    out << "Punkty dostosowania: " << AdjustmentPoints.size();
    if (picture.Fit != AreaFitStatus::Fitted)
        out << " (bez odchyłek dopasowania: dopasowanie niemożliwe)";
    out << '\n';
    if (picture.Loo && picture.Loo->Worst) {
        size_t blunders = 0;
        for (const LooDiscrepancy& d : picture.Loo->Points)
            blunders += d.Blunder ? 1 : 0;
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
    return kOk;
}

} // namespace vorida::cli
