// vorida-cli verify: the conversion measured on check points.
#include "Common.h"

#include "AreaFit.h"
#include "CheckPoints.h"
#include "Cp1250.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <iostream>

namespace vorida::cli {

const char* const kVerifyHelp
    = "Użycie: vorida-cli verify KONTROLNE.txt [--dir KATALOG] [--area PLIK] [--to-local]\n"
      "                         [--digits N]\n"
      "Przelicza punkty kontrolne (znane w obu układach, nie będące punktami dostosowania;\n"
      "\"-\": ze standardowego wejścia) transformacją z KATALOG/TRANSPKT.BIN (domyślnie\n"
      "bieżący katalog, a bez niego plik obok programu; --area: ten plik), kierunek lokalny ->\n"
      "krajowy (--to-local: odwrotnie), i wypisuje odchyłkę każdego punktu\n"
      "v = znane - przeliczone w milimetrach, czy punkt leży w obszarze, oraz max i RMS\n"
      "po punktach w obszarze. --digits N: wyniki zaokrąglone do N miejsc (0-18) tak jak\n"
      "w pliku wynikowym; bez tej opcji pełna dokładność.\n"
      "Plik: w każdej linii nazwa, x lok., y lok., x kraj., y kraj. (jak w plikach punktów,\n"
      "oddzielone spacjami lub tabulatorami); linie puste i zaczynające się od # są\n"
      "pomijane; linie nieczytelne są zgłaszane z numerem i pomijane.\n";

namespace {

std::string millimetres2(Extended metres)
{
    return FormatDecimals(metres * 1000.0L, 2);
}

} // namespace

int verify(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--area", "--to-local", "--digits" }, kVerifyHelp);
    if (!o)
        return kUsage;
    if (o->Positional.size() != 1)
        return usage(kVerifyHelp, "Podaj jeden plik punktów kontrolnych.");
    std::optional<int> digits;
    if (o->Digits) {
        auto d = ParseInt32(*o->Digits);
        if (!d || *d < 0 || *d > kMaxDecimals)
            return usage(kVerifyHelp, "Niepoprawna liczba miejsc: " + *o->Digits);
        digits = *d;
    }
    if (!loadArea(*o))
        return kFailure;
    CheckPointFile file;
    if (!readCheckPointFile(o->Positional[0], file))
        return kFailure;
    CheckSummary summary;
    try {
        switch (FitArea(TrKonfAf, AdjustmentPoints, o->ToLocal)) {
        case AreaFitStatus::Fitted:
            break;
        case AreaFitStatus::NoPoints:
            std::cerr << TTransPkt::kNoAdjustmentPoints << '\n';
            return kFailure;
        case AreaFitStatus::TooFewPositions:
            std::cerr << TTransPkt::kTooFewAdjustmentPoints << '\n';
            return kFailure;
        case AreaFitStatus::Singular:
            std::cerr << TTransPkt::kSingularFit << '\n';
            return kFailure;
        }
        summary = CompareCheckPoints(TrKonfAf, file.Points, o->ToLocal, AreaExtents, digits);
    } catch (const std::exception& e) {
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }

    std::cout << "Obszar: " << Cp1250ToUtf8(AreaName) << '\n';
    std::cout << "Kierunek: " << (o->ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    std::cout << "Punkty kontrolne: " << file.Points.size() << ", w obszarze " << summary.Inside
              << '\n';
    std::cout << "Wyniki: "
              << (digits ? "zaokrąglone do " + std::to_string(*digits) + " miejsc"
                         : std::string("pełna dokładność"))
              << "; v = znane - przeliczone\n";
    std::string header;
    AppendRight(header, "nazwa", 16);
    appendCell(header, "vx [mm]", 10);
    appendCell(header, "vy [mm]", 10);
    appendCell(header, "v [mm]", 10);
    header += "  w obszarze";
    std::cout << header << '\n';
    for (size_t i = 0; i < file.Points.size(); ++i) {
        const CheckDifference& d = summary.Points[i];
        std::string row;
        appendName(row, Cp1250ToUtf8(file.Points[i].Name), 16);
        if (d.Failed) {
            row += "  błąd obliczeń";
        } else {
            appendCell(row, millimetres2(d.Vx), 10);
            appendCell(row, millimetres2(d.Vy), 10);
            appendCell(row, millimetres2(d.V), 10);
        }
        row += d.Inside ? "  tak" : "  nie";
        std::cout << row << '\n';
    }
    if (!summary.Worst) {
        std::cout << "W obszarze: brak punktów kontrolnych\n";
        return kFailure;
    }
    std::cout << "W obszarze (" << summary.Inside << "): max " << millimetres2(summary.Max)
              << " mm (" << Cp1250ToUtf8(file.Points[*summary.Worst].Name) << "), RMS "
              << millimetres2(summary.Rms) << " mm\n";
    return kOk;
}

} // namespace vorida::cli
