#include "AreaFit.h"

#include "UTransPkt.h"

#include <cmath>

namespace vorida {

namespace {

// True when points hold at least kMinimumAdjustmentPoints distinct source positions. A
// coordinate that is not finite ends the count with true: the fit reports such a point itself.
bool hasEnoughSourcePositions(const TPktDostosowania& points, bool reverse)
{
    Extended seenX[kMinimumAdjustmentPoints], seenY[kMinimumAdjustmentPoints];
    size_t seen = 0;
    for (const TPkt& p : points) {
        const Extended x = reverse ? p.NationalX : p.LocalX;
        const Extended y = reverse ? p.NationalY : p.LocalY;
        if (!(std::isfinite(x) && std::isfinite(y)))
            return true;
        bool known = false;
        for (size_t k = 0; k < seen && !known; ++k)
            known = seenX[k] == x && seenY[k] == y;
        if (known)
            continue;
        if (++seen >= kMinimumAdjustmentPoints)
            return true;
        seenX[seen - 1] = x;
        seenY[seen - 1] = y;
    }
    return false;
}

} // namespace

AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, bool reverse)
{
    if (points.empty())
        return AreaFitStatus::NoPoints;
    if (!hasEnoughSourcePositions(points, reverse))
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
