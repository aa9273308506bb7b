// The picture of an area laid out on one A4 sheet: the national system with x (northing) up
// and y (easting) to the right, a labelled coordinate grid, the adjustment and check points
// framed with a margin, the widened area rectangle where it falls on the sheet, every
// adjustment point with its name, its fit residual and its leave-one-out discrepancy as
// arrows, likely blunders and extrapolated points marked, and check points with their
// differences.
//
// The layout says what goes where, in metres of the national system and millimetres of
// paper (y down), and nothing of how it is drawn: AreaSvg.h writes it as SVG, a window can
// paint the same scene.
//
// Names never overlap each other or a marker: each is tried at places around its point, the
// flagged, extrapolated and worst points first, and left out where no place is free; the
// counts say how many were left out.
#pragma once

#include "AreaPicture.h"
#include "LabelPlacement.h"

#include <string>
#include <vector>

namespace vorida {

// The sheet: A4, its margins, the title above the map and the legend below it (millimetres).
inline constexpr Extended kSheetMargin = 12.0L;
inline constexpr Extended kTitleHeight = 17.0L;
inline constexpr Extended kLegendHeight = 50.0L;

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
    // The baseline of the legend's first row.
    Extended LegendTop() const;
};

PictureLayout LayOutPicture(const AreaPicture& picture);

// What the placing of the labels left out.
// Labels whose point or arrow lies outside the map are in none of the counts.
struct LabelCounts
{
    size_t Names = 0, NamesLeftOut = 0, Cuts = 0, CutsLeftOut = 0;
};

enum class ArrowKind {
    Residual, // the fit's residual of an adjustment point
    LeaveOneOut, // its discrepancy from the fit without it
    Check, // a check point's difference
};

// An arrow on the sheet, from (X1, Y1) to (X2, Y2).
struct MapArrow
{
    Extended X1 = 0.0L, Y1 = 0.0L, X2 = 0.0L, Y2 = 0.0L;
    ArrowKind Kind = ArrowKind::Residual;
    bool Cut = false; // longer than the longest arrow, cut there and labelled with its length
    bool Head = false; // long enough to carry a head
};

enum class MarkerKind {
    Adjustment,
    Extrapolated, // an adjustment point outside the hull of the others
    Blunder, // an adjustment point named a likely blunder
    Check,
};

struct MapMarker
{
    Extended X = 0.0L, Y = 0.0L; // the point on the sheet
    MarkerKind Kind = MarkerKind::Adjustment;
};

// A text placed on the map: its baseline starts at (X, Y).
struct MapText
{
    Extended X = 0.0L, Y = 0.0L;
    LabelKind Kind = LabelKind::Name;
    std::string Text; // UTF-8
};

struct MapLine
{
    Extended X1 = 0.0L, Y1 = 0.0L, X2 = 0.0L, Y2 = 0.0L;
};

// Everything on the map, in the order it is drawn: the grid, the area rectangle, the north
// arrow, the arrows, the markers, the leader lines, then the texts (the grid's labels, then
// the names and lengths that found a place). A likely blunder's name is always there (with a
// leader line where no place beside its point is free); so is a cut arrow's length where a
// place on the rings further out is free.
struct MapScene
{
    std::vector<MapLine> Grid;
    Box Area; // the widened area box; may reach beyond the map, which clips it
    Extended NorthX = 0.0L, NorthY = 0.0L; // the foot of the north arrow
    std::vector<MapArrow> Arrows;
    std::vector<MapMarker> Markers;
    std::vector<MapText> Texts;
    // Lines from a point or an arrow's end to its label where the label stands away from it.
    std::vector<MapLine> Leaders;
    LabelCounts Counts;
    std::vector<std::string> BlundersOutside; // names (UTF-8) of named blunders off the map
};

MapScene LayOutMap(const AreaPicture& picture, const PictureLayout& layout);

// The shape of an adjustment point's marker (a triangle) and of a check point's (a square)
// around the point, millimetres.
inline constexpr Box kTriangle { -1.15L, -1.3L, 1.15L, 0.7L };
inline constexpr Box kSquare { -0.8L, -0.8L, 0.8L, 0.8L };

// A whole number with its thousands separated by no-break spaces (75 000).
std::string Grouped(Extended v);

} // namespace vorida
