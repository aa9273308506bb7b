// Leave-one-out discrepancies of the adjustment points: each point converted with the fit and
// the correction of all the others, against its known coordinates. Hausbrandt's correction
// puts every adjustment point back onto its known coordinates, so the fit's residuals say
// little about the accuracy between the points; the leave-one-out discrepancy is an honest
// figure of it, and a point that disagrees with its neighbours (a blunder) stands out.
//
// Blunder screening names one point at a time: of the points over their threshold, the one
// whose discrepancy is largest against its own expected spread is named, the area is judged
// again without it, and so on until no point is over. A big blunder inflates the discrepancies
// of everything near it; judged once, it hides a smaller one (masking), judged again without
// it, the smaller one shows.
//
// A point outside the convex hull of the others is converted by extrapolation: its
// discrepancy holds the polynomial's swing beyond the points as well as its own error. Its
// leverage in the cubic is large and so is its expected spread; it is labelled extrapolated.
#pragma once

#include "AreaFit.h"
#include "Direction.h"
#include "Error.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <vector>

namespace vorida {

// Leave-one-out needs this many adjustment points, so that every reduced set still
// over-determines the cubic.
inline constexpr size_t kMinimumPointsForLeaveOneOut = 5;
// Points are judged from this many up: the fit without a point of a 5-point area has 8
// equations for the cubic's 8 parameters, no check, so σ₍ᵢ₎ is not known (it comes out 0) and
// neither is any threshold; such an area shows its discrepancies and names nothing.
inline constexpr size_t kMinimumPointsJudged = 6;

// The screening was asked of fewer than kMinimumPointsForLeaveOneOut points; what() is the
// Polish text for the user.
class ScreeningError : public Error
{
public:
    using Error::Error;
};

// The progress of a screening, for a caller on another thread: the round and the points of it
// done (each counted once, by whichever thread did it); Cancel() makes the screening throw
// ScreeningCancelled at its next point.
class ScreeningProgress
{
public:
    size_t Round() const { return round_; }
    size_t Done() const { return done_; }
    size_t Total() const { return total_; }
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }

    // The screening's side: a round of total points starts; a point is done (false: stop).
    void StartRound(size_t round, size_t total)
    {
        done_ = 0;
        total_ = total;
        round_ = round;
    }
    bool Step()
    {
        ++done_;
        return !cancelled_;
    }

private:
    std::atomic<size_t> round_ { 0 }, done_ { 0 }, total_ { 0 };
    std::atomic<bool> cancelled_ { false };
};

class ScreeningCancelled : public Error
{
public:
    using Error::Error;
};

// The rule (docs/area-tools.md derives it): each discrepancy is judged on its own expected
// spread sᵢ = σ₍ᵢ₎·√fᵢ (ExpectedSpread.h), σ₍ᵢ₎ the noise of the fit without the point (its
// m0: the root of its squared residuals over its redundancy 2(n − 1) − 8), which a blunder at
// the point does not raise. A point is over its threshold when
//     vᵢ > k·sᵢ  and  vᵢ > the tolerance,
// k chosen so that a clean area of n points names a point with probability about
// kAreaFalseAlarm: vᵢ²/(σ²fᵢ) is χ² with 2 degrees of freedom and σ₍ᵢ₎² is σ²χ²ᵥ/ν with
// ν = 2n − 10, independent of it, so vᵢ²/(2σ₍ᵢ₎²fᵢ) is F(2, ν), whose tail beyond x is
// (1 + 2x/ν)^(−ν/2); with a share kAreaFalseAlarm/n for each point,
// k² = ν((kAreaFalseAlarm/n)^(−2/ν) − 1), about 2 ln(n / kAreaFalseAlarm) for a large area
// and far more for a small one, whose σ is itself uncertain. An extrapolated point's sᵢ is
// further scaled by the swing that the area's other extrapolated points show (from
// kWeakScreeningBelow points up; the median of their vⱼ²/sⱼ² against the model's 2 ln 2,
// never below 1), since beyond the last points the distortion that no cubic follows is
// extrapolated, not averaged. Every point's sᵢ also counts the swing of that distortion at its
// distance from the others (DistortionSwing.h), where that is larger.
inline constexpr Extended kAreaFalseAlarm = 0.005L;
// The smallest blunder the rule names at a point with this probability (one-sided normal
// quantile of 95 %): threshold + kDetectionQuantile·sᵢ.
inline constexpr Extended kDetectionQuantile = 1.645L;
// The tolerance (metres): a floor under every threshold, so that in a large clean area, whose
// noise is a few millimetres, a discrepancy of a centimetre is not called a blunder.
// Surveyors' instructions state centimetres: 3 cm lies above what the noise and a network's
// own distortion leave in a sound area (1-2 cm) and below the smallest error worth the search
// (5 cm).
inline constexpr Extended kDefaultTolerance = 0.030L;
// Whatever the tolerance, a discrepancy must exceed this much (metres), so that rounding on a
// set without noise flags nothing.
inline constexpr Extended kBlunderFloor = 0.0001L;
// Below this many points the leave-one-out fits have fewer than 2n − 10 = 12 checks on the
// cubic's 8 parameters, σ is barely known, and the screening is weak (the tools say so).
inline constexpr size_t kWeakScreeningBelow = 11;
// Points whose source positions lie within this distance (metres) are copies of one position:
// the fit without one of them still holds the others, so they are left out together.
inline constexpr Extended kSamePosition = 0.001L;

// k for n points judged, of a point whose fit leaves out leftOut points (itself and those left
// out together with it): ν = 2(n − leftOut) − 8.
Extended SpreadMultiple(size_t n, size_t leftOut = 1);

// Vx, Vy, V: known minus converted, target units (metres); zero when not computed.
struct LooDiscrepancy : Discrepancy
{
    AreaFitStatus Status = AreaFitStatus::Fitted; // of the fit without this point
    bool Failed = false; // the arithmetic failed (FloatingPointError); nothing computed
    bool Extrapolated = false; // outside the convex hull of the others (source system)
    std::optional<Extended> Factor; // fᵢ of ExpectedSpread; none when it cannot be computed
    // σ₍ᵢ₎, the noise (m0) of the fit without the point (metres): a blunder at the point does
    // not raise it.
    Extended Sigma = 0.0L;
    // sᵢ = σ₍ᵢ₎·√fᵢ (for an extrapolated point scaled by the others' swing), metres; 0
    // without a factor
    Extended Spread = 0.0L;
    Extended Threshold = 0.0L; // V above which the point is over (metres); 0 when not judged
    // The smallest blunder the rule names at this point with 95 % probability (metres), on the
    // point alone or shared with its closest neighbour.
    Extended Detectable = 0.0L;
    // Points at this position, local or national (itself included), all left out together.
    size_t Copies = 1;
    // The closest of the close neighbours left out with the point (LeftOutTogether.h), an
    // index into the set judged.
    std::optional<size_t> Partner;
    size_t LeftOut = 1; // the points its fit leaves out, itself included
    // The least share of a blunder shared with the closest neighbour that is not left out that
    // shows in V (ExpectedSpread::PointSpread); the smallest detectable blunder counts it.
    Extended Shown = 1.0L;
    bool Blunder = false; // V exceeds Threshold

    bool Computed() const { return Status == AreaFitStatus::Fitted && !Failed; }
};

struct LooResult
{
    std::vector<LooDiscrepancy> Points; // in the order of the adjustment points given
    size_t Computed = 0; // how many points have a discrepancy
    Extended Rms = 0.0L; // RMS of V over them
    Extended Sigma = 0.0L; // the area's noise σ (metres): the median of the σ₍ᵢ₎
    Extended Multiple = 0.0L; // k
    // Whether the points were judged (kMinimumPointsJudged); when not, no point has a threshold
    // or an mwb and none is named.
    bool Judged = false;
    std::optional<size_t> Worst; // the point with the largest V
    // Of the points over their threshold, the one with the largest V / sᵢ.
    std::optional<size_t> MostOver;
};

// The discrepancy of every point and one round of judgement in direction. The result is that of
// FitArea on the set without the point followed by TransformPoint of its source coordinates:
// exactly so below kDowndateFromPoints points, for copies and wherever the downdate could lose
// digits (each reduced set keeps the order of the others); elsewhere from the whole set's fit
// downdated (LooDowndate.h), within a nanometre or so. The same whatever the number of threads (0:
// the run's default, RunWorkers); where the system refuses a thread, fewer compute them. Throws
// ScreeningError for fewer than kMinimumPointsForLeaveOneOut points.
LooResult LeaveOneOut(const TPktDostosowania& points, Direction direction,
    Extended tolerance = kDefaultTolerance, unsigned threads = 0,
    ScreeningProgress* progress = nullptr);

// The discrepancies alone, as LeaveOneOut computes them, unjudged (no threshold, no σ of the
// area, Judged false); with, when given, gets the points left out with each
// (LeftOutTogether.h); progress, when given, counts the points and may cancel. Throws
// ScreeningError as LeaveOneOut.
LooResult LooDiscrepancies(const TPktDostosowania& points, Direction direction, unsigned threads,
    std::vector<std::vector<size_t>>* with = nullptr, ScreeningProgress* progress = nullptr);

// For every position (x[i], y[i]): whether it lies outside the convex hull of all the other
// positions (a vertex of the hull that no other point shares). A position on an edge of the
// hull is inside. Every position of a set on one line but its two ends is inside.
std::vector<bool> OutsideHullOfOthers(
    const std::vector<Extended>& x, const std::vector<Extended>& y);

// For every position (x[i], y[i]): the index of the first position within kSamePosition of
// it, through chains of such positions (copyOf[i] == i for a position met once).
std::vector<size_t> CopiesOf(const std::vector<Extended>& x, const std::vector<Extended>& y);

// Whether (x, y) lies inside or on the convex hull of the positions (px, py).
bool InsideHull(
    const std::vector<Extended>& px, const std::vector<Extended>& py, Extended x, Extended y);

// One round of screening: the points judged (indices into the whole set, in its order), their
// discrepancies, and the point named in this round.
struct ScreeningRound
{
    std::vector<size_t> Members;
    LooResult Loo; // Loo.Points[k] belongs to Members[k]
    std::optional<size_t> NamedAsBlunder; // index into the whole set
    // Named with it: its close neighbour, left out with it and it with the neighbour, when over
    // its threshold too (each departs from the others without the other's error; index into
    // the whole set).
    std::optional<size_t> NamedWithIt;
};

struct Screening
{
    std::vector<ScreeningRound> Rounds; // the last names nobody
    std::vector<size_t> Blunders; // indices into the whole set, in the order named
    bool Complete = true; // false when a round had too few points to go on
};

// Screens points, leaving out those marked in excluded (same size as points, or empty): each
// round judges the points left and names, of those over their threshold, the one with the
// largest discrepancy (and its close neighbour with it, when each was judged without the other
// and both are over); the next round goes on without them. Stops when nobody is over or when fewer
// than kMinimumPointsForLeaveOneOut points are left (Complete false). Throws ScreeningError when
// fewer than kMinimumPointsForLeaveOneOut points are there to begin with.
Screening ScreenBlunders(const TPktDostosowania& points, Direction direction,
    const std::vector<bool>& excluded, Extended tolerance = kDefaultTolerance, unsigned threads = 0,
    ScreeningProgress* progress = nullptr);

} // namespace vorida
