// The words of the picture of an area beside its map: the legend (each symbol and what it
// stands for) and the figures (the screening's and the check points' in brief). The SVG of
// `plot` writes them; the area window prints them under its map.
#pragma once

#include "PictureLayout.h"

#include <string>
#include <vector>

namespace vorida {

// The symbols of the legend, in its order.
enum class LegendSymbol {
    Adjustment, // an adjustment point (a triangle) with its name
    Extrapolated, // outside the hull of the others (grey)
    Blunder, // a likely blunder (red)
    Residual, // the fit's residual (a blue arrow)
    Loo, // the leave-one-out discrepancy (an orange arrow)
    Check, // a check point (a green square) and its difference (a green arrow)
    AreaBox, // the area's widened box (dashed)
    CutArrow, // an arrow cut to the longest drawn, with its length
    Grid, // the coordinate grid
};

struct LegendEntry
{
    LegendSymbol Symbol;
    std::string Text; // UTF-8
};

// The legend of the picture as laid out: the check points' entry only with check points.
std::vector<LegendEntry> PictureLegend(const AreaPicture& picture, const PictureLayout& layout);

// The figures beside the legend (UTF-8 lines): a fit without residuals, the points left out,
// the screening's RMS, largest and blunders (those off the map named), the rule, the check
// points inside the area, the names and lengths left out for want of room.
std::vector<std::string> PictureFigures(const AreaPicture& picture, const MapScene& scene);

// What `plot` says of a picture it wrote to output (UTF-8 lines): the sheet, the scales, the
// points (kept of the area, checks of the check-point file), the screening, the check points,
// the names that found room.
std::vector<std::string> PictureSummary(const AreaPicture& picture, const LabelCounts& labels,
    const std::string& output, size_t kept, size_t checks);

} // namespace vorida
