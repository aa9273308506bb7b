// vorida-cli fit: the fit on the adjustment points and its residuals.
#include "Common.h"

#include "Cp1250.h"
#include "LeaveOneOut.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <cmath>
#include <iostream>

namespace vorida::cli {

const char* const kFitHelp
    = "Użycie: vorida-cli fit [--dir KATALOG] [--area PLIK] [--to-local] [--loo]\n"
      "Dopasowuje wielomian 3. stopnia na punktach KATALOG/TRANSPKT.BIN (domyślnie bieżący\n"
      "katalog, a bez niego plik obok programu; --area: ten plik obszaru), kierunek\n"
      "lokalny -> krajowy (--to-local: odwrotnie), i wypisuje odchyłki\n"
      "vx, vy, v w milimetrach oraz błąd średni m0.\n"
      "--loo: dla każdego punktu dostosowania dopasowanie na wszystkich pozostałych (z korektą\n"
      "Hausbrandta) i odchyłka punktu v = znane - przeliczone; RMS, największa odchyłka i\n"
      "prawdopodobne błędy grube (v > 3 × RMS odchyłek pozostałych). Wymaga co najmniej\n"
      "5 punktów.\n";

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

int leaveOneOut(const Options& o)
{
    if (!loadArea(o))
        return kFailure;
    if (AdjustmentPoints.size() < kMinimumPointsForLeaveOneOut) {
        std::cerr << "Za mało punktów dostosowania: odchyłki przy pominięciu punktu wymagają co "
                     "najmniej "
                  << kMinimumPointsForLeaveOneOut << " punktów (jest " << AdjustmentPoints.size()
                  << ").\n";
        return kFailure;
    }
    LooResult loo;
    try {
        // A coordinate that is not a number fails the whole set here, once.
        TTrKonfAf whole;
        FitArea(whole, AdjustmentPoints, o.ToLocal);
        loo = LeaveOneOut(AdjustmentPoints, o.ToLocal);
    } catch (const std::exception& e) {
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    std::cout << "Obszar: " << Cp1250ToUtf8(AreaName) << '\n';
    std::cout << "Kierunek: " << (o.ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    std::cout << "Punktów dostosowania: " << AdjustmentPoints.size() << '\n';
    std::cout << "Odchyłki przy pominięciu punktu, v = znane - przeliczone z pozostałych:\n";
    std::cout << residualHeader(10) << '\n';
    for (size_t i = 0; i < AdjustmentPoints.size(); ++i) {
        const LooDiscrepancy& d = loo.Points[i];
        std::string row;
        appendName(row, Cp1250ToUtf8(AdjustmentPoints[i].Name), 16);
        if (d.Computed()) {
            appendCell(row, millimetres(d.Vx), 10);
            appendCell(row, millimetres(d.Vy), 10);
            appendCell(row, millimetres(d.V), 10);
            if (d.Blunder)
                row += "  błąd gruby?";
        } else {
            row += "  ";
            row += statusText(d);
        }
        std::cout << row << '\n';
    }
    if (!loo.Worst) {
        std::cout << "Żadnej odchyłki nie udało się obliczyć.\n";
        return kFailure;
    }
    std::cout << "RMS v = " << millimetres(loo.Rms) << " mm (" << loo.Computed << " punktów)\n";
    std::cout << "Największa: " << Cp1250ToUtf8(AdjustmentPoints[*loo.Worst].Name)
              << ", v = " << millimetres(loo.Points[*loo.Worst].V) << " mm\n";
    std::string blunders;
    for (size_t i = 0; i < AdjustmentPoints.size(); ++i)
        if (loo.Points[i].Blunder)
            blunders += (blunders.empty() ? "" : ", ") + Cp1250ToUtf8(AdjustmentPoints[i].Name);
    std::cout << "Prawdopodobne błędy grube (v > 3 × RMS pozostałych): "
              << (blunders.empty() ? "brak" : blunders) << '\n';
    return kOk;
}

} // namespace

int fit(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--area", "--to-local", "--loo" }, kFitHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kFitHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    if (o->Loo)
        return leaveOneOut(*o);
    const std::string area = areaPath(*o);
    CliPlatform messages;
    ScopedPlatform scope(messages);
    LoadPointFile(area);
    if (!messages.Held.empty()) {
        messages.Release(std::cerr);
        return kFailure;
    }
    try {
        TrKonfAf.Fit(AdjustmentPoints, kProgramDegree, o->ToLocal, kHausbrandtCorrection);
    } catch (const std::exception& e) {
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    const TTrKonfAf& t = TrKonfAf;
    std::cout << "Obszar: " << Cp1250ToUtf8(AreaName) << '\n';
    std::cout << "Kierunek: " << (o->ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    std::cout << "Punktów dostosowania: " << t.PointCount << '\n';
    std::cout << "Układ osobliwy: " << (t.Singular ? "tak" : "nie") << '\n';
    // Number cells of 10 characters with at least one blank before each.
    std::cout << residualHeader(9) << '\n';
    for (std::int32_t i = 1; i <= t.PointCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const Extended vx = t.ResidualX[k], vy = t.ResidualY[k];
        std::string row;
        appendName(row, Cp1250ToUtf8(AdjustmentPoints[k - 1].Name), 16);
        appendCell(row, millimetres(vx), 9);
        appendCell(row, millimetres(vy), 9);
        appendCell(row, millimetres(std::sqrt(vx * vx + vy * vy)), 9);
        std::cout << row << '\n';
    }
    if (const auto m0 = t.M0())
        std::cout << "m0 = " << millimetres(*m0) << " mm\n";
    else
        std::cout << "m0 = -\n";
    return t.Singular ? kFailure : kOk;
}

} // namespace vorida::cli
