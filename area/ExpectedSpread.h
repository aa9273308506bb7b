// The expected spread of each leave-one-out discrepancy, from the geometry of the fit alone.
//
// Model: each target coordinate of an adjustment point is the cubic of its source position
// plus an error e, independent from point to point and component to component, of one
// variance σ² (measurement noise and the part of the network's distortion that no cubic
// follows). The leave-one-out conversion of point i is linear in the other points' targets:
// the cubic fitted on them, ĉ = N⁻¹ Σ aⱼ yⱼ (aⱼ the two observation rows of point j,
// N = Σ aⱼ aⱼᵀ over the others), evaluated at i, plus Hausbrandt's correction Σ ωⱼ (yⱼ − aⱼᵀ ĉ)
// with ωⱼ = wⱼ / Σ w, wⱼ = 1 / (dᵢⱼ² + 10⁻⁹). So the discrepancy of each component is
//     dᵢ = yᵢ − Σ ωⱼ yⱼ − bᵀ ĉ,   b = aᵢ − Σ ωⱼ aⱼ,
// and, since yᵢ is not in ĉ and Σ ωⱼ aⱼ = aᵢ − b,
//     Var dᵢ = σ² fᵢ,   fᵢ = 1 + Σ ωⱼ² + 2 bᵀ N⁻¹ aᵢ − bᵀ N⁻¹ b.
// Without the correction (ω = 0) fᵢ = 1 + aᵢᵀ N⁻¹ aᵢ = 1 / (1 − hᵢ), hᵢ the point's leverage in
// the cubic: large at an edge, along a corridor, in a sparse area. The correction lowers fᵢ
// where close neighbours carry the same error. The cubic is conformal, so both components
// have the same factor up to rounding; fᵢ is their mean.
//
// The polynomial space does not depend on how the coordinates are centred and scaled, so the
// factors are computed once on the whole set's reduction and the normal equations of each
// reduced set are the whole set's less the rows of the points left out (the point, its copies,
// its close neighbour: LeftOutTogether.h).
#pragma once

#include "CubicNormal.h"
#include "Direction.h"
#include "UTrKonfAf.h"

#include <optional>
#include <vector>

namespace vorida {

// A blunder two points share comes from one measurement (one station, one tie to the network):
// the smallest detectable blunder counts a shared one with the closest other point when it lies
// within this distance (metres, target system).
inline constexpr Extended kSharedBlunderReach = 200.0L;

class ExpectedSpread
{
public:
    // The positions of points (source and target those of direction); with[i]: the
    // points the reduced set of i leaves out, i included.
    ExpectedSpread(
        const TPktDostosowania& points, Direction direction, std::vector<std::vector<size_t>> with);

    // fᵢ, the variance of each component of the discrepancy of point i in units of σ²;
    // nothing when the normal equations without it cannot be solved.
    std::optional<Extended> Factor(size_t i) const;

    struct PointSpread
    {
        Extended Factor; // fᵢ
        // The least share of a blunder that point i shares with its closest other point that
        // shows in its discrepancy (the neighbour's correction and fit carry the rest); 1 when
        // the neighbour passes on none (or its share makes the blunder larger), or lies further
        // than kSharedBlunderReach.
        Extended Shown = 1.0L;
    };
    // fᵢ and the share shown; nothing when the normal equations without it cannot be solved.
    std::optional<PointSpread> Of(size_t i) const;

private:
    std::vector<cubic::Row> rowX_, rowY_; // the observation rows of every point
    std::vector<Extended> targetX_, targetY_;
    std::vector<std::vector<size_t>> with_;
    cubic::Matrix normal_ {}; // of the whole set

    // The factor of the normal matrix without the points left out with i into l; false when it
    // is not positive definite.
    bool reducedFactor(size_t i, cubic::Matrix& l) const;
};

} // namespace vorida
