// The picture of an area on one A4 sheet, as SVG: the national system with x (northing) up
// and y (easting) to the right, a labelled coordinate grid, the adjustment and check points
// framed with a margin, the widened area rectangle where it falls on the sheet, every
// adjustment point with its name, its fit residual and its leave-one-out discrepancy as
// arrows, likely blunders in red, extrapolated points grey, and check points with their
// differences. Texts are Polish.
//
// Names never overlap each other or a marker: each is tried at places around its point, the
// flagged, extrapolated and worst points first, and left out where no place is free; the
// figures say how many were left out.
//
// The SVG is written by hand: a few element kinds with attributes and one style sheet, which
// browsers, print tools and librsvg all read. Its user unit is the millimetre on paper.
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
    std::vector<bool> Named; // per point: named a likely blunder in some round
    Extended Tolerance = kDefaultTolerance;
    std::vector<CheckPoint> Checks;
    std::optional<CheckSummary> CheckResults; // absent without checks or a usable fit
    std::optional<Extended> Scale; // the map scale's denominator when given, else a round one
    std::string Excluded; // names of the adjustment points left out (UTF-8), for the figures
};

// Fits the area local to national and computes the residuals, the blunder screening
// (tolerance in metres, on threads: 0 one per core) and the check points' differences.
// Throws FloatingPointError when the fit's arithmetic fails.
AreaPicture PrepareAreaPicture(const TPktDostosowania& points, const std::string& areaName,
    std::int32_t systemCode, const std::vector<CheckPoint>& checks,
    Extended tolerance = kDefaultTolerance, unsigned threads = 0);

// Where things go on the sheet; lengths in millimetres of paper.
struct PictureLayout
{
    bool Landscape = false;
    Extended PageWidth = 0.0L, PageHeight = 0.0L;
    Extended MapLeft = 0.0L, MapTop = 0.0L, MapWidth = 0.0L, MapHeight = 0.0L;
    Extended ScaleDenominator = 1.0L; // the map scale is 1 : ScaleDenominator
    Extended CentreNorth = 0.0L, CentreEast = 0.0L; // at the centre of the map region
    ExtentBox Framed; // national: the points and the margin around them
    bool AreaClipped = false; // the widened area box reaches beyond the map
    Extended GridStep = 1000.0L; // metres between grid lines
    Extended ArrowScale = 1.0L; // paper millimetres per millimetre of a vector
    Extended ArrowBarGround = 1.0L; // millimetres of vector the arrow scale bar shows
    Extended MetreBarGround = 1.0L; // metres the map scale bar shows
    Extended LongestArrow = 25.0L; // longer arrows are cut here and labelled with their length

    Extended PaperX(Extended east) const;
    Extended PaperY(Extended north) const;
};

PictureLayout LayOutPicture(const AreaPicture& picture);

// What the placing of the labels left out.
struct LabelCounts
{
    size_t Names = 0, NamesLeftOut = 0, Cuts = 0, CutsLeftOut = 0;
};

// The SVG document (UTF-8, lines ending in CR LF); counts, when given, receives what the
// labels left out.
std::string AreaSvg(const AreaPicture& picture, LabelCounts* counts = nullptr);

} // namespace vorida
