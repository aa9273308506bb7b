#include "AreaFit.h"

#include "UTransPkt.h"

#include <cmath>

namespace vorida {

AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, bool reverse)
{
    if (points.empty())
        return AreaFitStatus::NoPoints;
    if (!HasEnoughSourcePositions(points, !reverse))
        return AreaFitStatus::TooFewPositions;
    t.Fit(points, kProgramDegree, reverse, kHausbrandtCorrection);
    return t.Singular != 0 ? AreaFitStatus::Singular : AreaFitStatus::Fitted;
}

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
