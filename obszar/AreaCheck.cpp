#include "AreaCheck.h"

#include "AreaText.h"
#include "AreaWarnings.h"
#include "Cp1250.h"
#include "Numbers.h"

#include <cmath>

namespace vorida::obszar {

std::optional<AreaFile> ReadAreaFile(const std::string& path, std::string& error)
{
    AreaFile area;
    area.Path = path;
    TPktBIN reader;
    if (!reader.LoadPointFile(path, area.Name, area.SystemCode, area.Points)) {
        error = "Nie można odczytać pliku obszaru " + path;
        return std::nullopt;
    }
    return area;
}

std::string Millimetres(Extended metres, int decimals)
{
    return FormatDecimals(metres * 1000.0L, decimals);
}

std::string Coordinate(Extended metres)
{
    return FormatDecimals(metres, 3);
}

std::string CheckPlace(const CheckDifference& d)
{
    return !d.Inside ? "poza obszarem" : d.InsideHull ? "w otoczce" : "poza otoczką";
}

std::string ExcludeList(const AreaFile& area, const std::vector<bool>& excluded)
{
    std::string list;
    for (size_t i = 0; i < area.Points.size() && i < excluded.size(); ++i)
        if (excluded[i]) {
            const std::string name = Cp1250ToUtf8(area.Points[i].Name);
            bool listed = false; // a name shared by two points leaves out both, once named
            for (size_t j = 0; j < i; ++j)
                listed = listed || (excluded[j] && area.Points[j].Name == area.Points[i].Name);
            if (listed)
                continue;
            // --exclude's escapes: a comma within a name, and a backslash.
            std::string escaped;
            for (char c : name)
                escaped += c == ',' || c == '\\' ? std::string { '\\', c } : std::string(1, c);
            list += (list.empty() ? "" : ",") + escaped;
        }
    return list;
}

namespace {

std::string checkStatistics(
    const char* label, const CheckStatistics& s, const std::vector<CheckPoint>& checks)
{
    std::string line = std::string(label) + " (" + std::to_string(s.Count) + ")";
    if (s.Count == 0 || !s.Worst)
        return line + ": brak";
    return line + ": max " + Millimetres(s.Max, 2) + " mm (" + Cp1250ToUtf8(checks[*s.Worst].Name)
        + "), RMS " + Millimetres(s.Rms, 2) + " mm; średnio vx " + Millimetres(s.MeanVx, 2)
        + ", vy " + Millimetres(s.MeanVy, 2) + " mm; m_x " + Millimetres(s.Mx, 2) + ", m_y "
        + Millimetres(s.My, 2) + " mm";
}

std::string flagText(const LooResult& loo, size_t k)
{
    const LooDiscrepancy& d = loo.Points[k];
    std::string labels;
    auto add = [&labels](const char* label) {
        labels += (labels.empty() ? "" : ", ") + std::string(label);
    };
    if (d.Extrapolated)
        add("ekstrapolacja");
    if (loo.MostOver == k)
        add("błąd gruby?");
    else if (d.Blunder)
        add("ponad próg");
    if (d.Copies > 1)
        add("powtórzone położenie");
    return labels;
}

} // namespace

std::vector<std::string> CheckSummaryLines(
    const CheckSummary& summary, const std::vector<CheckPoint>& checks)
{
    std::vector<std::string> lines;
    lines.push_back("Punkty kontrolne: " + std::to_string(checks.size()) + ", w obszarze "
        + std::to_string(summary.Inside) + " (w otoczce punktów dostosowania "
        + std::to_string(summary.Hull.Count) + ", poza nią " + std::to_string(summary.Beyond.Count)
        + ")");
    if (!summary.Worst) {
        lines.push_back("W obszarze: brak punktów kontrolnych");
        return lines;
    }
    lines.push_back("W obszarze (" + std::to_string(summary.Inside) + "): max "
        + Millimetres(summary.Max, 2) + " mm (" + Cp1250ToUtf8(checks[*summary.Worst].Name)
        + "), RMS " + Millimetres(summary.Rms, 2) + " mm");
    lines.push_back("  średnio vx " + Millimetres(summary.Area.MeanVx, 2) + ", vy "
        + Millimetres(summary.Area.MeanVy, 2) + " mm; m_x " + Millimetres(summary.Area.Mx, 2)
        + ", m_y " + Millimetres(summary.Area.My, 2) + " mm");
    lines.push_back(checkStatistics("W otoczce punktów dostosowania", summary.Hull, checks));
    lines.push_back(checkStatistics("Poza otoczką, w obszarze", summary.Beyond, checks));
    return lines;
}

namespace {

// The screening of fit --loo and its lines in the summary; the rows get their leave-one-out
// figures and flags.
void screen(AreaCheck& result, const AreaFile& area, const CheckOptions& options,
    const std::vector<bool>& excluded, size_t keptCount)
{
    if (keptCount >= kMinimumPointsForLeaveOneOut) {
        result.Screened
            = ScreenBlunders(area.Points, options.ToLocal, excluded, options.Tolerance, 0);
        const ScreeningRound& first = result.Screened->Rounds.front();
        const LooResult& loo = first.Loo;
        for (size_t m = 0; m < first.Members.size(); ++m) {
            PointRow& row = result.Rows[first.Members[m]];
            row.Loo = loo.Points[m];
            if (loo.Points[m].Computed()) {
                row.FlagText = flagText(loo, m);
                row.Flags |= loo.Points[m].Extrapolated ? kExtrapolated : 0U;
                row.Flags |= loo.Points[m].Copies > 1 ? kRepeated : 0U;
                row.Flags |= loo.Points[m].Blunder ? kOverThreshold : 0U;
            }
        }
        std::string named;
        for (size_t i : result.Screened->Blunders) {
            result.Rows[i].Flags |= kNamedBlunder;
            named += (named.empty() ? "" : ", ") + result.Rows[i].Name;
        }
        if (loo.Worst) {
            result.Summary.push_back("RMS v = " + Millimetres(loo.Rms, 1) + " mm ("
                + CountOf(static_cast<std::int64_t>(loo.Computed), "punkt", "punkty", "punktów")
                + ")");
            result.Summary.push_back("Największa: " + result.Rows[first.Members[*loo.Worst]].Name
                + ", v = " + Millimetres(loo.Points[*loo.Worst].V, 1) + " mm");
            std::vector<std::string> names;
            for (size_t i : first.Members)
                names.push_back(result.Rows[i].Name);
            for (const std::string& line : ScreeningSummary(loo, names))
                result.Summary.push_back(line);
        }
        if (!result.Screened->Complete)
            result.Summary.push_back("Ocena przerwana: zostało mniej niż "
                + std::to_string(kMinimumPointsForLeaveOneOut) + " punktów.");
        result.Summary.push_back("Prawdopodobne błędy grube (" + BlunderRuleText(options.Tolerance)
            + ", po jednym): " + (named.empty() ? "brak" : named));
    } else {
        result.Summary.push_back(
            "Za mało punktów dostosowania: odchyłki przy pominięciu punktu wymagają co "
            "najmniej "
            + std::to_string(kMinimumPointsForLeaveOneOut) + " punktów (jest "
            + std::to_string(keptCount) + ").");
    }
}

// The screening of the picture of the points kept (always local -> national).
std::optional<Screening> pictureScreening(const AreaCheck& result, const CheckOptions& options,
    const std::vector<bool>& excluded, const TPktDostosowania& kept)
{
    const size_t n = excluded.size();
    // Local -> national the table's screening is the picture's: ScreenBlunders leaves
    // the excluded points out first, so only the indices change (whole set -> kept).
    std::optional<Screening> same;
    if (!options.ToLocal && result.Screened) {
        std::vector<size_t> keptIndex(n, 0);
        for (size_t i = 0, next = 0; i < n; ++i)
            keptIndex[i] = excluded[i] ? 0 : next++;
        same = *result.Screened;
        for (ScreeningRound& round : same->Rounds) {
            for (size_t& m : round.Members)
                m = keptIndex[m];
            if (round.NamedAsBlunder)
                round.NamedAsBlunder = keptIndex[*round.NamedAsBlunder];
        }
        for (size_t& b : same->Blunders)
            b = keptIndex[b];
    } else if (kept.size() >= kMinimumPointsForLeaveOneOut) {
        same = ScreenBlunders(kept, false, {}, options.Tolerance, 0);
    }
    return same;
}

} // namespace

AreaCheck ComputeAreaCheck(const AreaFile& area, const CheckOptions& options,
    const std::vector<CheckPoint>& checks, const std::vector<std::int64_t>& unreadableChecks)
{
    AreaCheck result;
    const size_t n = area.Points.size();
    std::vector<bool> excluded = options.Excluded;
    excluded.resize(n, false);
    TPktDostosowania kept;
    for (size_t i = 0; i < n; ++i)
        if (!excluded[i])
            kept.push_back(area.Points[i]);
    result.Rows.resize(n);
    for (size_t i = 0; i < n; ++i) {
        result.Rows[i].Name = Cp1250ToUtf8(area.Points[i].Name);
        result.Rows[i].Excluded = excluded[i];
    }
    for (std::int64_t line : unreadableChecks)
        result.Warnings.push_back(
            "Linia " + std::to_string(line) + ": nieczytelny punkt kontrolny, pominięty");
    try {
        TTrKonfAf t;
        const AreaFitStatus status = FitArea(t, kept, options.ToLocal);
        if (status != AreaFitStatus::Fitted) {
            result.Refusal = RefusalText(status);
            return result;
        }
        for (const std::string& warning : AreaWarnings(area.Points, area.SystemCode))
            result.Warnings.push_back(warning);
        if (const std::string weak = WeakScreeningWarning(kept.size()); !weak.empty())
            result.Warnings.push_back(weak);
        size_t k = 0;
        for (size_t i = 0; i < n; ++i) {
            if (excluded[i])
                continue;
            ++k;
            const Extended vx = t.ResidualX[k], vy = t.ResidualY[k];
            result.Rows[i].Residual = Discrepancy { vx, vy, std::sqrt(vx * vx + vy * vy) };
        }
        result.M0 = t.M0();
        result.Summary.push_back("Punktów dostosowania: " + std::to_string(kept.size()));
        std::string excludedNames;
        for (size_t i = 0; i < n; ++i)
            if (excluded[i])
                excludedNames += (excludedNames.empty() ? "" : ", ") + result.Rows[i].Name;
        if (!excludedNames.empty())
            result.Summary.push_back("Wyłączone z oceny: " + excludedNames);
        result.Summary.push_back(
            result.M0 ? "m0 = " + Millimetres(*result.M0, 1) + " mm" : "m0 = -");
        screen(result, area, options, excluded, kept.size());
        if (!checks.empty()) {
            result.Checks = CompareCheckPoints(
                t, checks, options.ToLocal, ComputeAreaExtents(kept), std::nullopt);
            for (std::string& warning : CheckPointWarnings(checks, *result.Checks, kept))
                result.Warnings.push_back(std::move(warning));
        }
        // The picture of `plot`: always local -> national.
        if (FitArea(t, kept, false) == AreaFitStatus::Fitted) {
            std::optional<Screening> same = pictureScreening(result, options, excluded, kept);
            result.Picture = PrepareAreaPicture(
                kept, area.Name, area.SystemCode, checks, options.Tolerance, std::move(same));
            result.Picture->Excluded = excludedNames;
        }
    } catch (const std::exception& e) {
        // Nothing of a failed computation is shown: the names, the ticks and the warnings stay.
        AreaCheck failed;
        failed.Refusal = std::string("Błąd obliczeń: ") + e.what();
        for (const PointRow& row : result.Rows)
            failed.Rows.push_back(PointRow { row.Name, row.Excluded, {}, {}, 0, {} });
        failed.Warnings = std::move(result.Warnings);
        return failed;
    }
    return result;
}

} // namespace vorida::obszar
