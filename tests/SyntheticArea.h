// The one generator of synthetic areas for the tests: a deterministic sequence of uniform
// numbers (the same on every system and compiler, for a seed) and national coordinates made
// from local ones by a known model, so that a test's expected figures follow from its seed.
#pragma once

#include "TestSupport.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace vorida::test {

// Uniform numbers in [-0.5, 0.5) from a linear congruential generator, 24 bits each.
class UniformSequence
{
public:
    explicit UniformSequence(std::uint32_t seed) : state_(seed) { }
    Extended operator()()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<Extended>(state_ >> 8) / 16777216.0L - 0.5L;
    }

private:
    std::uint32_t state_;
};

// National coordinates from local ones (u, v from the centre): a turn and scale, a conformal
// quadratic term, a cubic term in X, a smooth distortion (sines of u in X, cosines of v in Y)
// and noise from the sequence, Noise wide.
struct AreaModel
{
    Extended CentreX = 0.0L, CentreY = 0.0L;
    Extended Cubic = 0.0L; // of u cubed in X
    Extended WaveX = 0.0L, WaveLengthX = 1.0L; // X: WaveX sin(u / WaveLengthX)
    Extended WaveY = 0.0L, WaveLengthY = 1.0L; // Y: WaveY cos(v / WaveLengthY)
    Extended Noise = 0.0L; // the noise's whole width (m)

    // The point name at local x, y with its national coordinates, a blunder added to X; the
    // sequence gives X's noise, then Y's.
    TPkt Make(std::string name, Extended x, Extended y, UniformSequence& uniform,
        Extended blunder = 0.0L) const
    {
        const Extended u = x - CentreX, v = y - CentreY;
        const Extended X = 5852000.0L + 0.99991L * u - 0.0123L * v + 2.1e-9L * (u * u - v * v)
            + Cubic * u * u * u + WaveX * std::sin(u / WaveLengthX) + Noise * uniform() + blunder;
        const Extended Y = 6482000.0L + 0.0123L * u + 0.99991L * v + 4.2e-9L * u * v
            + WaveY * std::cos(v / WaveLengthY) + Noise * uniform();
        return Point(std::move(name), x, y, X, Y);
    }
};

} // namespace vorida::test
