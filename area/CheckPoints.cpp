#include "CheckPoints.h"

#include "Cp1250.h"
#include "LeaveOneOut.h"
#include "LineIO.h"
#include "Numbers.h"
#include "TextEncoding.h"
#include "UNITtrk.h"

#include <cmath>

namespace vorida {

CheckPointFile ReadCheckPoints(const std::string& path)
{
    CheckPointFile file;
    LineReader reader;
    reader.Open(path);
    std::vector<std::string> lines;
    bool utf8 = true;
    for (std::string line; reader.Next(line);) {
        if (line.find('\0') != std::string::npos)
            throw CheckPointFileError("Plik " + path
                + " nie jest tekstem (zawiera bajty zerowe, np. UTF-16): zapisz go jako UTF-8 "
                  "lub Windows-1250");
        utf8 = utf8 && IsValidUtf8(line);
        lines.push_back(line);
    }
    if (utf8 && !lines.empty() && lines[0].starts_with(kUtf8ByteOrderMark))
        lines[0].erase(0, kUtf8ByteOrderMark.size());
    std::int64_t number = 0;
    for (std::string& line : lines) {
        ++number;
        if (utf8)
            line = Utf8ToCp1250(line, '?');
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
    if (file.Points.empty())
        throw CheckPointFileError("Plik " + path
            + " nie zawiera żadnego czytelnego punktu kontrolnego (nazwa, x, y lokalne, x, y "
              "krajowe); linii nieczytelnych: "
            + std::to_string(file.UnreadableLines.size()));
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

Extended nearestDistance(
    const std::vector<Extended>& px, const std::vector<Extended>& py, Extended x, Extended y)
{
    Extended best = -1.0L;
    for (size_t i = 0; i < px.size(); ++i) {
        const Extended dx = px[i] - x, dy = py[i] - y;
        const Extended d2 = dx * dx + dy * dy;
        if (best < 0.0L || d2 < best)
            best = d2;
    }
    return best < 0.0L ? 0.0L : std::sqrt(best);
}

// The figures of the points chosen.
CheckStatistics statisticsOf(
    const std::vector<CheckDifference>& points, const std::vector<bool>& chosen)
{
    CheckStatistics s;
    Extended sx = 0.0L, sy = 0.0L, sxx = 0.0L, syy = 0.0L;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!chosen[i])
            continue;
        const CheckDifference& d = points[i];
        ++s.Count;
        sx = sx + d.Vx;
        sy = sy + d.Vy;
        sxx = sxx + d.Vx * d.Vx;
        syy = syy + d.Vy * d.Vy;
        if (!s.Worst || d.V > s.Max) {
            s.Max = d.V;
            s.Worst = i;
        }
    }
    if (s.Count == 0)
        return s;
    const Extended n = static_cast<Extended>(s.Count);
    s.MeanVx = sx / n;
    s.MeanVy = sy / n;
    s.Mx = std::sqrt(sxx / n);
    s.My = std::sqrt(syy / n);
    s.Rms = std::sqrt((sxx + syy) / n);
    return s;
}

} // namespace

CheckSummary CompareCheckPoints(TTrKonfAf& t, const std::vector<CheckPoint>& points,
    Direction direction, const TAreaExtents& extents, std::optional<int> digits)
{
    CheckSummary summary;
    const ExtentBox& box = FromNational(direction) ? extents.National : extents.Local;
    const size_t count = t.PointCount > 0 ? static_cast<size_t>(t.PointCount) : 0;
    const std::vector<Extended> hullX(
        t.SourceX.begin() + 1, t.SourceX.begin() + 1 + static_cast<std::ptrdiff_t>(count));
    const std::vector<Extended> hullY(
        t.SourceY.begin() + 1, t.SourceY.begin() + 1 + static_cast<std::ptrdiff_t>(count));
    Extended sum = 0.0L;
    for (size_t i = 0; i < points.size(); ++i) {
        const CheckPoint& p = points[i];
        const Extended x = FromNational(direction) ? p.NationalX : p.LocalX;
        const Extended y = FromNational(direction) ? p.NationalY : p.LocalY;
        CheckDifference d;
        d.Inside = inside(box, x, y);
        const Extended nearest = nearestDistance(hullX, hullY, x, y);
        const bool inHull = d.Inside && InsideHull(hullX, hullY, x, y);
        try {
            Extended outX = 0.0L, outY = 0.0L;
            t.TransformPoint(outX, outY, x, y);
            if (digits) {
                outX = asWritten(outX, *digits);
                outY = asWritten(outY, *digits);
            }
            static_cast<Discrepancy&>(d)
                = DiscrepancyOf(FromNational(direction) ? p.LocalX : p.NationalX,
                    FromNational(direction) ? p.LocalY : p.NationalY, outX, outY);
        } catch (const FloatingPointError&) {
            d.Failed = true;
            static_cast<Discrepancy&>(d) = Discrepancy {};
        }
        d.Nearest = nearest;
        d.InsideHull = inHull;
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
    std::vector<bool> area(points.size()), hull(points.size()), beyond(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        const CheckDifference& d = summary.Points[i];
        area[i] = d.Inside && !d.Failed;
        hull[i] = area[i] && d.InsideHull;
        beyond[i] = area[i] && !d.InsideHull;
    }
    summary.Area = statisticsOf(summary.Points, area);
    summary.Hull = statisticsOf(summary.Points, hull);
    summary.Beyond = statisticsOf(summary.Points, beyond);
    return summary;
}

std::vector<std::string> CheckPointWarnings(const std::vector<CheckPoint>& points,
    const CheckSummary& summary, const TPktDostosowania& adjustment)
{
    std::vector<std::string> warnings;
    for (size_t i = 0; i < points.size(); ++i) {
        const CheckPoint& c = points[i];
        bool adjusting = i < summary.Points.size() && summary.Points[i].Nearest < 0.0005L;
        for (const TPkt& p : adjustment)
            adjusting = adjusting || p.Name == c.Name;
        if (adjusting)
            warnings.push_back("Uwaga: punkt kontrolny " + Cp1250ToUtf8(c.Name) + " (linia "
                + std::to_string(c.Line) + ") jest też punktem dostosowania");
        for (size_t j = 0; j < i; ++j)
            if (points[j].Name == c.Name) {
                warnings.push_back("Uwaga: nazwa " + Cp1250ToUtf8(c.Name) + " powtarza się (linie "
                    + std::to_string(points[j].Line) + " i " + std::to_string(c.Line) + ")");
                break;
            }
    }
    return warnings;
}

} // namespace vorida
