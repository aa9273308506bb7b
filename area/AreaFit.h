// The fit of an area as the run makes it: the cubic with Hausbrandt's correction, refused
// when the adjustment points cannot determine it.
#pragma once

#include "UTrKonfAf.h"

namespace vorida {

enum class AreaFitStatus {
    Fitted, // the transformation is usable
    NoPoints, // an empty set
    TooFewPositions, // fewer than 4 distinct source positions
    Singular, // the solver met a pivot below its limit
};

// Fits t on points with degree 3 and correction mode 1, reverse false for local to national,
// after the run's own checks. Throws FloatingPointError when the arithmetic fails (a
// coordinate that is not a number). On any status but Fitted, t holds no usable fit.
AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, bool reverse);

// A discrepancy v = known - converted, metres, and its length.
struct Discrepancy
{
    Extended Vx = 0.0L, Vy = 0.0L, V = 0.0L;
};
// Throws FloatingPointError when the arithmetic since the last check failed or v is no number.
Discrepancy DiscrepancyOf(Extended knownX, Extended knownY, Extended outX, Extended outY);

} // namespace vorida
