// The fits without one point downdated from the whole fit, against fits from scratch.
#include "ExpectedSpread.h"
#include "LeaveOneOut.h"
#include "LooDowndate.h"
#include "SyntheticArea.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vorida;
using namespace vorida::test;

namespace {

// What each fit from scratch must agree with the downdate to: every figure printed.
constexpr Extended kAgreement = 1e-6L;

// National coordinates from local ones: a turn and scale, a conformal cubic, a smooth
// distortion of a few centimetres and a deterministic noise of up to 3 mm; blunders on every
// 37th point (15 cm), so that residuals are large as well as small.
struct AreaMaker
{
    UniformSequence Uniform { 12345 };
    TPktDostosowania Points;

    void Add(Extended x, Extended y)
    {
        static const AreaModel model { 30000.0L, 20000.0L, 4.0e-14L, 0.03L, 2100.0L, 0.02L, 1700.0L,
            0.006L };
        const size_t k = Points.size();
        Points.push_back(model.Make(std::string("P").append(std::to_string(k)), x, y, Uniform,
            k % 37 == 36 ? 0.15L : 0.0L));
    }
};

TPktDostosowania Small()
{
    AreaMaker m;
    for (int k = 0; k < 12; ++k)
        m.Add(30000.0L + 3000.0L * m.Uniform(), 20000.0L + 3000.0L * m.Uniform());
    return m.Points;
}

// Four dense clusters 150 m across, kilometres apart.
TPktDostosowania Clustered()
{
    AreaMaker m;
    const Extended centres[4][2] = { { 27000.0L, 18000.0L }, { 33000.0L, 18500.0L },
        { 29500.0L, 24000.0L }, { 31000.0L, 21000.0L } };
    for (int k = 0; k < 240; ++k) {
        const Extended* c = centres[k % 4];
        m.Add(c[0] + 150.0L * m.Uniform(), c[1] + 150.0L * m.Uniform());
    }
    return m.Points;
}

// A road 30 km long and 400 m wide, gently bent.
TPktDostosowania Corridor()
{
    AreaMaker m;
    for (int k = 0; k < 160; ++k) {
        const Extended s = 30000.0L * (static_cast<Extended>(k) / 159.0L - 0.5L);
        m.Add(30000.0L + s, 20000.0L + 1.5e-5L * s * s + 400.0L * m.Uniform());
    }
    return m.Points;
}

std::vector<size_t> Singles(size_t n)
{
    return std::vector<size_t>(n, 1);
}

} // namespace

TEST(LooDowndate, EveryFigureAgreesWithTheFitFromScratch)
{
    struct Case
    {
        const char* Name;
        TPktDostosowania Points;
    };
    for (const Case& c : { Case { "small", Small() }, Case { "clustered", Clustered() },
             Case { "corridor", Corridor() } })
        for (Direction direction : { Direction::LocalToNational, Direction::NationalToLocal }) {
            SCOPED_TRACE(c.Name);
            SCOPED_TRACE(FromNational(direction));
            const TPktDostosowania& points = c.Points;
            const size_t n = points.size();
            const LooDowndate downdate(points, direction, Singles(n), 0);
            ASSERT_TRUE(downdate.Usable());
            const ExpectedSpread spread(points, direction, [n] {
                std::vector<std::vector<size_t>> own(n);
                for (size_t i = 0; i < n; ++i)
                    own[i] = { i };
                return own;
            }());
            const Extended k = SpreadMultiple(n);
            // Point i's discrepancy from the fit without points i .. i + count - 1.
            const auto fromScratch = [&](size_t i, size_t count, TTrKonfAf& t, Discrepancy& slow) {
                TPktDostosowania reduced = points;
                reduced.erase(reduced.begin() + static_cast<std::ptrdiff_t>(i),
                    reduced.begin() + static_cast<std::ptrdiff_t>(i + count));
                ASSERT_EQ(FitArea(t, reduced, direction), AreaFitStatus::Fitted);
                const TPkt& p = points[i];
                Extended x = 0.0L, y = 0.0L;
                t.TransformPoint(x, y, FromNational(direction) ? p.NationalX : p.LocalX,
                    FromNational(direction) ? p.NationalY : p.LocalY);
                slow = DiscrepancyOf(FromNational(direction) ? p.LocalX : p.NationalX,
                    FromNational(direction) ? p.LocalY : p.NationalY, x, y);
            };
            for (size_t i = 0; i < n; ++i) {
                const std::optional<DowndatedPoint> fast = downdate.Without(i);
                ASSERT_TRUE(fast) << i;
                TTrKonfAf t;
                Discrepancy slow;
                ASSERT_NO_FATAL_FAILURE(fromScratch(i, 1, t, slow));
                const Extended sigma = *t.M0();
                // The threshold and the smallest detectable blunder are σ·√f times constants.
                const Extended scale = (k + kDetectionQuantile) * std::sqrt(*spread.Factor(i));
                for (Extended difference :
                    { fast->Loo.Vx - slow.Vx, fast->Loo.Vy - slow.Vy, fast->Loo.V - slow.V,
                        fast->Sigma - sigma, scale * (fast->Sigma - sigma) }) {
                    EXPECT_LT(std::fabs(difference), kAgreement) << i;
                }
            }
            // Left out with a neighbour (the next point), every seventh point.
            for (size_t i = 0; i + 1 < n; i += 7) {
                const std::vector<size_t> with { i, i + 1 };
                const std::optional<DowndatedPoint> fast = downdate.Without(i, with);
                ASSERT_TRUE(fast) << i;
                TTrKonfAf t;
                Discrepancy slow;
                ASSERT_NO_FATAL_FAILURE(fromScratch(i, 2, t, slow));
                for (Extended difference :
                    { fast->Loo.Vx - slow.Vx, fast->Loo.Vy - slow.Vy, fast->Sigma - *t.M0() })
                    EXPECT_LT(std::fabs(difference), kAgreement) << i;
            }
        }
}

TEST(LooDowndate, LeavesToTheFitFromScratchWhatItCannotDoExactly)
{
    TPktDostosowania points = Clustered();
    const size_t n = points.size();
    // Far out alone: nearly all that the cubic knows of that direction is the point's own.
    points[5] = Point(
        "FAR", 30000.0L + 4.0e6L, 20000.0L, points[5].NationalX + 4.0e6L, points[5].NationalY);
    // A big blunder: its own share of the residuals is almost all of them.
    points[9].NationalX = points[9].NationalX + 1.0e9L;
    std::vector<size_t> copies = Singles(n);
    copies[20] = copies[21] = 2; // one position, two points
    const LooDowndate downdate(points, Direction::LocalToNational, copies, 0);
    ASSERT_TRUE(downdate.Usable());
    for (size_t i : { size_t { 5 }, size_t { 9 }, size_t { 20 }, size_t { 21 } })
        EXPECT_FALSE(downdate.Without(i)) << i;
    EXPECT_TRUE(downdate.Without(0));
    // Below the size where it pays, and without a fit of the whole set, it does nothing.
    EXPECT_FALSE(LooDowndate(Small(), Direction::LocalToNational, Singles(12)).Usable());
    TPktDostosowania broken = Clustered();
    broken[3].LocalX = std::nan("");
    EXPECT_FALSE(LooDowndate(broken, Direction::LocalToNational, Singles(n), 0).Usable());
    // LeaveOneOut gives the fit from scratch for what the downdate leaves.
    const LooResult loo = LeaveOneOut(points, Direction::LocalToNational, kDefaultTolerance, 1);
    EXPECT_TRUE(loo.Points[5].Computed());
    EXPECT_GT(loo.Points[9].V, 1.0e8L);
}
