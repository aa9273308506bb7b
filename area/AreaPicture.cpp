#include "AreaPicture.h"

#include "UTransPkt.h"

namespace vorida {

AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks, Extended tolerance,
    unsigned threads)
{
    AreaPicture picture;
    picture.AreaName = areaName;
    picture.SystemCode = systemCode;
    picture.Points = points;
    picture.Extents = ComputeAreaExtents(points);
    picture.Checks = checks;
    TTrKonfAf t;
    picture.Fit = FitArea(t, points, false);
    if (picture.Fit == AreaFitStatus::Fitted) {
        picture.ResidualX.assign(t.ResidualX.begin() + 1, t.ResidualX.end());
        picture.ResidualY.assign(t.ResidualY.begin() + 1, t.ResidualY.end());
        if (!checks.empty())
            picture.CheckResults = CompareCheckPoints(t, checks, false, picture.Extents, {});
    }
    picture.Tolerance = tolerance;
    picture.Named.assign(points.size(), false);
    if (points.size() >= kMinimumPointsForLeaveOneOut) {
        Screening screening = ScreenBlunders(points, false, {}, tolerance, threads);
        picture.Loo = std::move(screening.Rounds.front().Loo);
        for (size_t i : screening.Blunders)
            picture.Named[i] = true;
    }
    return picture;
}

} // namespace vorida
