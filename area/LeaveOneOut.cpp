#include "LeaveOneOut.h"

#include <cmath>
#include <stdexcept>

namespace vorida {

LooResult LeaveOneOut(const TPktDostosowania& points, bool reverse)
{
    if (points.size() < kMinimumPointsForLeaveOneOut)
        throw std::invalid_argument("Za mało punktów dostosowania");
    LooResult result;
    result.Points.resize(points.size());

    // The set without point i is points[0..i-1] followed by points[i+1..]. Going from i to
    // i + 1 changes one entry: position i gets point i back.
    TPktDostosowania reduced(points.begin() + 1, points.end());
    TTrKonfAf t;
    for (size_t i = 0; i < points.size(); ++i) {
        if (i > 0)
            reduced[i - 1] = points[i - 1];
        LooDiscrepancy& d = result.Points[i];
        const TPkt& p = points[i];
        try {
            d.Status = FitArea(t, reduced, reverse);
            if (d.Status != AreaFitStatus::Fitted)
                continue;
            Extended outX = 0.0L, outY = 0.0L;
            t.TransformPoint(
                outX, outY, reverse ? p.NationalX : p.LocalX, reverse ? p.NationalY : p.LocalY);
            static_cast<Discrepancy&>(d) = DiscrepancyOf(
                reverse ? p.LocalX : p.NationalX, reverse ? p.LocalY : p.NationalY, outX, outY);
        } catch (const FloatingPointError&) {
            d = LooDiscrepancy {};
            d.Failed = true;
        }
    }

    Extended sum = 0.0L;
    for (size_t i = 0; i < points.size(); ++i) {
        const LooDiscrepancy& d = result.Points[i];
        if (!d.Computed())
            continue;
        ++result.Computed;
        sum = sum + d.V * d.V;
        if (!result.Worst || d.V > result.Points[*result.Worst].V)
            result.Worst = i;
    }
    if (result.Computed > 0)
        result.Rms = std::sqrt(sum / static_cast<Extended>(result.Computed));
    if (result.Computed < 2)
        return result;
    for (LooDiscrepancy& d : result.Points) {
        if (!d.Computed())
            continue;
        // The others' sum of squares directly, not as a difference: no cancellation.
        Extended others = 0.0L;
        for (const LooDiscrepancy& e : result.Points)
            if (&e != &d && e.Computed())
                others = others + e.V * e.V;
        d.RmsOfOthers = std::sqrt(others / static_cast<Extended>(result.Computed - 1));
        d.Blunder = d.V > kBlunderFactor * d.RmsOfOthers && d.V > kBlunderFloor;
    }
    return result;
}

} // namespace vorida
