#include "Extended.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include <xmmintrin.h>

namespace vorida {

namespace {
constexpr int kTrapped = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
constexpr int kBias = 16383;
// A significand M with biased exponent e stands for M * 2^(e - kBias - 63).
constexpr int kSignificandShift = kBias + 63;

// The x87 status word and the SSE control and status register keep the exception flags in the
// same six low bits, in the order of the FE_ bits.
static_assert(FE_INVALID == 0x01 && FE_DIVBYZERO == 0x04 && FE_OVERFLOW == 0x08
    && FE_UNDERFLOW == 0x10 && FE_INEXACT == 0x20);
constexpr unsigned kFlagBits = 0x3F;

// The environment FNSTENV stores in 64-bit mode: 28 bytes, the status word the second word.
struct X87Environment
{
    std::uint16_t Control, Reserved1, Status, Reserved2;
    std::uint32_t Rest[5];
};
static_assert(sizeof(X87Environment) == 28);

// The x87 status word, read by its own instruction (inline assembly, which GCC and clang both
// take; so are the environment's store and load below).
unsigned x87Status()
{
    std::uint16_t status;
    asm volatile("fnstsw %0" : "=am"(status));
    return status;
}
} // namespace

int RaisedFloatingPointFlags(int mask)
{
    const unsigned raised = (x87Status() | _mm_getcsr()) & kFlagBits;
    return static_cast<int>(raised) & mask;
}

void ClearFloatingPointFlags(int mask)
{
    const auto bits = static_cast<unsigned>(mask) & kFlagBits;
    const unsigned csr = _mm_getcsr();
    if ((csr & bits) != 0)
        _mm_setcsr(csr & ~bits);
    // The x87 status word is written only with the whole environment.
    if ((x87Status() & bits) != 0) {
        X87Environment environment;
        asm volatile("fnstenv %0" : "=m"(environment));
        environment.Status = static_cast<std::uint16_t>(environment.Status & ~bits);
        asm volatile("fldenv %0" : : "m"(environment));
    }
}

void ClearFloatingPointFlags()
{
    // Testing the flags only reads the status words; clearing them rewrites the whole x87
    // environment, which costs far more. Once per transformed point that matters, and the
    // flags are almost never raised, so clear only when one is.
    if (RaisedFloatingPointFlags(kTrapped) != 0)
        ClearFloatingPointFlags(kTrapped);
}

void ThrowOnFloatingPointFlags()
{
    const int raised = RaisedFloatingPointFlags(kTrapped);
    if (raised == 0)
        return;
    ClearFloatingPointFlags(kTrapped);
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
