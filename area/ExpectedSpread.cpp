#include "ExpectedSpread.h"

#include <cmath>

namespace vorida {

namespace {

constexpr size_t kN = 8;
using Row = std::array<Extended, kN>;
using Matrix = std::array<Row, kN>;

// The Cholesky factor of a symmetric matrix in place (lower triangle); false when a pivot is
// not clearly positive, relative to the matrix's diagonal.
bool factor(Matrix& m)
{
    for (size_t j = 0; j < kN; ++j) {
        Extended d = m[j][j];
        for (size_t k = 0; k < j; ++k)
            d = d - m[j][k] * m[j][k];
        if (!(d > 1e-20L))
            return false;
        m[j][j] = std::sqrt(d);
        for (size_t i = j + 1; i < kN; ++i) {
            Extended s = m[i][j];
            for (size_t k = 0; k < j; ++k)
                s = s - m[i][k] * m[j][k];
            m[i][j] = s / m[j][j];
        }
    }
    return true;
}

// x = M⁻¹ b with the factor of M.
Row solve(const Matrix& l, const Row& b)
{
    Row y {};
    for (size_t i = 0; i < kN; ++i) {
        Extended s = b[i];
        for (size_t k = 0; k < i; ++k)
            s = s - l[i][k] * y[k];
        y[i] = s / l[i][i];
    }
    for (size_t i = kN; i-- > 0;) {
        Extended s = y[i];
        for (size_t k = i + 1; k < kN; ++k)
            s = s - l[k][i] * y[k];
        y[i] = s / l[i][i];
    }
    return y;
}

Extended dot(const Row& a, const Row& b)
{
    Extended s = 0.0L;
    for (size_t k = 0; k < kN; ++k)
        s = s + a[k] * b[k];
    return s;
}

void addOuter(Matrix& m, const Row& a, Extended sign)
{
    for (size_t r = 0; r < kN; ++r)
        for (size_t c = 0; c < kN; ++c)
            m[r][c] = m[r][c] + sign * a[r] * a[c];
}

} // namespace

ExpectedSpread::ExpectedSpread(
    const TPktDostosowania& points, bool reverse, std::vector<size_t> copyOf)
    : copyOf_(std::move(copyOf))
{
    const size_t n = points.size();
    std::vector<Extended> sx(n), sy(n);
    Extended meanX = 0.0L, meanY = 0.0L;
    for (size_t i = 0; i < n; ++i) {
        const TPkt& p = points[i];
        sx[i] = reverse ? p.NationalX : p.LocalX;
        sy[i] = reverse ? p.NationalY : p.LocalY;
        targetX_.push_back(reverse ? p.LocalX : p.NationalX);
        targetY_.push_back(reverse ? p.LocalY : p.NationalY);
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
        x[0] = 1.0L;
        y[1] = 1.0L;
        Extended re = 1.0L, im = 0.0L;
        for (size_t k = 1; k <= 3; ++k) {
            const Extended r = re * u - im * v, s = im * u + re * v;
            re = r;
            im = s;
            x[2 * k] = re;
            x[2 * k + 1] = -im;
            y[2 * k] = im;
            y[2 * k + 1] = re;
        }
        addOuter(normal_, x, 1.0L);
        addOuter(normal_, y, 1.0L);
        rowX_.push_back(x);
        rowY_.push_back(y);
    }
}

std::optional<Extended> ExpectedSpread::Factor(size_t i) const
{
    Matrix l = normal_;
    for (size_t j = 0; j < rowX_.size(); ++j)
        if (copyOf_[j] == copyOf_[i]) {
            addOuter(l, rowX_[j], -1.0L);
            addOuter(l, rowY_[j], -1.0L);
        }
    if (!factor(l))
        return std::nullopt;
    // Hausbrandt's weights of the others as the conversion of point i meets them.
    Extended total = 0.0L, squares = 0.0L;
    Row mx {}, my {}; // Σ wⱼ aⱼ
    for (size_t j = 0; j < rowX_.size(); ++j) {
        if (copyOf_[j] == copyOf_[i])
            continue;
        const Extended dx = targetX_[j] - targetX_[i], dy = targetY_[j] - targetY_[i];
        const Extended w = 1.0L / ((dx * dx + dy * dy) + 1e-9L);
        total = total + w;
        squares = squares + w * w;
        for (size_t k = 0; k < kN; ++k)
            mx[k] = mx[k] + w * rowX_[j][k];
    }
    // The Y row is the X row turned by a quarter: (0, 1, I₁, R₁, …) against (1, 0, R₁, −I₁, …).
    for (size_t k = 0; k < kN; k += 2) {
        my[k] = -mx[k + 1];
        my[k + 1] = mx[k];
    }
    if (!(total > 0.0L))
        return std::nullopt;
    Extended f = 0.0L;
    for (const auto& [a, m] : { std::pair<const Row&, const Row&> { rowX_[i], mx },
             std::pair<const Row&, const Row&> { rowY_[i], my } }) {
        Row b {};
        for (size_t k = 0; k < kN; ++k)
            b[k] = a[k] - m[k] / total;
        const Row na = solve(l, a), nb = solve(l, b);
        f = f + (1.0L + squares / (total * total) + 2.0L * dot(b, na) - dot(b, nb));
    }
    return f / 2.0L;
}

} // namespace vorida
