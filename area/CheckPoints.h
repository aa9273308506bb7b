// Check points: points known in both systems that are not adjustment points. Converting them
// and comparing with their known coordinates measures the accuracy of an area's conversion.
//
// A check-point file follows the grammar of the point files: one point a line, words
// separated by blanks or tabs: name, local x, local y, national x, national y, then any text.
// The text is read as `pack` reads its text: UTF-8 (a byte-order mark skipped), or
// Windows-1250 when the file is not valid UTF-8; names are kept as Windows-1250 bytes, a
// character that code page lacks becoming "?". Blank lines and lines whose first word
// begins with "#" (comments) are skipped; a line whose four coordinates are not all readable
// coordinate words is unreadable and only its number is kept.
#pragma once

#include "Direction.h"
#include "Error.h"

#include "AreaFit.h"
#include "UPKTBIN.h"
#include "UTrKonfAf.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorida {

struct CheckPoint
{
    std::string Name; // Windows-1250 bytes
    Extended LocalX = 0.0L, LocalY = 0.0L, NationalX = 0.0L, NationalY = 0.0L;
    std::int64_t Line = 0; // from 1
};

struct CheckPointFile
{
    std::vector<CheckPoint> Points;
    std::vector<std::int64_t> UnreadableLines; // numbers from 1
};

// A check-point file that opens but holds no check point to judge: empty, only comments or
// unreadable lines, or no text at all (UTF-16 and other files with zero bytes); what() says
// which, in Polish.
class CheckPointFileError : public Error
{
public:
    using Error::Error;
};

// Reads a check-point file; throws FileError when it cannot be opened or read, and
// CheckPointFileError when it holds no readable check point.
CheckPointFile ReadCheckPoints(const std::string& path);

// Vx, Vy, V: known minus converted, target units (metres).
struct CheckDifference : Discrepancy
{
    bool Inside = false; // the source coordinates lie inside the area box of their system
    bool InsideHull = false; // ...and inside the convex hull of the adjustment points
    bool Failed = false; // the arithmetic failed (a point far outside); no difference
    Extended Nearest = 0.0L; // distance to the nearest adjustment point, source units
};

// Figures of a group of check points: the mean of vx and vy (a bias shows there), m_x and m_y
// (the RMS of vx and vy), and the largest and the RMS of v.
struct CheckStatistics
{
    size_t Count = 0;
    Extended MeanVx = 0.0L, MeanVy = 0.0L, Mx = 0.0L, My = 0.0L, Max = 0.0L, Rms = 0.0L;
    std::optional<size_t> Worst; // the point with the largest V
};

struct CheckSummary
{
    std::vector<CheckDifference> Points; // in the order of the check points
    size_t Inside = 0; // how many lie inside the area and have a difference
    Extended Max = 0.0L, Rms = 0.0L; // of V over the points inside
    std::optional<size_t> Worst; // the point inside with the largest V
    // The points inside the area; of them, those inside the hull of the adjustment points and
    // those between the hull and the area's widened box, where the conversion extrapolates.
    CheckStatistics Area, Hull, Beyond;
};

// Converts every check point with t, which must hold a usable fit in direction. With digits, each
// converted coordinate is first rounded to that many decimals as the result file holds it (0 to
// 18); without, the 80-bit result is compared. Points outside the area are converted too but count
// in neither Max nor Rms. The hull and the nearest adjustment point come from the source positions
// t was fitted on.
CheckSummary CompareCheckPoints(TTrKonfAf& t, const std::vector<CheckPoint>& points,
    Direction direction, const TAreaExtents& extents, std::optional<int> digits);

// The warnings of a comparison (UTF-8, one a line): check points that are adjustment points
// too (the same name, or the same source position to the millimetre), whose figures flatter the
// area, and names that repeat, which count a point twice. adjustment: the points t was fitted on.
std::vector<std::string> CheckPointWarnings(const std::vector<CheckPoint>& points,
    const CheckSummary& summary, const TPktDostosowania& adjustment);

} // namespace vorida
