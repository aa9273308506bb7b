#include "DistortionSwing.h"

#include <algorithm>
#include <cmath>

namespace vorida {

namespace {

// Per point: its isolation gᵢ (the squared distance to the nearest point not left out with it,
// target system) and its discrepancy's excess over the model, |vᵢ|²/2 − σ₍ᵢ₎²fᵢ.
struct Moments
{
    std::vector<Extended> Isolation, Excess;
    std::vector<bool> Used;
};

Moments momentsOf(const TPktDostosowania& points, Direction direction,
    const std::vector<LooDiscrepancy>& loo, const std::vector<std::vector<size_t>>& with)
{
    const size_t n = points.size();
    Moments m { std::vector<Extended>(n, 0.0L), std::vector<Extended>(n, 0.0L),
        std::vector<bool>(n, false) };
    for (size_t i = 0; i < n; ++i) {
        const LooDiscrepancy& d = loo[i];
        if (!d.Computed() || !d.Factor)
            continue;
        const Extended xi = FromNational(direction) ? points[i].LocalX : points[i].NationalX;
        const Extended yi = FromNational(direction) ? points[i].LocalY : points[i].NationalY;
        Extended nearest = -1.0L;
        for (size_t j = 0; j < n; ++j) {
            if (std::binary_search(with[i].begin(), with[i].end(), j))
                continue;
            const Extended dx
                = (FromNational(direction) ? points[j].LocalX : points[j].NationalX) - xi;
            const Extended dy
                = (FromNational(direction) ? points[j].LocalY : points[j].NationalY) - yi;
            const Extended dd = dx * dx + dy * dy;
            if (nearest < 0.0L || dd < nearest)
                nearest = dd;
        }
        if (nearest < 0.0L)
            continue;
        m.Isolation[i] = nearest;
        m.Excess[i] = d.V * d.V / 2.0L - d.Sigma * d.Sigma * *d.Factor;
        m.Used[i] = true;
    }
    return m;
}

// τ², the distortion's variance per square metre of isolation: the least-squares slope of the
// excesses over the isolations through the origin, over the points used but skip; never
// below 0.
Extended slope(const Moments& m, size_t skip)
{
    Extended ge = 0.0L, gg = 0.0L;
    for (size_t j = 0; j < m.Used.size(); ++j)
        if (m.Used[j] && j != skip) {
            ge = ge + m.Isolation[j] * m.Excess[j];
            gg = gg + m.Isolation[j] * m.Isolation[j];
        }
    return gg > 0.0L && ge > 0.0L ? ge / gg : 0.0L;
}

} // namespace

std::vector<Extended> SwingVariance(const SwingInput& area, const std::vector<LooDiscrepancy>& loo)
{
    const size_t n = area.Points.size();
    std::vector<Extended> out(n, 0.0L);
    const Moments whole = momentsOf(area.Points, area.Direction, loo, area.With);
    const bool refit = n < kSwingRefitBelow;
    for (size_t i = 0; i < n; ++i) {
        if (!whole.Used[i])
            continue;
        Extended tau = 0.0L;
        if (!refit) {
            tau = slope(whole, i);
        } else {
            TPktDostosowania reduced;
            for (size_t j = 0; j < n; ++j)
                if (!std::binary_search(area.With[i].begin(), area.With[i].end(), j))
                    reduced.push_back(area.Points[j]);
            if (reduced.size() < kMinimumPointsForLeaveOneOut)
                continue;
            std::vector<std::vector<size_t>> with;
            // The set without i is judged by no one: only its discrepancies are needed.
            const LooResult r = LooDiscrepancies(reduced, area.Direction, 1, &with);
            tau = slope(momentsOf(reduced, area.Direction, r.Points, with), n);
        }
        out[i] = tau * whole.Isolation[i];
    }
    return out;
}

} // namespace vorida
