#include "CubicNormal.h"

#include <cmath>

namespace vorida::cubic {

void ObservationRows(Extended u, Extended v, Row& x, Row& y)
{
    x = Row {};
    y = Row {};
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
}

void AddOuter(Matrix& m, const Row& a, Extended sign)
{
    for (size_t r = 0; r < kUnknowns; ++r)
        for (size_t c = 0; c < kUnknowns; ++c)
            m[r][c] = m[r][c] + sign * a[r] * a[c];
}

bool Factor(Matrix& m, Extended floor, Row* pivots)
{
    for (size_t j = 0; j < kUnknowns; ++j) {
        Extended d = m[j][j];
        for (size_t k = 0; k < j; ++k)
            d = d - m[j][k] * m[j][k];
        if (pivots)
            (*pivots)[j] = d;
        if (!(d > floor))
            return false;
        m[j][j] = std::sqrt(d);
        for (size_t i = j + 1; i < kUnknowns; ++i) {
            Extended s = m[i][j];
            for (size_t k = 0; k < j; ++k)
                s = s - m[i][k] * m[j][k];
            m[i][j] = s / m[j][j];
        }
    }
    return true;
}

Row Solve(const Matrix& l, const Row& b)
{
    Row y {};
    for (size_t i = 0; i < kUnknowns; ++i) {
        Extended s = b[i];
        for (size_t k = 0; k < i; ++k)
            s = s - l[i][k] * y[k];
        y[i] = s / l[i][i];
    }
    for (size_t i = kUnknowns; i-- > 0;) {
        Extended s = y[i];
        for (size_t k = i + 1; k < kUnknowns; ++k)
            s = s - l[k][i] * y[k];
        y[i] = s / l[i][i];
    }
    return y;
}

Extended Dot(const Row& a, const Row& b)
{
    Extended s = 0.0L;
    for (size_t k = 0; k < kUnknowns; ++k)
        s = s + a[k] * b[k];
    return s;
}

} // namespace vorida::cubic
