#include "Extended.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace vorida {

namespace {
constexpr int kTrapped = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
constexpr int kBias = 16383;
// A significand M with biased exponent e stands for M * 2^(e - kBias - 63).
constexpr int kSignificandShift = kBias + 63;
} // namespace

void ClearFloatingPointFlags()
{
    // Testing the flags only reads the status words; clearing them rewrites the whole x87
    // environment, which costs far more. Once per transformed point that matters, and the
    // flags are almost never raised, so clear only when one is.
    if (std::fetestexcept(kTrapped) != 0)
        std::feclearexcept(kTrapped);
}

void ThrowOnFloatingPointFlags()
{
    int raised = std::fetestexcept(kTrapped);
    if (raised == 0)
        return;
    std::feclearexcept(kTrapped);
    if (raised & FE_INVALID)
        throw FloatingPointError("Niedozwolona operacja zmiennoprzecinkowa");
    if (raised & FE_DIVBYZERO)
        throw FloatingPointError("Dzielenie przez zero");
    throw FloatingPointError("Nadmiar zmiennoprzecinkowy");
}

Extended DecodeExtended(const std::uint8_t* bytes)
{
    const auto [significand, word] = FieldsOf(bytes);
    bool negative = (word & 0x8000u) != 0;
    int exponent = static_cast<int>(word & 0x7FFFu);
    bool integerBit = (significand >> 63) != 0;

    Extended magnitude;
    if (exponent == 0x7FFF) {
        if (integerBit && (significand << 1) == 0)
            magnitude = std::numeric_limits<Extended>::infinity();
        else
            return std::numeric_limits<Extended>::quiet_NaN();
    } else if (exponent == 0) {
        // Denormal (and pseudo-denormal, integer bit set): the exponent counts as 1.
        magnitude = std::ldexp(static_cast<Extended>(significand), 1 - kSignificandShift);
    } else if (!integerBit) {
        return std::numeric_limits<Extended>::quiet_NaN(); // unnormal
    } else {
        magnitude = std::ldexp(static_cast<Extended>(significand), exponent - kSignificandShift);
    }
    return negative ? -magnitude : magnitude;
}

ExtendedBytes EncodeExtended(Extended value)
{
    std::uint64_t significand = 0;
    unsigned word = std::signbit(value) ? 0x8000u : 0u;
    if (std::isnan(value)) {
        significand = 0xC000000000000000ull;
        word |= 0x7FFFu;
    } else if (std::isinf(value)) {
        significand = 0x8000000000000000ull;
        word |= 0x7FFFu;
    } else if (value != 0.0L) {
        int e2 = 0;
        Extended fraction = std::frexp(std::fabs(value), &e2); // value = fraction * 2^e2
        int exponent = e2 - 1 + kBias;
        if (exponent >= 1) {
            significand = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
            word |= static_cast<unsigned>(exponent);
        } else {
            // Denormal: the significand is |value| * 2^(kSignificandShift - 1), exactly.
            significand
                = static_cast<std::uint64_t>(std::ldexp(std::fabs(value), kSignificandShift - 1));
        }
    }
    ExtendedBytes bytes {};
    for (int i = 0; i < 8; ++i)
        bytes[static_cast<size_t>(i)] = static_cast<std::uint8_t>(significand >> (8 * i));
    bytes[8] = static_cast<std::uint8_t>(word & 0xFFu);
    bytes[9] = static_cast<std::uint8_t>(word >> 8);
    return bytes;
}

} // namespace vorida
