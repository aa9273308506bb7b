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
    = "Użycie: vorida-cli plot [--dir KATALOG] [--check KONTROLNE.txt] -o OBSZAR.svg\n"
      "Rysuje obszar z KATALOG/TRANSPKT.BIN (domyślnie bieżący katalog) w układzie krajowym\n"
      "(x na północ) na arkuszu A4, jako SVG: prostokąt obszaru przeliczeń, punkty\n"
      "dostosowania z nazwami, ich odchyłki dopasowania i odchyłki przy pominięciu punktu\n"
      "(strzałki w skali odchyłek), prawdopodobne błędy grube na czerwono i, z --check,\n"
      "punkty kontrolne z ich odchyłkami. Kierunek lokalny -> krajowy.\n";

int plot(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--check", "-o" }, kPlotHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kPlotHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    if (!o->Output)
        return usage(kPlotHelp, "Podaj plik wynikowy: -o OBSZAR.svg");
    if (!loadArea(o->Directory))
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
    try {
        OutputFile out;
        out.Create(*o->Output);
        out.Write(svg);
        out.Close();
    } catch (const FileError&) {
        std::cerr << "Nie można zapisać pliku " << *o->Output << '\n';
        return kFailure;
    }

    const PictureLayout l = LayOutPicture(picture);
    std::cout << "Zapisano " << *o->Output << ": A4 " << (l.Landscape ? "poziomo" : "pionowo")
              << ", skala mapy 1:" << grouped(FormatDecimals(l.ScaleDenominator, 0))
              << ", strzałka " << FormatDecimals(l.ArrowBarGround * l.ArrowScale, 0)
              << " mm = " << FormatDecimals(l.ArrowBarGround, 1) << " mm odchyłki\n";
    std::cout << "Punkty dostosowania: " << AdjustmentPoints.size();
    if (picture.Fit != AreaFitStatus::Fitted)
        std::cout << " (bez odchyłek dopasowania: dopasowanie niemożliwe)";
    std::cout << '\n';
    if (picture.Loo && picture.Loo->Worst) {
        size_t blunders = 0;
        for (const LooDiscrepancy& d : picture.Loo->Points)
            blunders += d.Blunder ? 1 : 0;
        std::cout << "Odchyłki przy pominięciu punktu: RMS " << millimetres(picture.Loo->Rms)
                  << " mm, prawdopodobne błędy grube: " << blunders << '\n';
    } else {
        std::cout << "Odchyłki przy pominięciu punktu: za mało punktów\n";
    }
    if (picture.CheckResults) {
        const CheckSummary& s = *picture.CheckResults;
        std::cout << "Punkty kontrolne: " << checks.Points.size() << ", w obszarze " << s.Inside;
        if (s.Inside > 0)
            std::cout << ", max " << millimetres(s.Max) << " mm, RMS " << millimetres(s.Rms)
                      << " mm";
        std::cout << '\n';
    }
    return kOk;
}

} // namespace vorida::cli
