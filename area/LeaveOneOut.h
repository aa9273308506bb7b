// Leave-one-out discrepancies of the adjustment points: each point converted with the fit and
// the correction of all the others, against its known coordinates. Hausbrandt's correction
// puts every adjustment point back onto its known coordinates, so the fit's residuals say
// little about the accuracy between the points; the leave-one-out discrepancy is an honest
// figure of it, and a point that disagrees with its neighbours (a blunder) stands out.
//
// Blunder screening names one point at a time: of the points over their threshold, the one
// with the largest discrepancy is named, the area is judged again without it, and so on until no
// point is over. A big blunder inflates the discrepancies and the RMS of everything near it; judged
// once, it hides a smaller one (masking), judged again without it, the smaller one shows.
//
// A point outside the convex hull of the others is converted by extrapolation: its
// discrepancy holds the polynomial's swing beyond the points as well as its own error. It is
// labelled extrapolated and judged on a looser threshold, so that an edge point is not called a
// blunder for being on the edge.
#pragma once

#include "AreaFit.h"
#include "Error.h"

#include <optional>
#include <vector>

namespace vorida {

// Leave-one-out needs this many adjustment points, so that every reduced set still
// over-determines the cubic.
inline constexpr size_t kMinimumPointsForLeaveOneOut = 5;

// The screening was asked of fewer than kMinimumPointsForLeaveOneOut points; what() is the
// Polish text for the user.
class ScreeningError : public Error
{
public:
    using Error::Error;
};

// A point inside the hull of the others is over its threshold when its discrepancy exceeds
// this many times the RMS of the discrepancies of the other points inside...
inline constexpr Extended kBlunderFactor = 3.0L;
// ...an extrapolated point when it exceeds this many times that RMS...
inline constexpr Extended kExtrapolatedFactor = 5.0L;
// ...and either only when its discrepancy also exceeds the tolerance (metres): an absolute
// floor, so that in a large clean area, whose RMS is a few millimetres, the points at the tail
// of the noise are not called blunders. Surveyors' instructions state centimetres: 3 cm lies
// above what the noise and a network's own distortion leave in a sound area (1-2 cm) and below
// the smallest error worth the search (5 cm).
inline constexpr Extended kDefaultTolerance = 0.030L;
// An extrapolated point must exceed this many times the tolerance: beyond the last points the
// polynomial swings by centimetres in a sound area (up to about 6 cm on the generated areas of
// bench/area-trust.py).
inline constexpr Extended kExtrapolatedToleranceFactor = 2.0L;
// Whatever the tolerance, a discrepancy must exceed this much (metres), so that rounding on a
// set without noise flags nothing.
inline constexpr Extended kBlunderFloor = 0.0001L;

// Vx, Vy, V: known minus converted, target units (metres); zero when not computed.
struct LooDiscrepancy : Discrepancy
{
    AreaFitStatus Status = AreaFitStatus::Fitted; // of the fit without this point
    bool Failed = false; // the arithmetic failed (FloatingPointError); nothing computed
    bool Extrapolated = false; // outside the convex hull of the others (source system)
    Extended RmsOfOthers = 0.0L; // RMS of V over the other computed points inside the hull
    Extended Threshold = 0.0L; // V above which the point is over (metres); 0 when not judged
    bool Blunder = false; // V exceeds Threshold

    bool Computed() const { return Status == AreaFitStatus::Fitted && !Failed; }
};

struct LooResult
{
    std::vector<LooDiscrepancy> Points; // in the order of the adjustment points given
    size_t Computed = 0; // how many points have a discrepancy
    Extended Rms = 0.0L; // RMS of V over them
    std::optional<size_t> Worst; // the point with the largest V
    std::optional<size_t>
        MostOver; // of the points over their threshold, the one with the largest V
};

// The number of threads that compute the discrepancies when none is given: one per core, at
// most this many.
inline constexpr unsigned kMaximumAreaThreads = 16;

// The discrepancy of every point and one round of judgement; reverse false for local to
// national (as TTrKonfAf::Fit). Each reduced set keeps the order of the others, so the result
// is exactly that of FitArea on the set without the point followed by TransformPoint of its
// source coordinates, whatever the number of threads (0: one per core). Throws
// ScreeningError for fewer than kMinimumPointsForLeaveOneOut points.
LooResult LeaveOneOut(const TPktDostosowania& points, bool reverse,
    Extended tolerance = kDefaultTolerance, unsigned threads = 0);

// For every position (x[i], y[i]): whether it lies outside the convex hull of all the other
// positions (a vertex of the hull that no other point shares). A position on an edge of the
// hull is inside. Every position of a set on one line but its two ends is inside.
std::vector<bool> OutsideHullOfOthers(
    const std::vector<Extended>& x, const std::vector<Extended>& y);

// Whether (x, y) lies inside or on the convex hull of the positions (px, py).
bool InsideHull(
    const std::vector<Extended>& px, const std::vector<Extended>& py, Extended x, Extended y);

// One round of screening: the points judged (indices into the whole set, in its order), their
// discrepancies, and the point named in this round.
struct ScreeningRound
{
    std::vector<size_t> Members;
    LooResult Loo; // Loo.Points[k] belongs to Members[k]
    std::optional<size_t> Named; // index into the whole set
};

struct Screening
{
    std::vector<ScreeningRound> Rounds; // the last names nobody
    std::vector<size_t> Blunders; // indices into the whole set, in the order named
    bool Complete = true; // false when a round had too few points to go on
};

// Screens points, leaving out those marked in excluded (same size as points, or empty): each
// round judges the points left and names, of those over their threshold, the one with the
// largest discrepancy; the next round
// goes on without it. Stops when nobody is over or when fewer than
// kMinimumPointsForLeaveOneOut points are left (Complete false). Throws ScreeningError
// when fewer than kMinimumPointsForLeaveOneOut points are there to begin with.
Screening ScreenBlunders(const TPktDostosowania& points, bool reverse,
    const std::vector<bool>& excluded, Extended tolerance = kDefaultTolerance,
    unsigned threads = 0);

} // namespace vorida
