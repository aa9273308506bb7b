// The lines of `fit --loo` that say what a round's judgement rests on beyond its table: why a
// small area is not judged, and where the area shows a deformation of its own.
#pragma once

#include "LeaveOneOut.h"

#include <string>
#include <vector>

namespace vorida {

// Where an area's points depart from the cubic further than its noise explains. Each point not
// over its threshold has v² against the median the model gives it, 2 ln 2 · σ₍ᵢ₎² fᵢ; their
// median over the area (and over its extrapolated points) is the variance factor of the
// discrepancies. Under the model it is about 1; a network's own deformation, which neighbouring
// points share, raises it, and the thresholds of the points that show it with it (through σ₍ᵢ₎
// and, at the edges, the extrapolated points' own spread).
struct Deformation
{
    Extended Factor = 0.0L; // over the area
    Extended EdgeFactor = 0.0L; // over its extrapolated points (0: fewer than 4)
    // The points that depart most, by v, largest first: v over the area's RMS, and v² at
    // least kDeformedFactor times their model's median and the area's factor.
    std::vector<size_t> Strongest;
};

// A variance factor of at least this (discrepancies 1.4 times the model's) makes the lines say
// the area is deformed; over 11 points or more, a clean area's median reaches it in about 3 % of
// areas.
inline constexpr Extended kDeformedFactor = 2.0L;
// The points judged (and not over) that the factor needs.
inline constexpr size_t kDeformationFrom = 11;

Deformation DeformationOf(const LooResult& loo);

// The lines after a round's table and its summary (UTF-8): for an area too small to judge, why
// nothing is named; for a judged one, where its network is deformed (DeformationOf). names: of
// the points of loo, UTF-8.
std::vector<std::string> VerdictLines(const LooResult& loo, const std::vector<std::string>& names);

} // namespace vorida
