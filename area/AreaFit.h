// What the area tools compute beside the fit, which they make and refuse exactly as the run
// does (FitArea, RefusalText in UTransPkt.h).
#pragma once

#include "UTransPkt.h"

namespace vorida {

// A discrepancy v = known - converted, metres, and its length.
struct Discrepancy
{
    Extended Vx = 0.0L, Vy = 0.0L, V = 0.0L;
};
// Throws FloatingPointError when the arithmetic since the last check failed or v is no number.
Discrepancy DiscrepancyOf(Extended knownX, Extended knownY, Extended outX, Extended outY);

} // namespace vorida
