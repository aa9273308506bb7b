#include "LooDowndate.h"

#include <algorithm>
#include <cmath>

namespace vorida {

LooDowndate::LooDowndate(const TPktDostosowania& points, Direction direction,
    const std::vector<size_t>& copies, size_t fromPoints)
{
    const size_t n = points.size();
    // Without a point the set must keep a redundancy, 2(n − 1) − 8 > 0.
    if (n < fromPoints || 2 * n <= 10)
        return;
    // It must also keep the run's minimum of distinct positions: the positions that hold one
    // point only are counted, which is never more than there are.
    size_t positions = 0;
    for (size_t c : copies)
        positions += c == 1 ? 1 : 0;
    if (positions <= kMinimumAdjustmentPoints)
        return;
    TTrKonfAf t;
    try {
        if (FitArea(t, points, direction) != AreaFitStatus::Fitted)
            return;
        points_.resize(n);
        rowX_.resize(n);
        rowY_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const size_t k = i + 1; // the fit's arrays count from 1
            const Extended u = (t.SourceX[k] - t.SourceMeanX) * t.Scale;
            const Extended v = (t.SourceY[k] - t.SourceMeanY) * t.Scale;
            cubic::ObservationRows(u, v, rowX_[i], rowY_[i]);
            const cubic::Row& x = rowX_[i];
            points_[i] = { x[2], -x[3], x[4], -x[5], x[6], -x[7], t.TargetX[k], t.TargetY[k],
                t.ResidualX[k], t.ResidualY[k] };
            cubic::AddOuter(normal_, rowX_[i], 1.0L);
            cubic::AddOuter(normal_, rowY_[i], 1.0L);
            const Extended ex = t.ResidualX[k], ey = t.ResidualY[k];
            squares_ = squares_ + (ex * ex + ey * ey);
            for (size_t c = 0; c < cubic::kUnknowns; ++c)
                crossTerm_[c] = crossTerm_[c] + (rowX_[i][c] * ex + rowY_[i][c] * ey);
        }
        cubic::Matrix whole = normal_;
        if (!cubic::Factor(whole, kDowndatePivotFloor, &pivots_))
            return;
        ThrowOnFloatingPointFlags();
    } catch (const FloatingPointError&) {
        return; // each point's fit from scratch says what fails
    }
    single_.resize(n);
    for (size_t i = 0; i < n; ++i)
        single_[i] = copies[i] == 1;
    usable_ = true;
}

Extended LooDowndate::quadratic(const cubic::Row& d) const
{
    Extended sum = 0.0L;
    for (size_t r = 0; r < cubic::kUnknowns; ++r)
        sum = sum + d[r] * cubic::Dot(normal_[r], d);
    return sum;
}

void LooDowndate::residualAfter(const Point& p, const cubic::Row& d, Extended& ex, Extended& ey)
{
    ex = p.ResidualX
        + (d[0] + ((p.R1 * d[2] - p.I1 * d[3]) + (p.R2 * d[4] - p.I2 * d[5]))
            + (p.R3 * d[6] - p.I3 * d[7]));
    ey = p.ResidualY
        + (d[1] + ((p.I1 * d[2] + p.R1 * d[3]) + (p.I2 * d[4] + p.R2 * d[5]))
            + (p.I3 * d[6] + p.R3 * d[7]));
}

void LooDowndate::correction(size_t i, const std::vector<size_t>& with, Extended xt, Extended yt,
    const cubic::Row& d, Extended& cx, Extended& cy) const
{
    // Hausbrandt's correction over the others: Σ wⱼ(eⱼ + Aⱼd) = Σ wⱼeⱼ + (Σ wⱼAⱼ)d, so one
    // pass sums the weights times the residuals and times the powers of z.
    Extended sw = 0.0L, sx = 0.0L, sy = 0.0L;
    Extended r1 = 0.0L, i1 = 0.0L, r2 = 0.0L, i2 = 0.0L, r3 = 0.0L, i3 = 0.0L;
    for (size_t j = 0; j < points_.size(); ++j) {
        if (j == i || (with.size() > 1 && std::binary_search(with.begin(), with.end(), j)))
            continue;
        const Point& q = points_[j];
        const Extended dx = q.TargetX - xt, dy = q.TargetY - yt;
        const Extended w = 1.0L / ((dx * dx + dy * dy) + kCorrectionDistanceFloor);
        sw = sw + w;
        sx = q.ResidualX * w + sx;
        sy = q.ResidualY * w + sy;
        r1 = q.R1 * w + r1;
        i1 = q.I1 * w + i1;
        r2 = q.R2 * w + r2;
        i2 = q.I2 * w + i2;
        r3 = q.R3 * w + r3;
        i3 = q.I3 * w + i3;
    }
    cx = (sx
             + (sw * d[0] + ((r1 * d[2] - i1 * d[3]) + (r2 * d[4] - i2 * d[5]))
                 + (r3 * d[6] - i3 * d[7])))
        / sw;
    cy = (sy
             + (sw * d[1] + ((i1 * d[2] + r1 * d[3]) + (i2 * d[4] + r2 * d[5]))
                 + (i3 * d[6] + r3 * d[7])))
        / sw;
}

std::optional<DowndatedPoint> LooDowndate::Without(size_t i, const std::vector<size_t>& with) const
{
    if (!usable_)
        return std::nullopt;
    for (size_t k : with)
        if (!single_[k])
            return std::nullopt;
    ClearFloatingPointFlags();
    try {
        cubic::Matrix reduced = normal_;
        for (size_t k : with) {
            cubic::AddOuter(reduced, rowX_[k], -1.0L);
            cubic::AddOuter(reduced, rowY_[k], -1.0L);
        }
        cubic::Row pivots {};
        if (!cubic::Factor(reduced, kDowndatePivotFloor, &pivots))
            return std::nullopt;
        for (size_t j = 0; j < cubic::kUnknowns; ++j)
            if (!(pivots[j] >= kDowndatePivotShare * pivots_[j]))
                return std::nullopt;
        const Point& p = points_[i];
        cubic::Row g {};
        for (size_t k = 0; k < cubic::kUnknowns; ++k)
            g[k] = rowX_[i][k] * p.ResidualX + rowY_[i][k] * p.ResidualY;
        for (size_t o : with)
            if (o != i)
                for (size_t k = 0; k < cubic::kUnknowns; ++k)
                    g[k] = g[k]
                        + (rowX_[o][k] * points_[o].ResidualX + rowY_[o][k] * points_[o].ResidualY);
        const cubic::Row d = cubic::Solve(reduced, g); // the change of the coefficients is −d
        // The residual of point j in the fit without i is eⱼ + Aⱼd; point i's is its
        // discrepancy before the correction, and its conversion its target less that.
        Extended ex = 0.0L, ey = 0.0L;
        residualAfter(p, d, ex, ey);
        const Extended xt = p.TargetX - ex, yt = p.TargetY - ey;
        Extended cx = 0.0L, cy = 0.0L;
        correction(i, with, xt, yt, d, cx, cy);
        // The others' squared residuals: Σ |eⱼ + Aⱼd|² over all less those left out,
        // = S + 2dᵀq + dᵀNd − |eᵢ + Aᵢd|² − … with S = Σ |eⱼ|², q = Σ Aⱼᵀeⱼ (zero but for
        // rounding). When most of S was point i's own, too few digits are left: fit anew.
        const Extended whole = squares_ + (2.0L * cubic::Dot(d, crossTerm_) + quadratic(d));
        Extended own = ex * ex + ey * ey;
        for (size_t o : with)
            if (o != i) {
                Extended ox = 0.0L, oy = 0.0L;
                residualAfter(points_[o], d, ox, oy);
                own = own + (ox * ox + oy * oy);
            }
        const Extended squares = whole - own;
        if (!(squares >= kDowndateDigitsKept * whole))
            return std::nullopt;
        DowndatedPoint out;
        out.Loo = DiscrepancyOf(p.TargetX, p.TargetY, xt + cx, yt + cy);
        const size_t m = points_.size() - with.size();
        if (2 * m <= 8)
            return std::nullopt;
        out.Sigma = std::sqrt(squares / static_cast<Extended>(2 * m - 8));
        ThrowOnFloatingPointFlags();
        return out;
    } catch (const FloatingPointError&) {
        return std::nullopt;
    }
}

} // namespace vorida
