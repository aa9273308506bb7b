#include "AreaFit.h"

#include <cmath>

namespace vorida {

Discrepancy DiscrepancyOf(Extended knownX, Extended knownY, Extended outX, Extended outY)
{
    Discrepancy d;
    d.Vx = knownX - outX;
    d.Vy = knownY - outY;
    d.V = std::sqrt(d.Vx * d.Vx + d.Vy * d.Vy);
    ThrowOnFloatingPointFlags();
    if (!std::isfinite(d.V))
        throw FloatingPointError("Wynik przeliczenia nie jest liczbą");
    return d;
}

} // namespace vorida
