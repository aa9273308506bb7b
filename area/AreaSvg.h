// The picture of an area as SVG, one A4 sheet laid out by PictureLayout.h, texts in Polish.
//
// The SVG is written by hand: a few element kinds with attributes and one style sheet, which
// browsers, print tools and librsvg all read. Its user unit is the millimetre on paper.
#pragma once

#include "PictureLayout.h"

#include <string>

namespace vorida {

// The SVG document (UTF-8, lines ending in CR LF); counts, when given, receives what the
// labels left out.
std::string AreaSvg(const AreaPicture& picture, LabelCounts* counts = nullptr);

} // namespace vorida
