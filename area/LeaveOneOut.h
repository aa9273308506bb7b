// Leave-one-out discrepancies of the adjustment points: each point converted with the fit and
// the correction of all the others, against its known coordinates. Hausbrandt's correction
// puts every adjustment point back onto its known coordinates, so the fit's residuals say
// little about the accuracy between the points; the leave-one-out discrepancy is an honest
// figure of it, and a point that disagrees with its neighbours (a blunder) stands out.
#pragma once

#include "AreaFit.h"

#include <optional>
#include <vector>

namespace vorida {

// Leave-one-out needs this many adjustment points, so that every reduced set still
// over-determines the cubic.
inline constexpr size_t kMinimumPointsForLeaveOneOut = 5;

// A point is a likely blunder when its discrepancy exceeds this many times the RMS of the
// others' discrepancies...
inline constexpr Extended kBlunderFactor = 3.0L;
// ...and this much (target units, metres), so that rounding on a set without noise flags
// nothing.
inline constexpr Extended kBlunderFloor = 0.0001L;

// Vx, Vy, V: known minus converted, target units (metres); zero when not computed.
struct LooDiscrepancy : Discrepancy
{
    AreaFitStatus Status = AreaFitStatus::Fitted; // of the fit without this point
    bool Failed = false; // the arithmetic failed (FloatingPointError); nothing computed
    Extended RmsOfOthers = 0.0L; // RMS of V over the other computed points
    bool Blunder = false;

    bool Computed() const { return Status == AreaFitStatus::Fitted && !Failed; }
};

struct LooResult
{
    std::vector<LooDiscrepancy> Points; // in the order of the adjustment points
    size_t Computed = 0; // how many points have a discrepancy
    Extended Rms = 0.0L; // RMS of V over them
    std::optional<size_t> Worst; // the point with the largest V
};

// The discrepancy of every point; reverse false for local to national (as TTrKonfAf::Fit).
// Each reduced set keeps the order of the others, so the result is exactly that of FitArea on
// the set without the point followed by TransformPoint of its source coordinates. Throws
// std::invalid_argument for fewer than kMinimumPointsForLeaveOneOut points.
LooResult LeaveOneOut(const TPktDostosowania& points, bool reverse);

} // namespace vorida
