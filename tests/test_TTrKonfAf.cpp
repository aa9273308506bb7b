#include "HausbrandtReference.h"
#include "TestSupport.h"
#include "UTrKonfAf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <random>

using namespace vorida;
using namespace vorida::test;

namespace {

using Complex = std::complex<Extended>;

// Tolerances in metres.
constexpr Extended kExact = 1e-6L; // what an exact model leaves: rounding only
constexpr Extended kSurvey = 0.01L; // what a survey can see

// A conformal cubic in local coordinates, in the range of a town's local system mapped into
// the 2000 system.
Complex trueCubic(Complex z)
{
    const Complex origin(30000.0L, 20000.0L);
    const Complex w = z - origin;
    return Complex(5856000.0L, 6483000.0L) + Complex(0.99993L, 0.0123L) * w
        + Complex(2.1e-9L, -1.3e-9L) * w * w + Complex(4.0e-14L, 2.5e-14L) * w * w * w;
}

// n points on a jittered grid over 8 x 6 km; noise (metres) added to the targets.
TPktDostosowania area(int n, Extended noise, unsigned seed = 7)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> jitter(-1.0, 1.0);
    TPktDostosowania points;
    for (int i = 0; i < n; ++i) {
        Extended x = 26000.0L + 8000.0L * static_cast<Extended>(i % 7) / 6.0L
            + 300.0L * static_cast<Extended>(jitter(random));
        Extended y = 17000.0L
            + 6000.0L * static_cast<Extended>(i / 7) / static_cast<Extended>((n + 6) / 7)
            + 300.0L * static_cast<Extended>(jitter(random));
        Complex t = trueCubic(Complex(x, y));
        points.push_back(
            Point(std::to_string(i), x, y, t.real() + noise * static_cast<Extended>(jitter(random)),
                t.imag() + noise * static_cast<Extended>(jitter(random))));
    }
    return points;
}

Complex transform(TTrKonfAf& t, Complex z)
{
    Extended x, y;
    t.TransformPoint(x, y, z.real(), z.imag());
    return { x, y };
}

} // namespace

TEST(TTrKonfAf, RecoversAConformalCubicExactly)
{
    TTrKonfAf t;
    t.Fit(area(30, 0.0L), 3, false, 1);
    EXPECT_EQ(t.Singular, 0);
    for (std::int32_t i = 1; i <= t.PointCount; ++i) {
        EXPECT_LT(std::fabs(t.ResidualX[static_cast<size_t>(i)]), kExact);
        EXPECT_LT(std::fabs(t.ResidualY[static_cast<size_t>(i)]), kExact);
    }
    // Anywhere in the area, not only at the adjustment points.
    for (Extended x = 25000.0L; x <= 35000.0L; x += 1250.0L)
        for (Extended y = 16000.0L; y <= 24000.0L; y += 1000.0L)
            EXPECT_LT(std::abs(transform(t, { x, y }) - trueCubic({ x, y })), kExact);
}

TEST(TTrKonfAf, ResidualsSumToZeroAndGiveTheMeanError)
{
    TTrKonfAf t;
    t.Fit(area(25, 0.004L), 3, false, 1);
    Extended sx = 0.0L, sy = 0.0L, squares = 0.0L;
    for (size_t i = 1; i <= static_cast<size_t>(t.PointCount); ++i) {
        sx += t.ResidualX[i];
        sy += t.ResidualY[i];
        squares += t.ResidualX[i] * t.ResidualX[i] + t.ResidualY[i] * t.ResidualY[i];
    }
    EXPECT_LT(std::fabs(sx), 1e-9L);
    EXPECT_LT(std::fabs(sy), 1e-9L);
    EXPECT_GT(squares, 0.0L);
    // The elimination forms the sum by cancellation: a relative agreement of 1e-6 is all it keeps.
    const Extended m0 = std::sqrt(squares / (2 * 25 - 8));
    ASSERT_TRUE(t.M0().has_value());
    EXPECT_NEAR(static_cast<double>(*t.M0() / m0), 1.0, 1e-6);
    // No mean error without redundancy (4 points, 8 unknowns) or from a singular system.
    t.Fit(area(4, 0.05L), 3, false, 1);
    EXPECT_FALSE(t.M0().has_value());
    t.Fit({ Point("1", 100.0L, 200.0L, 5.0L, 6.0L) }, 3, false, 1);
    EXPECT_FALSE(t.M0().has_value());
}

TEST(TTrKonfAf, FourPointsFitExactlyWithNoCorrection)
{
    TTrKonfAf t;
    t.Fit(area(4, 0.05L), 3, false, 1);
    EXPECT_EQ(t.Singular, 0);
    for (size_t i = 1; i <= 4; ++i) {
        EXPECT_LT(std::fabs(t.ResidualX[i]), kExact);
        EXPECT_LT(std::fabs(t.ResidualY[i]), kExact);
    }
    transform(t, { 29000.0L, 19000.0L });
    EXPECT_LT(std::hypot(t.CorrectionX, t.CorrectionY), kExact);
}

TEST(TTrKonfAf, DegenerateSetsAreSingular)
{
    TTrKonfAf t;
    t.Fit({ Point("1", 100.0L, 200.0L, 5.0L, 6.0L) }, 3, false, 1);
    EXPECT_EQ(t.Singular, 1);

    TPktDostosowania same(6, Point("p", 100.0L, 200.0L, 5.0L, 6.0L));
    for (size_t i = 0; i < same.size(); ++i)
        same[i].NationalX += static_cast<Extended>(i);
    t.Fit(same, 3, false, 1);
    EXPECT_EQ(t.Singular, 1);
}

TEST(TTrKonfAf, EmptySetAndBadDegreeAreErrors)
{
    TTrKonfAf t;
    EXPECT_THROW(t.Fit({}, 3, false, 1), FloatingPointError);
    EXPECT_THROW(t.Fit(area(5, 0.0L), 0, false, 1), FitError);
    EXPECT_THROW(t.Fit(area(5, 0.0L), 59, false, 1), FitError);
    TPktDostosowania withNaN = area(6, 0.0L);
    withNaN[2].LocalX = std::numeric_limits<Extended>::quiet_NaN();
    EXPECT_THROW(t.Fit(withNaN, 3, false, 1), FloatingPointError);
}

TEST(TTrKonfAf, AFitThatThrowsAfterAGoodOneLeavesNothingToConvertWith)
{
    TPktDostosowania withNaN = area(6, 0.0L);
    withNaN[2].NationalY = std::numeric_limits<Extended>::quiet_NaN();
    const std::pair<const char*, std::function<void(TTrKonfAf&)>> failures[] = {
        { "empty set", [](TTrKonfAf& t) { t.Fit({}, 3, false, 1); } },
        { "degree 0", [](TTrKonfAf& t) { t.Fit(area(5, 0.0L), 0, false, 1); } },
        { "a target that is no number", [&](TTrKonfAf& t) { t.Fit(withNaN, 3, false, 1); } },
    };
    for (const auto& [what, fail] : failures) {
        SCOPED_TRACE(what);
        TTrKonfAf t;
        t.Fit(area(6, 0.0L), 3, false, 1);
        ASSERT_TRUE(t.M0().has_value());
        EXPECT_ANY_THROW(fail(t));
        Extended x = -1.0L, y = -2.0L;
        t.TransformPoint(x, y, 1000.0L, 2000.0L);
        EXPECT_EQ(x, -1.0L);
        EXPECT_EQ(y, -2.0L);
        EXPECT_FALSE(t.M0().has_value());
    }
}

TEST(TTrKonfAf, ReverseFitGoesBackToTheStart)
{
    const TPktDostosowania points = area(30, 0.003L);
    TTrKonfAf forward, backward;
    forward.Fit(points, 3, false, 1);
    backward.Fit(points, 3, true, 1);
    for (Complex start : { Complex(27000.0L, 18000.0L), Complex(31234.5L, 21987.6L) }) {
        Complex there = transform(forward, start);
        Complex back = transform(backward, there);
        EXPECT_LT(std::abs(back - start), kSurvey);
        EXPECT_GT(std::abs(there - start), 1000.0L);
    }
}

TEST(TTrKonfAf, CorrectionModeOtherThanOneGivesThePlainPolynomial)
{
    const TPktDostosowania points = area(20, 0.01L);
    TTrKonfAf corrected, plain;
    corrected.Fit(points, 3, false, 1);
    plain.Fit(points, 3, false, 0);
    Complex withCorrection = transform(corrected, { 29000.0L, 20500.0L });
    Complex without = transform(plain, { 29000.0L, 20500.0L });
    EXPECT_GT(std::hypot(corrected.CorrectionX, corrected.CorrectionY), 0.0L);
    EXPECT_EQ(without.real(), withCorrection.real() - corrected.CorrectionX);
    EXPECT_EQ(without.imag(), withCorrection.imag() - corrected.CorrectionY);
}

TEST(TTrKonfAf, HausbrandtPullsToTheResidualNearAndToTheirMeanFarAway)
{
    const TPktDostosowania points = area(25, 0.02L);
    TTrKonfAf t;
    t.Fit(points, 3, false, 1);
    // At an adjustment point its own residual dominates: the result is its target.
    for (size_t i = 0; i < points.size(); i += 6) {
        Complex out = transform(t, { points[i].LocalX, points[i].LocalY });
        EXPECT_LT(std::abs(out - Complex(points[i].NationalX, points[i].NationalY)), 1e-5L);
        EXPECT_NEAR(
            static_cast<double>(t.CorrectionX), static_cast<double>(t.ResidualX[i + 1]), 1e-5);
    }
    // Far away every weight is nearly the same, and the residuals sum to zero.
    transform(t, { 30000.0L + 5e6L, 20000.0L });
    EXPECT_LT(std::hypot(t.CorrectionX, t.CorrectionY), 1e-4L);
}

TEST(TTrKonfAf, ANewFitLeavesNoTraceOfThePrevious)
{
    const TPktDostosowania big = area(40, 0.01L, 1), small = area(9, 0.01L, 2);
    TTrKonfAf reused, fresh;
    reused.Fit(big, 3, true, 1);
    reused.Fit(small, 3, false, 1);
    fresh.Fit(small, 3, false, 1);
    EXPECT_EQ(reused.Coefficients, fresh.Coefficients);
    EXPECT_EQ(reused.ResidualX, fresh.ResidualX);
    EXPECT_EQ(reused.SourceY, fresh.SourceY);
    EXPECT_EQ(reused.Scale, fresh.Scale);
    Complex a = transform(reused, { 28000.0L, 19000.0L });
    Complex b = transform(fresh, { 28000.0L, 19000.0L });
    EXPECT_EQ(a.real(), b.real());
    EXPECT_EQ(a.imag(), b.imag());
}

TEST(TTrKonfAf, LargeSetsHaveNoFixedCapacity)
{
    TTrKonfAf t;
    t.Fit(area(100001, 0.0L), 3, false, 1);
    EXPECT_EQ(t.Singular, 0);
    EXPECT_LT(
        std::abs(transform(t, { 30000.0L, 20000.0L }) - trueCubic({ 30000.0L, 20000.0L })), kExact);
}

// Targets beyond 1e30 do not split into a double and a float: the correction then reads the
// fit's extended arrays, every adjustment point once, entry 1 to PointCount.
TEST(TTrKonfAf, CorrectionOverTheExtendedArraysTakesEveryPointOnce)
{
    TPktDostosowania points = area(9, 0.004L);
    for (TPkt& p : points)
        p.NationalX = p.NationalX + 1e31L;
    TTrKonfAf t;
    t.Fit(points, 3, false, 1);
    for (const auto& [Xt, Yt] : { std::pair { 1e31L + 5.85e6L, 6.48e6L },
             std::pair { points[4].NationalX, points[4].NationalY } }) {
        const auto [cx, cy] = ReferenceCorrection(t, Xt, Yt);
        t.HausbrandtCorrection(Xt, Yt);
        EXPECT_EQ(t.CorrectionX, cx);
        EXPECT_EQ(t.CorrectionY, cy);
    }
}
