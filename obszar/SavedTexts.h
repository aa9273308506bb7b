// The files the window saves describe what it holds, in the command-line tool's words: the
// report is the text of `vorida-cli fit --loo` for the screening shown (followed by that of
// `verify` when check points are open), the picture the SVG of `plot`, the view's picture that of
// `plot --scale --center`. Nothing is read or computed again.
#pragma once

#include "AreaCheck.h"

#include <optional>
#include <string>
#include <vector>

namespace vorida::obszar {

// The part of the picture a view shows: its scale's denominator and the adjustment point of the
// picture nearest its middle (`plot` centres on a point).
struct PictureView
{
    Extended Scale = 1.0L;
    size_t Centre = 0;
};

// The report's bytes as the file holds them: Windows-1250, lines ending in CR LF. Nothing, with
// the reason in error, when the area was refused or is too small to screen.
std::optional<std::string> ReportBytes(const AreaFile& area, const CheckOptions& options,
    const AreaCheck& check, const std::vector<CheckPoint>& checks, std::string& error);

// The SVG of the picture held (UTF-8, CR LF, as plot writes it), whole or of a view; nothing,
// with the reason in error, when there is no picture.
std::optional<std::string> SvgBytes(
    const AreaCheck& check, const std::optional<PictureView>& view, std::string& error);

// Text of the tool (UTF-8, lines ending in LF) as a file of the program: Windows-1250, CR LF;
// "σ" and "√", which the code page lacks, spelt "sigma" and "sqrt".
std::string AsProgramText(const std::string& utf8);

} // namespace vorida::obszar
