#include "AreaCheck.h"

#include "AreaReport.h"
#include "AreaText.h"
#include "AreaWarnings.h"
#include "Cp1250.h"
#include "Numbers.h"

#include <algorithm>
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

void ShowRound(AreaCheck& check, const AreaFile& area, size_t r)
{
    if (!check.Screened)
        return;
    const std::vector<ScreeningRound>& rounds = check.Screened->Rounds;
    check.Round = std::min(r, rounds.size() - 1);
    for (PointRow& row : check.Rows) {
        row.Loo.reset();
        row.Flags = 0;
        row.FlagText.clear();
    }
    // Each point with its figures and labels in round k.
    auto show = [&check, &area](const ScreeningRound& round, size_t m) {
        const LooResult& loo = round.Loo;
        PointRow& row = check.Rows[round.Members[m]];
        row.Loo = loo.Points[m];
        if (!loo.Points[m].Computed())
            return;
        row.FlagText = LooLabels(round, area.Points, m);
        row.Flags |= loo.Points[m].Extrapolated ? kExtrapolated : 0U;
        row.Flags |= loo.Points[m].Copies > 1 ? kRepeated : 0U;
        row.Flags |= loo.Points[m].Blunder ? kOverThreshold : 0U;
    };
    const ScreeningRound& shown = rounds[check.Round];
    for (size_t m = 0; m < shown.Members.size(); ++m)
        show(shown, m);
    for (size_t i = 0; i < check.Rows.size(); ++i) {
        PointRow& row = check.Rows[i];
        if (!row.NamedIn)
            continue;
        const size_t k = *row.NamedIn;
        const std::string round = "runda " + std::to_string(k + 1);
        if (k < check.Round) {
            // Left out of the rounds after its own: the figures that named it.
            const ScreeningRound& named = rounds[k];
            const auto m = static_cast<size_t>(
                std::find(named.Members.begin(), named.Members.end(), i) - named.Members.begin());
            show(named, m);
            row.FlagText += " (" + round + ")";
        } else if (k > check.Round) {
            row.FlagText += (row.FlagText.empty() ? "" : ", ")
                + ("błąd gruby? w rundzie " + std::to_string(k + 1));
            continue;
        }
        row.Flags |= kNamedBlunder;
    }
    check.RoundLines.clear();
    if (rounds.size() > 1)
        check.RoundLines.push_back(RoundTitle(*check.Screened, area.Points, check.Round));
    for (std::string& line : RoundFigures(shown, area.Points))
        check.RoundLines.push_back(std::move(line));
}

std::string Coordinate(Extended metres)
{
    return FormatDecimals(metres, 3);
}

namespace {

// The screening of fit --loo and its verdict in the summary; the rows show its last round.
void screen(AreaCheck& result, const AreaFile& area, const CheckOptions& options,
    const std::vector<bool>& excluded, size_t keptCount, ScreeningProgress* progress)
{
    if (keptCount < kMinimumPointsForLeaveOneOut) {
        result.Verdict.push_back(TooFewForScreeningText(keptCount));
        return;
    }
    result.Screened
        = ScreenBlunders(area.Points, options.Direction, excluded, options.Tolerance, 0, progress);
    for (size_t r = 0; r < result.Screened->Rounds.size(); ++r)
        for (const auto& named :
            { result.Screened->Rounds[r].NamedAsBlunder, result.Screened->Rounds[r].NamedWithIt })
            if (named)
                result.Rows[*named].NamedIn = r;
    result.Verdict = ScreeningVerdict(*result.Screened, area.Points, options.Tolerance);
    ShowRound(result, area, result.Screened->Rounds.size() - 1);
}

// The screening of the picture of the points kept (always local -> national).
std::optional<Screening> pictureScreening(const AreaCheck& result, const CheckOptions& options,
    const std::vector<bool>& excluded, const TPktDostosowania& kept, ScreeningProgress* progress)
{
    const size_t n = excluded.size();
    // Local -> national the table's screening is the picture's: ScreenBlunders leaves
    // the excluded points out first, so only the indices change (whole set -> kept).
    std::optional<Screening> same;
    if (options.Direction == Direction::LocalToNational && result.Screened) {
        std::vector<size_t> keptIndex(n, 0);
        for (size_t i = 0, next = 0; i < n; ++i)
            keptIndex[i] = excluded[i] ? 0 : next++;
        same = *result.Screened;
        for (ScreeningRound& round : same->Rounds) {
            for (size_t& m : round.Members)
                m = keptIndex[m];
            for (std::optional<size_t>* named : { &round.NamedAsBlunder, &round.NamedWithIt })
                if (*named)
                    *named = keptIndex[**named];
        }
        for (size_t& b : same->Blunders)
            b = keptIndex[b];
    } else if (kept.size() >= kMinimumPointsForLeaveOneOut) {
        same = ScreenBlunders(kept, Direction::LocalToNational, {}, options.Tolerance, 0, progress);
    }
    return same;
}

} // namespace

AreaCheck ComputeAreaCheck(const AreaFile& area, const CheckOptions& options,
    const std::vector<CheckPoint>& checks, const std::vector<std::int64_t>& unreadableChecks,
    ScreeningProgress* progress)
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
        result.Warnings.push_back(UnreadableCheckLine(line));
    try {
        TTrKonfAf t;
        const AreaFitStatus status = FitArea(t, kept, options.Direction);
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
        result.Summary.push_back(PointCountLine(kept.size()));
        const std::string excludedNames = ExcludedNames(area.Points, excluded);
        if (!excludedNames.empty())
            result.Summary.push_back(ExcludedLine(excludedNames));
        result.Summary.push_back(M0Line(result.M0));
        screen(result, area, options, excluded, kept.size(), progress);
        if (!checks.empty()) {
            result.Checks = CompareCheckPoints(
                t, checks, options.Direction, ComputeAreaExtents(kept), std::nullopt);
            for (std::string& warning : CheckPointWarnings(checks, *result.Checks, kept))
                result.Warnings.push_back(std::move(warning));
        }
        // The picture of `plot`: always local -> national.
        if (FitArea(t, kept, Direction::LocalToNational) == AreaFitStatus::Fitted) {
            std::optional<Screening> same
                = pictureScreening(result, options, excluded, kept, progress);
            result.Picture = PrepareAreaPicture(
                kept, area.Name, area.SystemCode, checks, options.Tolerance, std::move(same));
            result.Picture->Excluded = excludedNames;
        }
    } catch (const std::exception& e) {
        // Nothing of a failed computation is shown: the names, the ticks and the warnings stay.
        AreaCheck failed;
        failed.Refusal = ComputationFailureText(e.what());
        for (const PointRow& row : result.Rows)
            failed.Rows.push_back(PointRow { row.Name, row.Excluded, {}, {}, 0, {}, {} });
        failed.Warnings = std::move(result.Warnings);
        return failed;
    }
    return result;
}

} // namespace vorida::obszar
