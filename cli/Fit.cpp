// vorida-cli fit: the fit on the adjustment points and its residuals.
#include "Common.h"

#include "Cp1250.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <cmath>
#include <iostream>

namespace vorida::cli {

const char* const kFitHelp
    = "Użycie: vorida-cli fit [--dir KATALOG] [--to-local]\n"
      "Dopasowuje wielomian 3. stopnia na punktach KATALOG/TRANSPKT.BIN (domyślnie bieżący\n"
      "katalog), kierunek lokalny -> krajowy (--to-local: odwrotnie), i wypisuje odchyłki\n"
      "vx, vy, v w milimetrach oraz błąd średni m0.\n";

int fit(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--to-local" }, kFitHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kFitHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    CliPlatform messages;
    ScopedPlatform scope(messages);
    LoadPointFile(o->Directory + "/" + std::string(kDataFileName));
    if (!messages.Held.empty()) {
        messages.Release(std::cerr);
        return kFailure;
    }
    try {
        TrKonfAf.Fit(AdjustmentPoints, 3, o->ToLocal, 1);
    } catch (const std::exception& e) {
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    const TTrKonfAf& t = TrKonfAf;
    std::cout << "Obszar: " << Cp1250ToUtf8(AreaName) << '\n';
    std::cout << "Kierunek: " << (o->ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    std::cout << "Punktów dostosowania: " << t.PointCount << '\n';
    std::cout << "Układ osobliwy: " << (t.Singular ? "tak" : "nie") << '\n';
    std::string header;
    AppendRight(header, "nazwa", 16);
    AppendRight(header, "vx [mm]", 10);
    AppendRight(header, "vy [mm]", 10);
    AppendRight(header, "v [mm]", 10);
    std::cout << header << '\n';
    for (std::int32_t i = 1; i <= t.PointCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const Extended vx = t.ResidualX[k], vy = t.ResidualY[k];
        std::string row;
        AppendRight(row, Cp1250ToUtf8(AdjustmentPoints[k - 1].Name), 16);
        AppendRight(row, millimetres(vx), 10);
        AppendRight(row, millimetres(vy), 10);
        AppendRight(row, millimetres(std::sqrt(vx * vx + vy * vy)), 10);
        std::cout << row << '\n';
    }
    // Entry 1 of the solved equations is the sum of the squared residuals.
    const std::int32_t redundant = 2 * t.PointCount - 2 * (t.Degree + 1);
    if (redundant > 0 && !t.Singular)
        std::cout << "m0 = "
                  << millimetres(std::sqrt(t.Coefficients[1] / static_cast<Extended>(redundant)))
                  << " mm\n";
    else
        std::cout << "m0 = -\n";
    return t.Singular ? kFailure : kOk;
}

} // namespace vorida::cli
