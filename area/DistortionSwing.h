// The part of a leave-one-out discrepancy that a network's own distortion adds where a point
// lies far from the others.
//
// The model's spread (ExpectedSpread.h) takes the errors as independent from point to point.
// A network's distortion is a smooth field: a point among close neighbours is converted from
// points that share most of it, while a point far from the others (a scattered point of a
// clustered town, the last village of a corridor) is converted from points whose distortion
// is unrelated to its own, and the cubic extrapolates what it took up elsewhere. For a field
// whose correlation length is larger than the distances between the points, the variance of
// what the neighbours cannot predict grows as the square of the distance to them, so each
// component of the discrepancy of point i has, beside the model's σ₍ᵢ₎²fᵢ,
//     τ² gᵢ,   gᵢ = dᵢ²,
// dᵢ the distance (target system) to the nearest point not left out with i. τ², the area's
// swing per square metre, is a variance component estimated from the discrepancies
// themselves, which carry the distortion unabsorbed: under the model E |vⱼ|²/2 = σ₍ⱼ₎²fⱼ + τ²gⱼ,
// so τ² is the least-squares slope, through the origin, of the excesses
// |vⱼ|²/2 − σ₍ⱼ₎²fⱼ over the isolations gⱼ (never below 0). The most isolated points
// weigh most, as they should: they show the swing.
//
// A blunder at i must not raise its own threshold, or the smallest detectable blunder would
// not hold. So τ²₍ᵢ₎ never counts vᵢ, and below kSwingRefitBelow points it comes from the
// discrepancies of the set without i (and the points left out with it), where i's blunder is
// not in any fit. From kSwingRefitBelow points up, one point's blunder moves the others'
// discrepancies little, and the whole set's discrepancies but i's are taken.
#pragma once

#include "Direction.h"
#include "LeaveOneOut.h"

#include <vector>

namespace vorida {

// Below this many points the swing of point i comes from the leave-one-out discrepancies of
// the set without i; from this many up, from the whole set's without vᵢ (one more leave-one-out
// per point would cost the large areas their speed).
inline constexpr size_t kSwingRefitBelow = 100;

struct SwingInput
{
    const TPktDostosowania& Points;
    vorida::Direction Direction;
    const std::vector<std::vector<size_t>>& With; // per point: the points left out with it
};

// For every point i, τ²₍ᵢ₎·gᵢ: the variance (per component, square metres) that the
// distortion adds to its discrepancy beyond the model's spread; 0 for a point not computed.
// loo: the discrepancies of area.Points.
std::vector<Extended> SwingVariance(const SwingInput& area, const std::vector<LooDiscrepancy>& loo);

} // namespace vorida
