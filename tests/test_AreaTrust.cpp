// Blunder screening, check-point figures and encodings, and the placing of the picture's labels.
#include "AreaSvg.h"
#include "AreaVerdicts.h"
#include "AreaWarnings.h"
#include "CheckPoints.h"
#include "LeaveOneOut.h"
#include "Numbers.h"
#include "SyntheticArea.h"
#include "TempDir.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

using namespace vorida;
using namespace vorida::test;

namespace {

// A jittered 8 x 8 grid at 500 m; the national coordinates follow a conformal cubic, a smooth
// distortion of about a centimetre and a deterministic noise of up to 2 mm.
TPktDostosowania Town()
{
    const AreaModel model { 27750.0L, 18750.0L, 0.0L, 0.01L, 900.0L, 0.01L, 700.0L, 0.004L };
    TPktDostosowania points;
    UniformSequence uniform(777);
    for (int i = 0; i < 8; ++i)
        for (int j = 0; j < 8; ++j) {
            const Extended x = 26000.0L + 500.0L * i + 120.0L * uniform();
            const Extended y = 17000.0L + 500.0L * j + 120.0L * uniform();
            points.push_back(
                model.Make(std::string("T").append(std::to_string(8 * i + j)), x, y, uniform));
        }
    return points;
}

constexpr size_t kInside = 27, kOtherInside = 44, kCorner = 63; // T27, T44 inside; T63 a corner

void Move(TPkt& p, Extended east, Extended north)
{
    p.NationalX = p.NationalX + north;
    p.NationalY = p.NationalY + east;
}

std::vector<size_t> Named(const TPktDostosowania& points, const std::vector<bool>& excluded = {},
    Extended tolerance = kDefaultTolerance, unsigned threads = 1)
{
    return ScreenBlunders(points, Direction::LocalToNational, excluded, tolerance, threads)
        .Blunders;
}

} // namespace

TEST(Screening, NamesBlundersOneARoundWithoutMaskingNorFalseAlarms)
{
    struct Case
    {
        const char* What;
        std::vector<std::tuple<size_t, Extended, Extended>> Moves; // point, east, north (m)
        Extended Tolerance;
        std::vector<size_t> Expected; // in the order named
    };
    const Case cases[] = {
        { "clean", {}, kDefaultTolerance, {} },
        { "50 cm masks 5 cm when judged once",
            { { kInside, 0.3L, 0.4L }, { kOtherInside, 0.03L, -0.04L } }, kDefaultTolerance,
            { kInside, kOtherInside } },
        { "5 cm inside", { { kOtherInside, -0.05L, 0.0L } }, kDefaultTolerance, { kOtherInside } },
        { "4.5 cm on the corner: extrapolated, on its own scale", { { kCorner, 0.0L, 0.045L } },
            kDefaultTolerance, { kCorner } },
        { "4.5 cm inside", { { kInside, 0.0L, 0.045L } }, kDefaultTolerance, { kInside } },
        { "10 cm on the corner", { { kCorner, 0.06L, -0.08L } }, kDefaultTolerance, { kCorner } },
        { "2.5 cm inside, within a 5 cm tolerance", { { kInside, 0.025L, 0.0L } }, 0.05L, {} },
        { "2.5 cm inside, 2 cm tolerance", { { kInside, 0.025L, 0.0L } }, 0.02L, { kInside } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TPktDostosowania points = Town();
        for (const auto& [i, east, north] : c.Moves)
            Move(points[i], east, north);
        EXPECT_EQ(Named(points, {}, c.Tolerance), c.Expected);
    }
    // Judged once, the 50 cm point is named first; the corner's spread is the larger.
    TPktDostosowania points = Town();
    Move(points[kInside], 0.3L, 0.4L);
    Move(points[kOtherInside], 0.03L, -0.04L);
    const LooResult once = LeaveOneOut(points, Direction::LocalToNational, kDefaultTolerance, 1);
    EXPECT_EQ(once.MostOver, kInside);
    EXPECT_TRUE(once.Points[kCorner].Extrapolated);
    EXPECT_GT(*once.Points[kCorner].Factor, 1.2L * *once.Points[kInside].Factor);
    EXPECT_FALSE(once.Points[kInside].Extrapolated);
    EXPECT_GT(once.Points[kCorner].Threshold, once.Points[kInside].Threshold);
}

// The expected spread against the spread met: the town's positions, targets on an exact
// conformal cubic with independent normal noise of 5 mm in each component, 200 draws. The mean
// of vx² + vy² over the draws is 2σ²fᵢ for every point (within 3 standard errors of a mean of
// 400 squares, 21 %), and over all points within 3 %.
TEST(Screening, ExpectedSpreadIsTheSpreadOfTheDiscrepancies)
{
    const TPktDostosowania town = Town();
    std::uint64_t state = 2024;
    auto uniform = [&state]() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return (static_cast<Extended>(state >> 11) + 0.5L) / 9007199254740992.0L;
    };
    auto normal = [&]() {
        return std::sqrt(-2.0L * std::log(uniform())) * std::cos(6.283185307179586477L * uniform());
    };
    constexpr Extended sigma = 0.005L;
    constexpr int draws = 200;
    std::vector<Extended> sum(town.size(), 0.0L), factor(town.size(), 0.0L);
    for (int k = 0; k < draws; ++k) {
        TPktDostosowania points = town;
        for (TPkt& p : points) {
            const Extended u = (p.LocalX - 27750.0L) / 1000.0L, v = (p.LocalY - 18750.0L) / 1000.0L;
            p.NationalX = 5852000.0L + 999.91L * u - 12.3L * v
                + 0.0021L * (u * u * u - 3.0L * u * v * v) + sigma * normal();
            p.NationalY = 6482000.0L + 12.3L * u + 999.91L * v
                + 0.0021L * (3.0L * u * u * v - v * v * v) + sigma * normal();
        }
        const LooResult loo = LeaveOneOut(points, Direction::LocalToNational, kDefaultTolerance, 2);
        for (size_t i = 0; i < points.size(); ++i) {
            ASSERT_TRUE(loo.Points[i].Computed() && loo.Points[i].Factor);
            sum[i] = sum[i] + loo.Points[i].V * loo.Points[i].V;
            factor[i] = *loo.Points[i].Factor;
        }
    }
    Extended all = 0.0L;
    for (size_t i = 0; i < town.size(); ++i) {
        const Extended ratio = sum[i] / draws / (2.0L * sigma * sigma * factor[i]);
        EXPECT_LT(std::fabs(ratio - 1.0L), 0.21L) << i << " f " << factor[i];
        all = all + ratio;
    }
    EXPECT_LT(std::fabs(all / static_cast<Extended>(town.size()) - 1.0L), 0.03L);
}

TEST(Screening, ExcludedPointsAreJudgedAsIfAbsentAndThreadsChangeNothing)
{
    TPktDostosowania points = Town();
    Move(points[kInside], 0.3L, 0.4L);
    std::vector<bool> excluded(points.size(), false);
    excluded[kInside] = true;
    const Screening s
        = ScreenBlunders(points, Direction::LocalToNational, excluded, kDefaultTolerance, 1);
    EXPECT_TRUE(s.Blunders.empty());
    ASSERT_EQ(s.Rounds.size(), 1u);
    TPktDostosowania without = points;
    without.erase(without.begin() + static_cast<std::ptrdiff_t>(kInside));
    const LooResult direct = LeaveOneOut(without, Direction::LocalToNational, kDefaultTolerance, 1);
    ASSERT_EQ(s.Rounds[0].Members.size(), without.size());
    EXPECT_EQ(s.Rounds[0].Members[kInside], kInside + 1);
    for (size_t k = 0; k < without.size(); ++k)
        EXPECT_EQ(s.Rounds[0].Loo.Points[k].V, direct.Points[k].V) << k;

    for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal })
        for (unsigned threads : { 2u, 3u, 7u }) {
            const LooResult one = LeaveOneOut(points, direction, kDefaultTolerance, 1);
            const LooResult many = LeaveOneOut(points, direction, kDefaultTolerance, threads);
            for (size_t i = 0; i < points.size(); ++i) {
                EXPECT_EQ(one.Points[i].Vx, many.Points[i].Vx);
                EXPECT_EQ(one.Points[i].Vy, many.Points[i].Vy);
            }
            EXPECT_EQ(one.MostOver, many.MostOver);
        }
}

TEST(Screening, HullOfTheOthers)
{
    struct Case
    {
        const char* What;
        std::vector<std::pair<Extended, Extended>> Positions;
        std::vector<bool> Outside;
    };
    const Case cases[] = {
        { "square and centre", { { 0, 0 }, { 10, 0 }, { 0, 10 }, { 10, 10 }, { 5, 5 } },
            { true, true, true, true, false } },
        { "a point on an edge", { { 0, 0 }, { 10, 0 }, { 5, 0 }, { 5, 8 } },
            { true, true, false, true } },
        { "a shared corner", { { 0, 0 }, { 0, 0 }, { 10, 0 }, { 0, 10 } },
            { false, false, true, true } },
        { "on one line", { { 0, 0 }, { 2, 2 }, { 1, 1 } }, { true, true, false } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        std::vector<Extended> x, y;
        for (const auto& [px, py] : c.Positions) {
            x.push_back(px);
            y.push_back(py);
        }
        EXPECT_EQ(OutsideHullOfOthers(x, y), c.Outside);
    }
    const std::vector<Extended> x = { 0, 10, 10, 0 }, y = { 0, 0, 10, 10 };
    EXPECT_TRUE(InsideHull(x, y, 5, 5));
    EXPECT_TRUE(InsideHull(x, y, 10, 3));
    EXPECT_FALSE(InsideHull(x, y, 10.001L, 3));
}

TEST(CheckPoints, HullBandFiguresAndNearestPoint)
{
    const TPktDostosowania square = TranslatedSquare(); // an exact fit: x + 5 800 000 ...
    // v = (3, 4) mm in the hull, (-6, 8) mm between the hull and the widened box.
    const std::vector<CheckPoint> checks
        = { { "in", 2000.0L, 3000.0L, 5802000.003L, 6503000.004L, 1 },
              { "band", 6000.0L, 3000.0L, 5805999.994L, 6503000.008L, 2 } };
    TTrKonfAf t;
    ASSERT_EQ(FitArea(t, square, Direction::LocalToNational), AreaFitStatus::Fitted);
    const CheckSummary s
        = CompareCheckPoints(t, checks, Direction::LocalToNational, ComputeAreaExtents(square), {});
    EXPECT_TRUE(s.Points[0].InsideHull);
    EXPECT_FALSE(s.Points[1].InsideHull);
    EXPECT_TRUE(s.Points[1].Inside);
    EXPECT_NEAR(static_cast<double>(s.Points[0].Nearest), std::hypot(1000.0, 0.0), 1e-9);
    EXPECT_NEAR(static_cast<double>(s.Points[1].Nearest), std::hypot(1000.0, 2000.0), 1e-9);
    EXPECT_EQ(s.Hull.Count, 1u);
    EXPECT_EQ(s.Beyond.Count, 1u);
    EXPECT_EQ(s.Area.Count, 2u);
    EXPECT_NEAR(static_cast<double>(s.Area.MeanVx * 1000.0L), -1.5, 1e-6);
    EXPECT_NEAR(static_cast<double>(s.Area.MeanVy * 1000.0L), 6.0, 1e-6);
    EXPECT_NEAR(static_cast<double>(s.Area.Mx * 1000.0L), std::sqrt((9.0 + 36.0) / 2.0), 1e-6);
    EXPECT_NEAR(static_cast<double>(s.Area.My * 1000.0L), std::sqrt((16.0 + 64.0) / 2.0), 1e-6);
    EXPECT_EQ(s.Beyond.Worst, 1u);
}

TEST(CheckPoints, ReadAsUtf8OrElseWindows1250)
{
    const std::string cp1250Name = "\xAF"
                                   "abiniec-1"; // Żabiniec-1
    const std::pair<const char*, std::string> cases[] = {
        { "UTF-8",
            "\xC5\xBB"
            "abiniec-1 1 2 3 4\n" },
        { "UTF-8 with a byte-order mark",
            "\xEF\xBB\xBF\xC5\xBB"
            "abiniec-1 1 2 3 4\n" },
        { "Windows-1250", cp1250Name + " 1 2 3 4\n" },
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        TempDir dir;
        WriteFile(dir / "k.txt", text);
        const CheckPointFile f = ReadCheckPoints(dir / "k.txt");
        ASSERT_EQ(f.Points.size(), 1u);
        EXPECT_EQ(f.Points[0].Name, cp1250Name);
    }
}

TEST(CheckPoints, FilesWithoutACheckPointAreRefusedWithTheReason)
{
    const std::pair<std::string, const char*> cases[] = {
        { "", "nie zawiera" }, { "# only a comment\r\n\r\n", "nie zawiera" },
        { "K1 1 2 x 4\n", "nie zawiera" },
        { std::string("\xFF\xFEK\0"
                      "1\0 \0"
                      "1\0",
              10),
            "nie jest tekstem" }, // UTF-16
    };
    for (const auto& [text, reason] : cases) {
        SCOPED_TRACE(reason);
        TempDir dir;
        WriteFile(dir / "k.txt", text);
        try {
            ReadCheckPoints(dir / "k.txt");
            ADD_FAILURE() << "read";
        } catch (const CheckPointFileError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
}

TEST(AreaWarnings, RepeatedPositionsAndNamesAndAbsurdCoordinates)
{
    struct Case
    {
        const char* What;
        TPktDostosowania Points;
        std::vector<std::string> Expected;
    };
    const TPkt a = Point("A", 100.0L, 200.0L, 5850000.0L, 6500000.0L);
    const TPkt b = Point("B", 900.0L, 200.0L, 5850800.0L, 6500000.0L);
    const TPkt c = Point("C", 100.0L, 900.0L, 5850000.0L, 6500700.0L);
    const Case cases[] = {
        { "sound", { a, b, c }, {} },
        { "one point twice, two names",
            { a, b, Point("A2", 100.0008L, 200.0L, 5850000.0005L, 6500000.0L) },
            { "Uwaga: punkty A, A2 mają to samo położenie lokalne (do 1 mm): przy pominięciu "
              "punktu pomijane są razem",
                "Uwaga: punkty A, A2 mają to samo położenie krajowe (do 1 mm): przy pominięciu "
                "punktu pomijane są razem" } },
        { "2 mm apart, one name", { a, b, Point("A", 100.002L, 200.0L, 5850000.002L, 6500000.0L) },
            { "Uwaga: nazwa A powtarza się 2 razy" } },
        { "absurd", { a, b, Point("C", 1e13L, 0.0L, 5850000.0L, 1e300L) },
            { "Uwaga: punkt C: współrzędne lokalne dalej niż 10 000 km od początku układu",
                "Uwaga: punkt C: współrzędne krajowe poza zasięgiem układu 2000 tej strefy" } },
        { "zone 15 coordinates in zone 18",
            { a, b, Point("C", 1.0L, 2.0L, 5850000.0L, 5500000.0L) },
            { "Uwaga: punkt C: współrzędne krajowe poza zasięgiem układu 2000 tej strefy" } },
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.What);
        EXPECT_EQ(AreaWarnings(k.Points, 7), k.Expected);
    }
}

// A point listed twice hides its own blunder when the copies stay in each other's fit; left
// out together, its discrepancy is the blunder's, and its innocent neighbours are not named.
TEST(Screening, APointListedTwiceIsJudgedWithoutItsCopy)
{
    TPktDostosowania points = Town();
    Move(points[kInside], 0.08L, -0.06L);
    TPkt copy = points[kInside];
    copy.Name = "T27bis";
    points.push_back(copy);
    const Screening s
        = ScreenBlunders(points, Direction::LocalToNational, {}, kDefaultTolerance, 1);
    ASSERT_FALSE(s.Blunders.empty());
    EXPECT_TRUE(s.Blunders[0] == kInside || s.Blunders[0] == points.size() - 1);
    for (size_t i : s.Blunders)
        EXPECT_TRUE(i == kInside || i == points.size() - 1) << i;
    EXPECT_NEAR(static_cast<double>(s.Rounds[0].Loo.Points[kInside].V), 0.1, 0.02);
}

namespace {

struct Drawn
{
    std::string Class;
    Extended Left, Top, Right, Bottom;
};

Extended Number(const std::string& s)
{
    Extended v = 0.0L;
    EXPECT_TRUE(ParseCoordinate(s, v)) << s;
    return v;
}

// The value of attribute name in the start tag tag ("" when it has none).
std::string Attribute(const std::string& tag, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    const size_t at = tag.find(key);
    if (at == std::string::npos)
        return {};
    const size_t from = at + key.size();
    return tag.substr(from, tag.find('"', from) - from);
}

// Each start tag of the element kind in svg, and the text up to the element's end tag.
std::vector<std::pair<std::string, std::string>> Elements(
    const std::string& svg, const std::string& kind)
{
    std::vector<std::pair<std::string, std::string>> found;
    const std::string open = "<" + kind + " ", close = "</" + kind + ">";
    for (size_t at = svg.find(open); at != std::string::npos; at = svg.find(open, at + 1)) {
        const size_t end = svg.find('>', at);
        const size_t closing = svg.find(close, end);
        const std::string tag = svg.substr(at, end - at);
        found.emplace_back(tag,
            closing == std::string::npos || tag.back() == '/'
                ? std::string()
                : svg.substr(end + 1, closing - end - 1));
    }
    return found;
}

// The texts and markers of the map, with the boxes the texts take by the widths the picture
// assumes (the advance of an average character) and the markers' shapes.
std::vector<Drawn> DrawnOnTheMap(const std::string& svg)
{
    std::vector<Drawn> drawn;
    auto sizeOf = [](const std::string& cls) { return cls.rfind("name", 0) == 0 ? 2.2L : 2.0L; };
    for (const auto& [tag, t] : Elements(svg, "text")) {
        const std::string cls = Attribute(tag, "class");
        if (cls != "name" && cls != "name bname" && cls != "cutlabel" && cls != "gridlabel")
            continue;
        // Characters as shown: an entity is one, a UTF-8 sequence is one.
        size_t chars = 0;
        for (size_t i = 0; i < t.size(); ++i) {
            if (t[i] == '&')
                i = t.find(';', i);
            chars += (t[i] & 0xC0) != 0x80 ? 1 : 0;
        }
        const Extended size = sizeOf(cls), x = Number(Attribute(tag, "x")),
                       y = Number(Attribute(tag, "y"));
        const Extended width
            = static_cast<Extended>(chars) * size * (cls == "name bname" ? 0.72L : 0.64L);
        drawn.push_back({ cls, x, y - 0.8L * size, x + width, y + 0.25L * size });
    }
    for (const auto& [tag, body] : Elements(svg, "path")) {
        const std::string cls = Attribute(tag, "class"), d = Attribute(tag, "d");
        if (cls.rfind("adjustment", 0) != 0 || cls.find("key") != std::string::npos || d.empty()
            || d[0] != 'M')
            continue;
        const size_t comma = d.find(','), blank = d.find(' ');
        const Extended x = Number(d.substr(1, comma - 1)),
                       tip = Number(d.substr(comma + 1, blank - comma - 1));
        drawn.push_back({ "marker", x - 1.15L, tip, x + 1.15L, tip + 2.0L });
    }
    for (const auto& [tag, body] : Elements(svg, "rect")) {
        if (Attribute(tag, "class") != "check")
            continue;
        const Extended x = Number(Attribute(tag, "x")), y = Number(Attribute(tag, "y"));
        drawn.push_back({ "marker", x, y, x + 1.6L, y + 1.6L });
    }
    return drawn;
}

} // namespace

TEST(AreaPicture, LabelsOverlapNeitherEachOtherNorAMarker)
{
    // A dense town of 400 points 150 m apart and its check points, one 20 cm blunder among
    // them, at the round scale (many names find no place) and at 1:10 000 (part of the town
    // on the sheet).
    TPktDostosowania points;
    std::vector<CheckPoint> checks;
    UniformSequence uniform(99);
    auto jitter = [&uniform]() { return uniform() * 60.0L; };
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) {
            const Extended x = 5852000.0L + 150.0L * i + jitter(),
                           y = 6482000.0L + 150.0L * j + jitter();
            points.push_back(
                Point(std::string("Pkt-").append(std::to_string(20 * i + j)), x - 5820000.0L,
                    y - 6460000.0L, x + 0.002L * std::sin(x), y + 0.002L * std::cos(y)));
            if ((i + j) % 7 == 0)
                checks.push_back({ std::string("K").append(std::to_string(i * 20 + j)),
                    x - 5819960.0L, y - 6460030.0L, x + 40.0L, y - 30.0L, 1 });
        }
    const size_t blunder = 210;
    Move(points[blunder], 0.12L, -0.16L);
    for (std::optional<Extended> scale :
        { std::optional<Extended> {}, std::optional<Extended> { 10000.0L } }) {
        SCOPED_TRACE(scale ? "1:10 000" : "round scale");
        AreaPicture picture = PrepareAreaPicture(points, "Gęsto", 7, checks, kDefaultTolerance, 2);
        picture.Scale = scale;
        LabelCounts counts;
        const std::string svg = AreaSvg(picture, &counts);
        const std::vector<Drawn> drawn = DrawnOnTheMap(svg);
        size_t names = 0;
        bool blunderNamed = false;
        for (size_t a = 0; a < drawn.size(); ++a) {
            if (drawn[a].Class == "marker")
                continue;
            names += drawn[a].Class.rfind("name", 0) == 0 ? 1 : 0;
            blunderNamed = blunderNamed || drawn[a].Class == "name bname";
            for (size_t b = 0; b < drawn.size(); ++b)
                if (a != b && (b > a || drawn[b].Class == "marker")) {
                    const Drawn& p = drawn[a];
                    const Drawn& q = drawn[b];
                    EXPECT_FALSE(p.Left < q.Right && q.Left < p.Right && p.Top < q.Bottom
                        && q.Top < p.Bottom)
                        << p.Class << " " << a << " and " << q.Class << " " << b;
                }
        }
        EXPECT_TRUE(blunderNamed);
        // At 1:10 000 part of the town is off the map: its names are in no count.
        if (scale)
            EXPECT_LT(counts.Names, points.size() + checks.size());
        else
            EXPECT_EQ(counts.Names, points.size() + checks.size());
        EXPECT_EQ(names + counts.NamesLeftOut, counts.Names);
        if (!scale) {
            EXPECT_GT(counts.NamesLeftOut, 0u);
        }
        EXPECT_NE(svg.find(">Bez miejsca pominięto nazw: " + std::to_string(counts.NamesLeftOut)),
            std::string::npos)
            << counts.NamesLeftOut;
    }
}

// A crowded town (400 points 30 m apart) with three blunders: at the round scale few names find
// a place, but every named blunder keeps its name, in bold red, joined to its point by a
// leader line when it stands away from it.
TEST(AreaPicture, NamedBlundersAlwaysKeepTheirNames)
{
    TPktDostosowania points;
    UniformSequence uniform(5);
    auto jitter = [&uniform]() { return uniform() * 12.0L; };
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j) {
            const Extended x = 5852000.0L + 30.0L * i + jitter(),
                           y = 6482000.0L + 30.0L * j + jitter();
            points.push_back(
                Point(std::string("Pkt-").append(std::to_string(20 * i + j)), x - 5820000.0L,
                    y - 6460000.0L, x + 0.002L * std::sin(x), y + 0.002L * std::cos(y)));
        }
    for (size_t i : { 105u, 210u, 333u })
        Move(points[i], 0.15L, -0.2L);
    const AreaPicture picture = PrepareAreaPicture(points, "Ciasno", 7, {}, kDefaultTolerance, 2);
    LabelCounts counts;
    const std::string svg = AreaSvg(picture, &counts);
    EXPECT_GT(counts.NamesLeftOut, 100u);
    EXPECT_NE(svg.find("<line class=\"leader\""), std::string::npos); // one stands away
    std::vector<std::string> bold;
    for (const auto& [tag, body] : Elements(svg, "text"))
        if (Attribute(tag, "class") == "name bname")
            bold.push_back(body);
    std::sort(bold.begin(), bold.end());
    EXPECT_EQ(bold, (std::vector<std::string> { "Pkt-105", "Pkt-210", "Pkt-333" }));
}

// Zoomed on a corner: the map is centred on the point; the blunder at the opposite corner is
// off the map and listed in the figures; the names off the map count neither as placed nor as
// left out for want of space.
TEST(AreaPicture, CentredOnAPointListsTheBlundersOffTheMap)
{
    TPktDostosowania points = Town();
    Move(points[kCorner], 0.1L, 0.1L);
    AreaPicture picture = PrepareAreaPicture(points, "Miasto", 7, {}, kDefaultTolerance, 2);
    ASSERT_TRUE(picture.NamedAt(kCorner));
    picture.Scale = 5000.0L;
    picture.Centre = FindPoint(points, "T0");
    ASSERT_EQ(picture.Centre, 0u);
    const PictureLayout l = LayOutPicture(picture);
    EXPECT_EQ(FormatDecimals(l.PaperX(points[0].NationalY), 6),
        FormatDecimals(l.MapLeft + l.MapWidth / 2.0L, 6));
    EXPECT_EQ(FormatDecimals(l.PaperY(points[0].NationalX), 6),
        FormatDecimals(l.MapTop + l.MapHeight / 2.0L, 6));
    LabelCounts counts;
    const std::string svg = AreaSvg(picture, &counts);
    EXPECT_NE(svg.find(">  poza mapą: T63</text>"), std::string::npos);
    EXPECT_LT(counts.Names, points.size());
    EXPECT_EQ(counts.NamesLeftOut, 0u);
}

// Every extrapolated point of the town swings by 5 cm, as a distortion that no cubic follows
// does beyond the last points: their spreads grow by what the others show, the interior keeps
// the model's spread, nothing is named, and a 20 cm blunder inside still is. An area too small
// to screen well keeps the model's spreads.
TEST(Screening, ExtrapolatedPointsAreJudgedOnTheSwingTheOthersShow)
{
    TPktDostosowania points = Town();
    std::vector<Extended> x, y;
    for (const TPkt& p : points) {
        x.push_back(p.LocalX);
        y.push_back(p.LocalY);
    }
    const std::vector<bool> outside = OutsideHullOfOthers(x, y);
    Extended turn = 0.0L;
    for (size_t i = 0; i < points.size(); ++i)
        if (outside[i]) {
            Move(points[i], 0.05L * std::cos(turn), 0.05L * std::sin(turn));
            turn = turn + 2.4L;
        }
    const LooResult loo = LeaveOneOut(points, Direction::LocalToNational, kDefaultTolerance, 1);
    EXPECT_FALSE(loo.MostOver);
    for (size_t i = 0; i < points.size(); ++i) {
        const LooDiscrepancy& d = loo.Points[i];
        const Extended model = d.Sigma * std::sqrt(*d.Factor);
        if (outside[i])
            EXPECT_GT(d.Spread, 2.0L * model) << i;
        else // the swing at 500 m from the neighbours only (DistortionSwing.h)
            EXPECT_TRUE(d.Spread >= model && d.Spread < 1.25L * model) << i;
    }
    Move(points[kInside], 0.12L, -0.16L);
    EXPECT_EQ(Named(points), std::vector<size_t> { kInside });
}

// Points far from the others swing with the network's distortion: their thresholds count the
// swing the others at such distances show, and a blunder at one counts in no estimate of its own
// threshold, so that its printed mwb is named (below 100 points the swing of each point comes
// from the set without it).
TEST(Screening, AnIsolatedPointsSwingIsNoBlunder)
{
    struct Case
    {
        const char* What;
        std::vector<size_t> Points; // of the town; empty: all of it
        Extended Reach; // metres from the town's centre of the four scattered points
    };
    const Case cases[] = {
        { "the town and four points 3 km out", {}, 3000.0L },
        { "six of it and four points 2 km out", { 18, 19, 26, 27, 34, 35 }, 2000.0L },
    };
    const TPktDostosowania town = Town();
    for (const Case& c : cases)
        for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
            SCOPED_TRACE(c.What);
            TPktDostosowania points;
            for (size_t i : c.Points)
                points.push_back(town[i]);
            if (c.Points.empty())
                points = town;
            const size_t first = points.size();
            for (int k = 0; k < 4; ++k) { // the cubic of Town, and a swing of 5 cm
                const Extended u = c.Reach * std::cos(1.6L * k), v = c.Reach * std::sin(1.6L * k);
                const Extended X = 5852000.0L + 0.99991L * u - 0.0123L * v
                    + 2.1e-9L * (u * u - v * v) + 0.05L * std::cos(2.5L * k);
                const Extended Y = 6482000.0L + 0.0123L * u + 0.99991L * v + 4.2e-9L * u * v
                    + 0.05L * std::sin(2.5L * k);
                points.push_back(Point("S" + std::to_string(k), 27750.0L + u, 18750.0L + v, X, Y));
            }
            const LooResult clean = LeaveOneOut(points, direction, kDefaultTolerance, 1);
            EXPECT_FALSE(clean.MostOver) << FromNational(direction);
            const LooDiscrepancy& was = clean.Points[first];
            EXPECT_GT(was.Spread, 1.5L * was.Sigma * std::sqrt(*was.Factor))
                << FromNational(direction);
            Move(points[first], 0.0L, 1.1L * was.Detectable);
            const LooResult moved = LeaveOneOut(points, direction, kDefaultTolerance, 1);
            if (points.size() < kWeakScreeningBelow) { // no other point's median counts there
                EXPECT_LT(std::fabs(moved.Points[first].Spread - was.Spread), 0.01L * was.Spread)
                    << FromNational(direction);
            }
            EXPECT_EQ(moved.MostOver, std::optional<size_t> { first }) << FromNational(direction);
        }
}

// Areas at the edge of what can be judged, and neighbours that carry each other's blunder.
TEST(Screening, SmallAreasAndNeighboursThatShareABlunder)
{
    struct Case
    {
        const char* What;
        std::vector<size_t> Points; // of the town, in this order
        std::vector<std::tuple<size_t, Extended, Extended>> Moves; // index into Points, east, north
        std::vector<size_t> Expected; // indices into Points, in any order
    };
    const Case cases[] = {
        // The fit without a point has no check: no σ, no threshold, nothing named.
        { "5 points, 20 cm", { 0, 2, 5, 17, 40 }, { { 3, 0.2L, 0.0L } }, {} },
        { "5 points, clean", { 9, 12, 33, 50, 62 }, {}, {} },
    };
    const TPktDostosowania town = Town();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        TPktDostosowania points;
        for (size_t i : c.Points)
            points.push_back(town[i]);
        for (const auto& [i, east, north] : c.Moves)
            Move(points[i], east, north);
        for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
            const Screening s = ScreenBlunders(points, direction, {}, kDefaultTolerance, 1);
            std::vector<size_t> named = s.Blunders;
            std::sort(named.begin(), named.end());
            EXPECT_EQ(named, c.Expected) << FromNational(direction);
            const LooResult& first = s.Rounds[0].Loo;
            EXPECT_EQ(first.Judged, points.size() >= kMinimumPointsJudged);
            for (const LooDiscrepancy& d : first.Points)
                EXPECT_TRUE(
                    first.Judged || (d.Threshold == 0.0L && d.Detectable == 0.0L && !d.Blunder));
        }
    }
    // A neighbour 15 m from T27 (a point of the town's field moved with it) and a twin 5 cm
    // from it in the local system at its national position: each shares T27's blunder, and is
    // left out with it, so that both are named in either direction, the twin too where its
    // source position differs.
    struct Shared
    {
        const char* What;
        Extended LocalShift, NationalShift, Blunder; // metres, east
    };
    for (const Shared& c : { Shared { "neighbour 15 m, 30 cm", 15.0L, 15.0L, 0.3L },
             Shared { "twin 5 cm, 10 cm", 0.05L, 0.0L, 0.1L } })
        for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
            SCOPED_TRACE(c.What);
            TPktDostosowania points = Town();
            TPkt near = points[kInside];
            near.Name = "near";
            near.LocalY = near.LocalY + c.LocalShift;
            near.NationalY = near.NationalY + c.NationalShift;
            points.push_back(near);
            Move(points[kInside], c.Blunder, 0.0L);
            Move(points.back(), c.Blunder, 0.0L);
            const Screening s = ScreenBlunders(points, direction, {}, kDefaultTolerance, 1);
            std::vector<size_t> named = s.Blunders;
            std::sort(named.begin(), named.end());
            EXPECT_EQ(named, (std::vector<size_t> { kInside, points.size() - 1 }))
                << FromNational(direction);
            const LooDiscrepancy& first = s.Rounds[0].Loo.Points[kInside];
            EXPECT_TRUE(first.Partner || first.Copies == 2) << FromNational(direction);
        }
}

// An area whose edges swing further than its interior says so in lines of its own; the town as
// it is does not.
TEST(Screening, DeformationIsToldApartFromTheBlunders)
{
    for (const Extended amplitude : { 0.0L, 0.08L }) {
        SCOPED_TRACE(static_cast<double>(amplitude));
        TPktDostosowania points = Town();
        for (TPkt& p : points) {
            // A bump on each side: the edge points depart from the cubic, the interior less.
            const Extended r = std::fabs(p.LocalX - 27750.0L) + std::fabs(p.LocalY - 18750.0L);
            Move(p, amplitude * std::pow(r / 3500.0L, 6.0L), 0.0L);
        }
        const Screening s
            = ScreenBlunders(points, Direction::LocalToNational, {}, kDefaultTolerance, 1);
        std::vector<std::string> names;
        for (const TPkt& p : points)
            names.push_back(p.Name);
        const std::vector<std::string> lines = VerdictLines(s.Rounds.back().Loo, names);
        EXPECT_EQ(
            !lines.empty() && lines[0].rfind("Odkształcenie sieci", 0) == 0, amplitude > 0.0L);
    }
}
