// The adjustment point, the set of them, and the fitted transformation between the local and
// the national plane system: a conformal complex polynomial with Hausbrandt's correction.
#pragma once

#include "Extended.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorida {

// One adjustment point: its name and its coordinates in both systems, metres; x first.
struct TPkt
{
    std::string Name; // Windows-1250 bytes, unchanged from the file
    Extended LocalX = 0.0L;
    Extended LocalY = 0.0L;
    Extended NationalX = 0.0L;
    Extended NationalY = 0.0L;
};

// The adjustment points in file order (zero-based; never sorted or deduplicated).
using TPktDostosowania = std::vector<TPkt>;

// The program's model: a cubic, with Hausbrandt's correction applied to every result.
inline constexpr std::int32_t kProgramDegree = 3;
inline constexpr std::int32_t kHausbrandtCorrection = 1; // CorrectionMode of Fit
// The highest degree Fit accepts: 2 * 58 + 2 unknowns keep the packed equations' indices well
// inside 32 bits.
inline constexpr std::int32_t kMaximumDegree = 58;
// A pivot below this (absolute, in the scaled units of the normal equations) makes the system
// singular.
inline constexpr Extended kPivotFloor = 1e-20L;
// Added to every squared distance of Hausbrandt's weights (m^2), so that a point on an
// adjustment point gets a finite weight and so that point's residual almost whole.
inline constexpr Extended kCorrectionDistanceFloor = 1e-9L;

// A fit asked for what it cannot do: a degree outside 1..kMaximumDegree, or more adjustment
// points than a 32-bit count holds.
class FitError : public Error
{
public:
    using Error::Error;
};

class TTrKonfAf
{
public:
    // Fits the polynomial of the given degree (1 to kMaximumDegree) by least squares. Reverse false
    // maps the local pair to the national pair, true the national pair to the local one. Throws
    // FitError for a degree out of range and FloatingPointError when the
    // arithmetic fails (an empty set: the means are 0/0) or a coordinate is NaN or infinite.
    // A singular system is not an error: it shows in Singular.
    void Fit(const TPktDostosowania& Points, std::int32_t Degree, bool Reverse,
        std::int32_t CorrectionMode);

    // Transforms one point from the source system of the last Fit; leaves the Hausbrandt
    // correction of the point in CorrectionX, CorrectionY. Allocates nothing. Throws
    // FloatingPointError when the arithmetic fails. Before the first Fit, and after a Fit that
    // threw, it does nothing.
    void TransformPoint(Extended& OutX, Extended& OutY, Extended X, Extended Y);

    // The mean error of unit weight of the last Fit, target units:
    //   m0 = sqrt([vv] / (2n - m)),  [vv] = Coefficients[1], n = PointCount, m = 2 * Degree + 2,
    // the redundancy of the 2n observation equations in the m unknowns. Nothing (an empty
    // optional) before a Fit, after a singular one, or when there is no redundancy.
    std::optional<Extended> M0() const;

    // Arrays indexed from 1 (the index of the adjustment point, or the entry of the packed
    // normal equations); entry 0 holds nothing.
    std::vector<Extended> ResidualX, ResidualY; // target minus fitted, target units
    // The packed normal equations; after the solve entry 1 holds the sum of the squared
    // residuals and entries 2..m+1 the unknowns a0, b0, a1, b1, ..., an, bn.
    std::vector<Extended> Coefficients;
    Extended Scale = 0.0L; // 1 / (largest distance from the source mean + 1)
    Extended SourceMeanX = 0.0L, SourceMeanY = 0.0L, TargetMeanX = 0.0L, TargetMeanY = 0.0L;
    std::int32_t Singular = 0; // 1 when the solve stopped at a pivot below kPivotFloor
    std::int32_t PointCount = 0;
    std::vector<Extended> SourceX, SourceY, TargetX, TargetY;
    std::uint8_t Mode = 0; // 0 until the first Fit, then 1
    std::int32_t Degree = 0;
    Extended CorrectionX = 0.0L, CorrectionY = 0.0L; // of the last transformed point
    std::int32_t CorrectionMode = 0; // 1: TransformPoint returns corrected coordinates

    // The solver's scratch row (entries 2..m+2).
    std::vector<Extended> ObservationRow;
    std::int32_t UnknownCount = 0; // m = 2 * Degree + 2
    // The observation rows of a block of points, entry by entry (AccumulateObservations).
    std::vector<Extended> BlockColumns;

    // Solves the packed normal equations in place; sets Singular.
    void SolveNormal();

    // Hausbrandt's correction of the point whose uncorrected result is (Xt, Yt), over all
    // PointCount (> 0) adjustment points: sets CorrectionX, CorrectionY. It reads the copy of
    // TargetX, TargetY, ResidualX, ResidualY that Fit made for it.
    void HausbrandtCorrection(const Extended& Xt, const Extended& Yt);

private:
    // The steps of Fit: the means and the scale (throws on an empty set or a non-finite
    // coordinate); the two observation equations of every point into the normal equations;
    // after the solve, the residuals.
    void CentreAndScale();
    void AccumulateObservations();
    void ComputeResiduals();
    // The polynomial at (x, y), accumulated from (startX, startY).
    void Evaluate(Extended x, Extended y, Extended startX, Extended startY, Extended& outX,
        Extended& outY) const;
    // Fills correctionPoints_ from the arrays above (at the end of Fit).
    void SplitForCorrection();

    // What the correction loop reads of adjustment point i, the fast way: each extended value
    // v stored as a double Hi and a float Lo with Hi + Lo == v exactly (Hi the nearest double,
    // Lo the remainder, which has at most 11 significant bits). One 8-byte and one 4-byte load
    // and one exact extended addition give v back bit for bit, and cost less than one 10-byte
    // load; the arithmetic on v stays in extended precision, in the same order. A point takes
    // 48 bytes instead of 64. Empty when some value does not split exactly (beyond 1e30, or a
    // remainder beneath the range of float); the loop then reads the extended
    // arrays directly.
    struct CorrectionPoint
    {
        double TargetXHi, TargetYHi, ResidualXHi, ResidualYHi; // exact storage, as above
        float TargetXLo, TargetYLo, ResidualXLo, ResidualYLo;
    };
    std::vector<CorrectionPoint> correctionPoints_;
};

} // namespace vorida
