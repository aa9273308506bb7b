// Hausbrandt's correction of a fitted object at (Xt, Yt), written out plainly from the fit's
// extended arrays: what TTrKonfAf::HausbrandtCorrection must give, bit for bit.
#pragma once

#include "UTrKonfAf.h"

#include <utility>

namespace vorida::test {

inline std::pair<Extended, Extended> ReferenceCorrection(
    const TTrKonfAf& t, Extended Xt, Extended Yt)
{
    Extended SX = 0.0L, SY = 0.0L, W = 0.0L;
    for (size_t i = 1; i <= static_cast<size_t>(t.PointCount); ++i) {
        const Extended dx = t.TargetX[i] - Xt;
        const Extended dy = t.TargetY[i] - Yt;
        const Extended w = 1.0L / ((dx * dx + dy * dy) + 1e-9L);
        SX = t.ResidualX[i] * w + SX;
        SY = t.ResidualY[i] * w + SY;
        W = W + w;
    }
    return { SX / W, SY / W };
}

} // namespace vorida::test
