// The transformation between the two plane systems of the adjustment points.
//
// Model: the source coordinates are centred on their mean and scaled by 1 / (r_max + 1), so
// that |z| < 1 for every adjustment point (z = u + iv); the target coordinates are only
// centred. The target is the conformal complex polynomial c0 + c1 z + ... + cn z^n with
// c_k = a_k + i b_k; the 2n + 2 real unknowns are fitted by least squares, every observation
// with weight 1.
//
// The normal equations are kept as one packed upper triangle (with the observation column and
// one extra cell per row) and solved in place by a square-root elimination that carries the
// solution into the first row, so that no back-substitution is needed; the pivot test is
// absolute (below kPivotFloor the system counts as singular).
//
// Hausbrandt's correction then spreads the residuals of the fit onto every transformed point,
// weighted by one over the squared distance (plus kCorrectionDistanceFloor, 1e-9 m^2) between
// the point's uncorrected
// result and each adjustment point's target position.
//
// Every value is an x87 extended real and the order of the operations below is the one the
// last digits of the results depend on: keep it when changing anything here.
#include "UTrKonfAf.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vorida {

namespace {
// (R, I) times (u, v): the next power of z = u + iv, in the one order the results rely on.
inline void multiplyByZ(Extended& R, Extended& I, Extended u, Extended v)
{
    const Extended R1 = R * u - I * v;
    const Extended I1 = I * u + R * v;
    R = R1;
    I = I1;
}
} // namespace

void TTrKonfAf::Fit(
    const TPktDostosowania& Points, std::int32_t degree, bool Reverse, std::int32_t correctionMode)
{
    // Until this fit has succeeded the object converts nothing: a Fit that throws must not
    // leave the previous fit's numbers mixed with this one's.
    Mode = 0;
    if (degree < 1 || degree > kMaximumDegree)
        throw FitError("Stopień wielomianu poza zakresem 1..58");
    if (Points.size() >= static_cast<size_t>(std::numeric_limits<std::int32_t>::max()))
        throw FitError("Zbyt wiele punktów dostosowania");

    Degree = degree;
    CorrectionMode = correctionMode;
    PointCount = static_cast<std::int32_t>(Points.size());

    const size_t perPoint = static_cast<size_t>(PointCount) + 1;
    const std::int32_t n = Degree;
    const std::int32_t m = 2 * n + 2;
    // The solve reads up to entry (m + 2)(m + 3) / 2 of the packed equations.
    const size_t packed = static_cast<size_t>((m + 2) * (m + 3) / 2) + 1;
    for (auto* array : { &SourceX, &SourceY, &TargetX, &TargetY, &ResidualX, &ResidualY })
        array->assign(perPoint, 0.0L);
    Coefficients.assign(packed, 0.0L);
    ObservationRow.assign(static_cast<size_t>(m) + 3, 0.0L);

    for (std::int32_t i = 0; i < PointCount; ++i) {
        const TPkt& p = Points[static_cast<size_t>(i)];
        const auto k = static_cast<size_t>(i) + 1;
        if (!Reverse) {
            SourceX[k] = p.LocalX;
            SourceY[k] = p.LocalY;
            TargetX[k] = p.NationalX;
            TargetY[k] = p.NationalY;
        } else {
            SourceX[k] = p.NationalX;
            SourceY[k] = p.NationalY;
            TargetX[k] = p.LocalX;
            TargetY[k] = p.LocalY;
        }
    }

    ClearFloatingPointFlags();
    CentreAndScale();
    UnknownCount = m;
    AccumulateObservations();
    SolveNormal();
    ComputeResiduals();
    ThrowOnFloatingPointFlags();
    SplitForCorrection();
    Mode = 1;
}

void TTrKonfAf::CentreAndScale()
{
    SourceMeanX = 0.0L;
    SourceMeanY = 0.0L;
    TargetMeanX = 0.0L;
    TargetMeanY = 0.0L;
    for (size_t i = 1; i <= static_cast<size_t>(PointCount); ++i) {
        SourceMeanX = SourceMeanX + SourceX[i];
        SourceMeanY = SourceMeanY + SourceY[i];
        TargetMeanX = TargetMeanX + TargetX[i];
        TargetMeanY = TargetMeanY + TargetY[i];
    }
    const auto count = static_cast<Extended>(PointCount);
    SourceMeanX = SourceMeanX / count;
    SourceMeanY = SourceMeanY / count;
    TargetMeanX = TargetMeanX / count;
    TargetMeanY = TargetMeanY / count;
    ThrowOnFloatingPointFlags(); // an empty set gives 0/0 here
    // A NaN among the coordinates (a NaN or unnormal pattern in TRANSPKT.BIN) goes through the
    // sums without raising a flag and would reach the results: refuse it like an invalid
    // operation, and an infinity with it.
    if (!(std::isfinite(SourceMeanX) && std::isfinite(SourceMeanY) && std::isfinite(TargetMeanX)
            && std::isfinite(TargetMeanY)))
        throw FloatingPointError("Niedozwolona operacja zmiennoprzecinkowa");

    Extended r2 = 0.0L;
    for (size_t i = 1; i <= static_cast<size_t>(PointCount); ++i) {
        Extended dx = SourceX[i] - SourceMeanX;
        Extended dy = SourceY[i] - SourceMeanY;
        Extended d2 = dx * dx + dy * dy;
        if (d2 > r2)
            r2 = d2;
    }
    Scale = 1.0L / (std::sqrt(r2) + 1.0L);
}

void TTrKonfAf::AccumulateObservations()
{
    const std::int32_t n = Degree;
    const std::int32_t m = UnknownCount;
    const size_t c = static_cast<size_t>(m) + 1; // entries of an observation row
    Coefficients[static_cast<size_t>(m) + 2] = 1.0L;

    // The rows of a block of points are built first, entry by entry (column e holds entry e of
    // each of the block's 2 * kBlockPoints rows, the x and the y equation of each point in
    // turn); then each cell of the normal equations takes the products of the whole block in
    // one register. Every cell still adds the same products in the same order (point by point,
    // the x row before the y row) as adding one row at a time would, and an extended value
    // kept in a register is the one stored in memory: the sums are the same to the last bit,
    // with a tenth of the 10-byte loads and stores.
    constexpr size_t kBlockPoints = 32;
    constexpr size_t kBlockRows = 2 * kBlockPoints;
    BlockColumns.resize((c + 1) * kBlockRows);
    Extended* columns = BlockColumns.data();
    Extended* cell = Coefficients.data();
    const auto points = static_cast<size_t>(PointCount);
    for (size_t first = 1; first <= points; first += kBlockPoints) {
        const size_t count = std::min(kBlockPoints, points - first + 1);
        for (size_t b = 0; b < count; ++b) {
            const size_t i = first + b;
            const size_t x = 2 * b, y = x + 1;
            const Extended u = (SourceX[i] - SourceMeanX) * Scale;
            const Extended v = (SourceY[i] - SourceMeanY) * Scale;

            columns[1 * kBlockRows + x] = 1.0L;
            columns[2 * kBlockRows + x] = 0.0L;
            columns[1 * kBlockRows + y] = 0.0L;
            columns[2 * kBlockRows + y] = 1.0L;
            Extended R = 1.0L, I = 0.0L;
            for (std::int32_t k = 1; k <= n; ++k) {
                multiplyByZ(R, I, u, v);
                const auto e = static_cast<size_t>(2 * k + 1);
                columns[e * kBlockRows + x] = R;
                columns[(e + 1) * kBlockRows + x] = -I;
                columns[e * kBlockRows + y] = I;
                columns[(e + 1) * kBlockRows + y] = R;
            }
            columns[c * kBlockRows + x] = -(TargetX[i] - TargetMeanX);
            columns[c * kBlockRows + y] = -(TargetY[i] - TargetMeanY);
        }
        const size_t rows = 2 * count;
        size_t index = 1;
        for (size_t r = 1; r <= c; ++r) {
            const Extended* a = columns + r * kBlockRows;
            for (size_t j = r; j <= c; ++j, ++index) {
                const Extended* b = columns + j * kBlockRows;
                Extended sum = cell[index];
                for (size_t k = 0; k < rows; ++k)
                    sum = sum + a[k] * b[k];
                cell[index] = sum;
            }
            ++index; // the extra cell of the row
        }
    }
}

void TTrKonfAf::ComputeResiduals()
{
    for (size_t i = 1; i <= static_cast<size_t>(PointCount); ++i) {
        Extended fX, fY;
        Evaluate(SourceX[i], SourceY[i], Coefficients[2], Coefficients[3], fX, fY);
        ResidualX[i] = (TargetX[i] - TargetMeanX) - fX;
        ResidualY[i] = (TargetY[i] - TargetMeanY) - fY;
    }
}

namespace {
// v as hi + lo with the sum exactly v; false when v does not split so. Raises no floating-point
// flag that the program watches: beyond 1e30 (where the remainder could overflow a float)
// nothing is converted.
bool splitExactly(Extended v, double& hi, float& lo) // double, float: exact storage
{
    if (!(std::isfinite(v) && std::fabs(v) <= 1e30L))
        return false;
    hi = static_cast<double>(v); // the nearest double; the rest goes to lo, exactly
    const Extended remainder = v - static_cast<Extended>(hi); // exact: v and hi are so close
    lo = static_cast<float>(remainder);
    return static_cast<Extended>(hi) + static_cast<Extended>(lo) == v;
}

// The value split by splitExactly, rebuilt: the addition is exact.
inline Extended joined(double hi, float lo) // exact storage, rebuilt exactly
{
    return static_cast<Extended>(hi) + static_cast<Extended>(lo);
}
} // namespace

void TTrKonfAf::SplitForCorrection()
{
    correctionPoints_.resize(static_cast<size_t>(PointCount));
    for (size_t i = 1; i <= correctionPoints_.size(); ++i) {
        CorrectionPoint& p = correctionPoints_[i - 1];
        if (!(splitExactly(TargetX[i], p.TargetXHi, p.TargetXLo)
                && splitExactly(TargetY[i], p.TargetYHi, p.TargetYLo)
                && splitExactly(ResidualX[i], p.ResidualXHi, p.ResidualXLo)
                && splitExactly(ResidualY[i], p.ResidualYHi, p.ResidualYLo))) {
            correctionPoints_.clear();
            return;
        }
    }
}

void TTrKonfAf::SolveNormal()
{
    const std::int32_t m = UnknownCount;
    Extended* a = Coefficients.data();
    Extended* t = ObservationRow.data();
    Singular = 0;
    for (std::int32_t repetition = 0; repetition < m; ++repetition) {
        const Extended p = a[1];
        if (p < kPivotFloor) {
            Singular = 1;
            return;
        }
        const Extended q = 1.0L / std::sqrt(p);
        for (std::int32_t j = 2; j <= m + 2; ++j)
            t[j] = a[j] * q;
        // Shift the remaining rows towards the start, eliminating the pivot row; the write
        // index never overtakes the read index.
        std::int32_t w = -1;
        for (std::int32_t k = 2; k <= m + 2; ++k) {
            ++w; // that entry stays as it is
            for (std::int32_t j = k; j <= m + 2; ++j) {
                ++w;
                a[w] = a[w + m + 4 - k] - t[k] * t[j];
            }
        }
    }
}

void TTrKonfAf::Evaluate(
    Extended x, Extended y, Extended startX, Extended startY, Extended& outX, Extended& outY) const
{
    const Extended u = (x - SourceMeanX) * Scale;
    const Extended v = (y - SourceMeanY) * Scale;
    const Extended* c = Coefficients.data();
    Extended AX = startX, AY = startY;
    Extended R = 1.0L, I = 0.0L;
    for (std::int32_t k = 1; k <= Degree; ++k) {
        multiplyByZ(R, I, u, v);
        const Extended ak = c[2 * k + 2];
        const Extended bk = c[2 * k + 3];
        AX = (R * ak + AX) - I * bk;
        AY = (I * ak + AY) + R * bk;
    }
    outX = AX;
    outY = AY;
}

namespace {
// Hausbrandt's sums over count adjustment points, in the one order the results rely on:
// target(i, x, y) gives point i's target position, residual(i, x, y) its residual. Written once
// for both stores of the points; inlined into each loop, so that its operands stay in registers.
template <class Target, class Residual>
[[gnu::always_inline]] inline void addWeightedResiduals(size_t count, Extended Xt, Extended Yt,
    Extended& SX, Extended& SY, Extended& W, const Target& target, const Residual& residual)
{
    for (size_t i = 0; i < count; ++i) {
        Extended tx, ty, rx, ry;
        target(i, tx, ty);
        const Extended dx = tx - Xt;
        const Extended dy = ty - Yt;
        const Extended w = 1.0L / ((dx * dx + dy * dy) + kCorrectionDistanceFloor);
        residual(i, rx, ry);
        SX = rx * w + SX;
        SY = ry * w + SY;
        W = W + w;
    }
}
} // namespace

// Compiled on its own (GCC's noipa): no caller's optimisation may inline it, clone it or pass
// its arguments another way, which would undo what the comment below describes.
#if defined(__GNUC__) && !defined(__clang__)
#define VORIDA_COMPILED_ALONE [[gnu::noipa]]
#else
#define VORIDA_COMPILED_ALONE [[gnu::noinline]]
#endif
VORIDA_COMPILED_ALONE void TTrKonfAf::HausbrandtCorrection(
    const Extended& XtIn, const Extended& YtIn)
{
    // The loop needs eight x87 registers: Xt, Yt, the 1e-9 term, the three sums and two
    // temporaries. Held in locals (not read from the argument slots), Xt and Yt stay in registers
    // and the 1.0 is loaded by fld1 where it is used; when GCC may read an argument slot instead,
    // it keeps the 1.0 in a register and reloads Xt from the stack on every step, which costs
    // more than twice the time on some x86-64 cores (with link-time optimisation, GCC turned the
    // references back into values that way). vorida_bench's HausbrandtLoop watches this.
    const Extended Xt = XtIn;
    const Extended Yt = YtIn;
    Extended SX = 0.0L, SY = 0.0L, W = 0.0L;
    if (!correctionPoints_.empty()) {
        // The split copy: each operand is rebuilt exactly.
        const CorrectionPoint* points = correctionPoints_.data();
        addWeightedResiduals(
            correctionPoints_.size(), Xt, Yt, SX, SY, W,
            [points](size_t i, Extended& tx, Extended& ty) {
                tx = joined(points[i].TargetXHi, points[i].TargetXLo);
                ty = joined(points[i].TargetYHi, points[i].TargetYLo);
            },
            [points](size_t i, Extended& rx, Extended& ry) {
                rx = joined(points[i].ResidualXHi, points[i].ResidualXLo);
                ry = joined(points[i].ResidualYHi, points[i].ResidualYLo);
            });
    } else {
        // The arrays of the fit, from entry 1.
        const Extended* tx = TargetX.data() + 1;
        const Extended* ty = TargetY.data() + 1;
        const Extended* rx = ResidualX.data() + 1;
        const Extended* ry = ResidualY.data() + 1;
        addWeightedResiduals(
            static_cast<size_t>(PointCount), Xt, Yt, SX, SY, W,
            [tx, ty](size_t i, Extended& x, Extended& y) {
                x = tx[i];
                y = ty[i];
            },
            [rx, ry](size_t i, Extended& x, Extended& y) {
                x = rx[i];
                y = ry[i];
            });
    }
    CorrectionX = SX / W;
    CorrectionY = SY / W;
}

void TTrKonfAf::TransformPoint(Extended& OutX, Extended& OutY, Extended X, Extended Y)
{
    if (Mode != 1)
        return;
    ClearFloatingPointFlags();
    Extended Xt, Yt;
    Evaluate(X, Y, Coefficients[2] + TargetMeanX, Coefficients[3] + TargetMeanY, Xt, Yt);

    Extended Xc = 0.0L, Yc = 0.0L;
    if (PointCount > 0 && CorrectionMode == 1) {
        HausbrandtCorrection(Xt, Yt);
        Xc = Xt + CorrectionX;
        Yc = Yt + CorrectionY;
    } else {
        CorrectionX = 0.0L;
        CorrectionY = 0.0L;
    }

    if (CorrectionMode == 1) {
        OutX = Xc;
        OutY = Yc;
    } else {
        OutX = Xt;
        OutY = Yt;
    }
    ThrowOnFloatingPointFlags();
}

std::optional<Extended> TTrKonfAf::M0() const
{
    const std::int32_t redundancy = 2 * PointCount - 2 * (Degree + 1);
    if (Mode != 1 || Singular != 0 || redundancy <= 0)
        return std::nullopt;
    // The eliminated sum of squares can come out a few units of the last place below zero when
    // the polynomial fits exactly; that is a zero sum, not a failure.
    const Extended vv = Coefficients[1] > 0.0L ? Coefficients[1] : 0.0L;
    return std::sqrt(vv / static_cast<Extended>(redundancy));
}

} // namespace vorida
