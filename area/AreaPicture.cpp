#include "AreaPicture.h"

#include "Cp1250.h"
#include "UTransPkt.h"

namespace vorida {

std::optional<size_t> FindPoint(const TPktDostosowania& points, const std::string& utf8Name)
{
    for (size_t i = 0; i < points.size(); ++i)
        if (Cp1250ToUtf8(points[i].Name) == utf8Name)
            return i;
    return std::nullopt;
}

AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks, Extended tolerance,
    unsigned threads)
{
    std::optional<Screening> screening;
    if (points.size() >= kMinimumPointsForLeaveOneOut)
        screening = ScreenBlunders(points, Direction::LocalToNational, {}, tolerance, threads);
    return PrepareAreaPicture(
        points, areaName, systemCode, checks, tolerance, std::move(screening));
}

AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks, Extended tolerance,
    std::optional<Screening> screening)
{
    AreaPicture picture;
    picture.AreaName = areaName;
    picture.SystemCode = systemCode;
    picture.Points = points;
    picture.Extents = ComputeAreaExtents(points);
    picture.Checks = checks;
    TTrKonfAf t;
    picture.Fit = FitArea(t, points, Direction::LocalToNational);
    if (picture.Fit == AreaFitStatus::Fitted) {
        picture.ResidualX.assign(t.ResidualX.begin() + 1, t.ResidualX.end());
        picture.ResidualY.assign(t.ResidualY.begin() + 1, t.ResidualY.end());
        if (!checks.empty())
            picture.CheckResults
                = CompareCheckPoints(t, checks, Direction::LocalToNational, picture.Extents, {});
    }
    picture.Tolerance = tolerance;
    picture.NamedAsBlunder.assign(points.size(), false);
    if (screening) {
        picture.Loo = std::move(screening->Rounds.front().Loo);
        for (size_t i : screening->Blunders)
            picture.NamedAsBlunder[i] = true;
    }
    return picture;
}

} // namespace vorida
