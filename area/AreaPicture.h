// What the picture of an area shows: the adjustment points with their fit residuals and
// leave-one-out discrepancies, the likely blunders, the check points with their differences.
// PictureLayout.h puts it on a sheet, AreaSvg.h writes that sheet as SVG.
#pragma once

#include "AreaFit.h"
#include "CheckPoints.h"
#include "LeaveOneOut.h"
#include "UPKTBIN.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorida {

// Everything the picture shows, in the direction local to national (vectors in metres of the
// national system, known minus computed).
struct AreaPicture
{
    std::string AreaName; // Windows-1250 bytes
    std::int32_t SystemCode = 0;
    TPktDostosowania Points;
    TAreaExtents Extents;
    AreaFitStatus Fit = AreaFitStatus::NoPoints; // of the fit on all points
    std::vector<Extended> ResidualX, ResidualY; // per point (from 0); empty unless Fitted
    // The first round of the screening; absent with fewer than kMinimumPointsForLeaveOneOut
    // points.
    std::optional<LooResult> Loo;
    std::vector<bool> NamedAsBlunder; // per point: named a likely blunder in some round
    Extended Tolerance = kDefaultTolerance;
    std::vector<CheckPoint> Checks;
    std::optional<CheckSummary> CheckResults; // absent without checks or a usable fit
    std::optional<Extended> Scale; // the map scale's denominator when given, else a round one
    std::optional<size_t> Centre; // the point the map is centred on, else the framed points' middle
    std::string Excluded; // names of the adjustment points left out (UTF-8), for the figures

    // Point i was named a likely blunder.
    bool NamedAt(size_t i) const { return i < NamedAsBlunder.size() && NamedAsBlunder[i]; }
    // Point i lies outside the convex hull of the others.
    bool ExtrapolatedAt(size_t i) const { return Loo && Loo->Points[i].Extrapolated; }
};

// The first adjustment point named utf8Name (UTF-8), if any.
std::optional<size_t> FindPoint(const TPktDostosowania& points, const std::string& utf8Name);

// Fits the area local to national and computes the residuals, the blunder screening
// (tolerance in metres, on threads: 0 one per core) and the check points' differences.
// Throws FloatingPointError when the fit's arithmetic fails.
AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks,
    Extended tolerance = kDefaultTolerance, unsigned threads = 0);

// The same with the screening of points done already (ScreenBlunders(points, false, {},
// tolerance), absent with fewer than kMinimumPointsForLeaveOneOut points), which the picture
// then takes instead of screening again.
AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks, Extended tolerance,
    std::optional<Screening> screening);

} // namespace vorida
