#include "CheckPoints.h"

#include "LineIO.h"
#include "Numbers.h"
#include "UNITtrk.h"

#include <cmath>

namespace vorida {

CheckPointFile ReadCheckPoints(const std::string& path)
{
    CheckPointFile file;
    LineReader reader;
    reader.Open(path);
    std::string line;
    std::int64_t number = 0;
    while (reader.Next(line)) {
        ++number;
        const PointLineWords words = SplitPointLine(line);
        if (words.Name.empty() || words.Name.front() == '#')
            continue; // a blank line or a comment
        CheckPoint p;
        p.Name.assign(words.Name);
        p.Line = number;
        if (ParseCoordinate(words.X, p.LocalX) && ParseCoordinate(words.Y, p.LocalY)
            && ParseCoordinate(NthWord(words.Rest, 1, kBlankAndTab), p.NationalX)
            && ParseCoordinate(NthWord(words.Rest, 2, kBlankAndTab), p.NationalY))
            file.Points.push_back(std::move(p));
        else
            file.UnreadableLines.push_back(number);
    }
    return file;
}

namespace {

// value as the result file holds it with the given decimals: the written text read back.
Extended asWritten(Extended value, int digits)
{
    Extended back = 0.0L;
    if (!ParseCoordinate(FormatDecimals(value, digits), back))
        throw FloatingPointError("Wynik przeliczenia nie jest liczbą");
    return back;
}

bool inside(const ExtentBox& box, Extended x, Extended y)
{
    return box.MinX <= x && x <= box.MaxX && box.MinY <= y && y <= box.MaxY;
}

} // namespace

CheckSummary CompareCheckPoints(TTrKonfAf& t, const std::vector<CheckPoint>& points, bool reverse,
    const TAreaExtents& extents, std::optional<int> digits)
{
    CheckSummary summary;
    const ExtentBox& box = reverse ? extents.National : extents.Local;
    Extended sum = 0.0L;
    for (size_t i = 0; i < points.size(); ++i) {
        const CheckPoint& p = points[i];
        const Extended x = reverse ? p.NationalX : p.LocalX;
        const Extended y = reverse ? p.NationalY : p.LocalY;
        CheckDifference d;
        d.Inside = inside(box, x, y);
        try {
            Extended outX = 0.0L, outY = 0.0L;
            t.TransformPoint(outX, outY, x, y);
            if (digits) {
                outX = asWritten(outX, *digits);
                outY = asWritten(outY, *digits);
            }
            static_cast<Discrepancy&>(d) = DiscrepancyOf(
                reverse ? p.LocalX : p.NationalX, reverse ? p.LocalY : p.NationalY, outX, outY);
        } catch (const FloatingPointError&) {
            d.Failed = true;
            static_cast<Discrepancy&>(d) = Discrepancy {};
        }
        if (d.Inside && !d.Failed) {
            ++summary.Inside;
            sum = sum + d.V * d.V;
            if (!summary.Worst || d.V > summary.Max) {
                summary.Max = d.V;
                summary.Worst = i;
            }
        }
        summary.Points.push_back(d);
    }
    if (summary.Inside > 0)
        summary.Rms = std::sqrt(sum / static_cast<Extended>(summary.Inside));
    return summary;
}

} // namespace vorida
