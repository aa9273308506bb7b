// The fits without one point, from the fit with all of them: the whole set's normal equations
// less the point's two observation rows (a rank-2 downdate), solved for the change of the
// cubic's coefficients, instead of a fit from scratch for every point.
//
// With N the whole set's normal matrix, ĉ its solution and eᵢ = yᵢ − Aᵢĉ the residuals
// (Aᵢ the two observation rows of point i), the set without i has the normal matrix
// Nᵢ = N − AᵢᵀAᵢ and the solution
//     ĉ₍ᵢ₎ = ĉ + δᵢ,   δᵢ = −Nᵢ⁻¹ Aᵢᵀ eᵢ,
// so its residuals are eⱼ − Aⱼδᵢ: small numbers corrected by small numbers, never the
// coordinates' millions of metres. Hausbrandt's correction of point i's conversion and the
// noise of the fit without it then take one pass over the others. One point costs an 8 × 8
// factor and O(n) instead of a fit of O(n) with 45 sums per point.
//
// The polynomial space does not depend on how the set is centred and scaled, so the fit
// without a point is the same cubic whichever reduction computes it; only the rounding
// differs, by far less than a micrometre. Where the downdate could lose digits the answer is
// "nothing" and the caller fits from scratch: a tiny set, a reduced normal matrix that is
// ill-conditioned (the point carries almost all that is known in some direction), a point with
// copies at its position, a whole set that cannot be fitted.
#pragma once

#include "AreaFit.h"
#include "CubicNormal.h"
#include "Direction.h"

#include <optional>
#include <vector>

namespace vorida {

// Sets of fewer points are fitted from scratch for every point: that costs little there, and
// the small sets are where a point carries most of the fit.
inline constexpr size_t kDowndateFromPoints = 100;
// The downdate is trusted when each squared pivot of the reduced normal matrix keeps at least
// this share of the whole set's (the point's leverage stays below 1 − this in every
// direction), and is above kDowndatePivotFloor: ten orders above the fit's own singular limit,
// so that the fit from scratch would not call the reduced set singular.
inline constexpr Extended kDowndatePivotShare = 1e-4L;
inline constexpr Extended kDowndatePivotFloor = 1e-10L;
// The fit without a point has its sum of squared residuals as the whole set's less the
// point's share; below this share of the whole the difference has lost more than 8 of the 19
// digits, and the point is fitted from scratch.
inline constexpr Extended kDowndateDigitsKept = 1e-8L;

// What the fit without a point makes of it.
struct DowndatedPoint
{
    Discrepancy Loo; // known minus converted by the fit without the point, metres
    Extended Sigma = 0.0L; // m0 of the fit without the point, metres
};

class LooDowndate
{
public:
    // Fits the whole set (in direction, as FitArea). copies[i]: the points at the position of point
    // i (itself included), as LeaveOneOut counts them. A set of fewer than fromPoints points
    // is left to the fits from scratch.
    LooDowndate(const TPktDostosowania& points, Direction direction,
        const std::vector<size_t>& copies, size_t fromPoints = kDowndateFromPoints);

    // Whether the whole set was fitted and is large enough for the downdate.
    bool Usable() const { return usable_; }

    // The discrepancy of point i and the noise of the fit without it; nothing when that must
    // be fitted from scratch (see above). Thread-safe.
    std::optional<DowndatedPoint> Without(size_t i) const { return Without(i, { i }); }
    // The same from the fit without the points of with (i among them, each without copies:
    // the point and its close neighbour, LeftOutTogether.h), in increasing order.
    std::optional<DowndatedPoint> Without(size_t i, const std::vector<size_t>& with) const;

private:
    // Of one adjustment point: the powers of its reduced source position (R₁, I₁, …, R₃, I₃),
    // its target and its residual in the whole fit.
    struct Point
    {
        Extended R1, I1, R2, I2, R3, I3;
        Extended TargetX, TargetY, ResidualX, ResidualY;
    };
    std::vector<Point> points_;
    std::vector<cubic::Row> rowX_, rowY_;
    std::vector<bool> single_; // no copy at its position
    cubic::Matrix normal_ {};
    cubic::Row pivots_ {}; // the squared pivots of the whole set's normal matrix
    Extended squares_ = 0.0L; // Σ |eⱼ|², the whole fit's squared residuals
    cubic::Row crossTerm_ {}; // Σ Aⱼᵀeⱼ, zero but for rounding

    Extended quadratic(const cubic::Row& d) const; // dᵀNd
    // Hausbrandt's correction (cx, cy) of point i converted to (xt, yt) by the fit changed by
    // −d, over the points not in with.
    void correction(size_t i, const std::vector<size_t>& with, Extended xt, Extended yt,
        const cubic::Row& d, Extended& cx, Extended& cy) const;
    // The residual of p in the fit changed by −d: e + Ad.
    static void residualAfter(const Point& p, const cubic::Row& d, Extended& ex, Extended& ey);
    bool usable_ = false;
};

} // namespace vorida
