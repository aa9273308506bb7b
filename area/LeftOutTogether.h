// The points that leave-one-out leaves out together: a point's conversion without it must not
// be carried by another point that shares its error.
//
// - Copies: points at one position, in the local or in the national system (within
//   kSamePosition). The fit without one of them still holds the other; in the direction whose
//   source positions differ (a twin a few centimetres away in the local system at the same
//   national position), Hausbrandt's correction of the one is the other's residual, since the
//   correction weighs the others by their distance in the target system.
// - Close neighbours: the point that takes at least kNeighbourShare of the point's correction
//   (its weight 1 / (d² + 10⁻⁹) against the sum of all the others', d in the target system),
//   then the one that takes that share of what the others left take, and so on (a few close
//   points, at most kMostLeftOutWith). A blunder the two share would go into the point's conversion
//   with that share, and leave-one-out would not see it: left out with its close neighbour, the
//   point is converted from the points beyond, and a shared blunder shows whole. Once it is named,
//   the neighbour is judged without it and shows the blunder whole too. Never so many that the fit
//   without them keeps no check on the cubic.
#pragma once

#include "Direction.h"
#include "UTrKonfAf.h"

#include <optional>
#include <vector>

namespace vorida {

// The share of a point's correction that makes a neighbour a close one.
inline constexpr Extended kNeighbourShare = 0.5L;
// At most this many close neighbours are left out with a point.
inline constexpr size_t kMostLeftOutWith = 3;

struct LeftOutTogether
{
    // Per point: the points left out with it, itself included, in increasing order.
    std::vector<std::vector<size_t>> With;
    std::vector<size_t> Copies; // per point: the points at its position, itself included
    std::vector<std::optional<size_t>> Partner; // per point: its closest close neighbour, if any
};

// The points left out together (source and target those of direction).
LeftOutTogether GroupsLeftOutTogether(const TPktDostosowania& points, Direction direction);

} // namespace vorida
