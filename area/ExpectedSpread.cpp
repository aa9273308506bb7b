#include "ExpectedSpread.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace vorida {

using cubic::AddOuter;
using cubic::Dot;
using cubic::kUnknowns;
using cubic::Matrix;
using cubic::Row;
using cubic::Solve;

ExpectedSpread::ExpectedSpread(
    const TPktDostosowania& points, Direction direction, std::vector<std::vector<size_t>> with)
    : with_(std::move(with))
{
    const size_t n = points.size();
    std::vector<Extended> sx(n), sy(n);
    Extended meanX = 0.0L, meanY = 0.0L;
    for (size_t i = 0; i < n; ++i) {
        const TPkt& p = points[i];
        sx[i] = FromNational(direction) ? p.NationalX : p.LocalX;
        sy[i] = FromNational(direction) ? p.NationalY : p.LocalY;
        targetX_.push_back(FromNational(direction) ? p.LocalX : p.NationalX);
        targetY_.push_back(FromNational(direction) ? p.LocalY : p.NationalY);
        meanX = meanX + sx[i];
        meanY = meanY + sy[i];
    }
    meanX = meanX / static_cast<Extended>(n);
    meanY = meanY / static_cast<Extended>(n);
    Extended r2 = 0.0L;
    for (size_t i = 0; i < n; ++i) {
        const Extended d2 = (sx[i] - meanX) * (sx[i] - meanX) + (sy[i] - meanY) * (sy[i] - meanY);
        r2 = d2 > r2 ? d2 : r2;
    }
    const Extended scale = 1.0L / (std::sqrt(r2) + 1.0L);
    for (size_t i = 0; i < n; ++i) {
        const Extended u = (sx[i] - meanX) * scale, v = (sy[i] - meanY) * scale;
        Row x {}, y {};
        cubic::ObservationRows(u, v, x, y);
        AddOuter(normal_, x, 1.0L);
        AddOuter(normal_, y, 1.0L);
        rowX_.push_back(x);
        rowY_.push_back(y);
    }
}

bool ExpectedSpread::reducedFactor(size_t i, cubic::Matrix& l) const
{
    l = normal_;
    for (size_t j : with_[i]) {
        AddOuter(l, rowX_[j], -1.0L);
        AddOuter(l, rowY_[j], -1.0L);
    }
    return cubic::Factor(l, 1e-20L);
}

std::optional<Extended> ExpectedSpread::Factor(size_t i) const
{
    const std::optional<PointSpread> s = Of(i);
    return s ? std::optional<Extended>(s->Factor) : std::nullopt;
}

namespace {

// The smallest singular value of the 2 × 2 matrix (a b; c d).
Extended smallestSingularValue(Extended a, Extended b, Extended c, Extended d)
{
    const Extended t = a * a + b * b + c * c + d * d, det = a * d - b * c;
    const Extended root = std::sqrt(std::max(t * t - 4.0L * det * det, 0.0L));
    return std::sqrt(std::max((t - root) / 2.0L, 0.0L));
}

} // namespace

std::optional<ExpectedSpread::PointSpread> ExpectedSpread::Of(size_t i) const
{
    Matrix l {};
    if (!reducedFactor(i, l))
        return std::nullopt;
    // Hausbrandt's weights of the others as the conversion of point i meets them.
    Extended total = 0.0L, squares = 0.0L;
    Row mx {}, my {}; // Σ wⱼ aⱼ
    // Two passes, the weights first: the x87 registers hold the sums of one pass each.
    std::vector<Extended> weights(rowX_.size(), 0.0L); // 0 for the points left out
    std::vector<char> out(rowX_.size(), 0);
    for (size_t j : with_[i])
        out[j] = 1;
    size_t closest = i; // of the others, the one of the largest weight (i's weight stays 0)
    for (size_t j = 0; j < rowX_.size(); ++j) {
        if (out[j] != 0)
            continue;
        const Extended dx = targetX_[j] - targetX_[i], dy = targetY_[j] - targetY_[i];
        const Extended w = 1.0L / ((dx * dx + dy * dy) + 1e-9L);
        weights[j] = w;
        if (w > weights[closest])
            closest = j;
        total = total + w;
        squares = squares + w * w;
    }
    for (size_t j = 0; j < rowX_.size(); ++j) {
        if (out[j] != 0)
            continue;
        const Extended w = weights[j];
        const Row& x = rowX_[j];
        for (size_t k = 2; k < kUnknowns; ++k)
            mx[k] = mx[k] + w * x[k];
    }
    mx[0] = total; // every x row starts (1, 0, …): the sums of 1·wⱼ and 0·wⱼ
    // The Y row is the X row turned by a quarter: (0, 1, I₁, R₁, …) against (1, 0, R₁, −I₁, …).
    for (size_t k = 0; k < kUnknowns; k += 2) {
        my[k] = -mx[k + 1];
        my[k + 1] = mx[k];
    }
    if (!(total > 0.0L))
        return std::nullopt;
    Extended f = 0.0L;
    Row nbx {}, nby {}; // N⁻¹b of each component
    for (const auto& [a, m, nb] : { std::tuple<const Row&, const Row&, Row&> { rowX_[i], mx, nbx },
             std::tuple<const Row&, const Row&, Row&> { rowY_[i], my, nby } }) {
        Row b {};
        for (size_t k = 0; k < kUnknowns; ++k)
            b[k] = a[k] - m[k] / total;
        const Row na = Solve(l, a);
        nb = Solve(l, b);
        f = f + (1.0L + squares / (total * total) + 2.0L * Dot(b, na) - Dot(b, nb));
    }
    PointSpread spread {};
    spread.Factor = f / 2.0L;
    // A blunder β shared by i and its closest other point j goes into i's discrepancy as
    // (I − G)β, G = ωⱼI + (bₓ; b_y)ᵀN⁻¹(aⱼₓ aⱼᵧ) the part of β that j passes on.
    const Extended reachX = targetX_[closest] - targetX_[i],
                   reachY = targetY_[closest] - targetY_[i];
    if (closest != i
        && reachX * reachX + reachY * reachY <= kSharedBlunderReach * kSharedBlunderReach) {
        const Extended omega = weights[closest] / total;
        const Row& ax = rowX_[closest];
        const Row& ay = rowY_[closest];
        spread.Shown = std::min(1.0L,
            smallestSingularValue(1.0L - (omega + Dot(nbx, ax)), -Dot(nbx, ay), -Dot(nby, ax),
                1.0L - (omega + Dot(nby, ay))));
    }
    return spread;
}

} // namespace vorida
