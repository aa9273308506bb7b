#include "Extended.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <utility>

#include <xmmintrin.h>

using namespace vorida;
using namespace vorida::test;

namespace {

ExtendedBytes bytesOf(Extended v)
{
    ExtendedBytes b {};
    std::memcpy(b.data(), &v, 10); // the x87 unit's own layout on this machine
    return b;
}

bool sameBits(Extended a, Extended b)
{
    return bytesOf(a) == bytesOf(b);
}

} // namespace

TEST(Extended, EncoderMatchesTheHardwareLayoutOnEdgeValues)
{
    using L = std::numeric_limits<Extended>;
    const Extended values[] = { 0.0L, -0.0L, 1.0L, -1.0L, 0.1L, 5852483.7312L, -6483727.08L,
        L::max(), -L::max(), L::min(), L::denorm_min(), -L::denorm_min(),
        L::min() - L::denorm_min(), L::infinity(), -L::infinity(), L::epsilon(), 3000.0L };
    for (Extended v : values) {
        SCOPED_TRACE(static_cast<long double>(v));
        EXPECT_EQ(EncodeExtended(v), bytesOf(v));
        ExtendedBytes b = EncodeExtended(v);
        EXPECT_TRUE(sameBits(DecodeExtended(b.data()), v));
    }
}

TEST(Extended, RoundTripsRandomBitPatternsOfEveryClass)
{
    std::mt19937_64 random(20240305);
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t significand = random() | (1ull << 63);
        unsigned exponent = static_cast<unsigned>(random() % 0x7FFF); // finite, normal or 0
        if (exponent == 0)
            significand &= ~(1ull << 63);
        unsigned word = exponent | (random() % 2 ? 0x8000u : 0u);
        ExtendedBytes b = Pattern(significand, word);
        Extended v = DecodeExtended(b.data());
        ASSERT_EQ(EncodeExtended(v), b) << i;
        Extended hardware;
        std::memcpy(&hardware, b.data(), 10);
        ASSERT_TRUE(sameBits(v, hardware)) << i;
    }
}

TEST(Extended, PatternsWithoutAValueDecodeAsTheHardwareTreatsThem)
{
    // Unnormal (integer bit clear, exponent neither 0 nor all ones): rejected, NaN.
    EXPECT_TRUE(std::isnan(DecodeExtended(Pattern(0x4000000000000000ull, 0x3FFF).data())));
    // NaN with a payload; infinity of either sign.
    EXPECT_TRUE(std::isnan(DecodeExtended(Pattern(0xC000000000001234ull, 0x7FFF).data())));
    EXPECT_EQ(DecodeExtended(Pattern(0x8000000000000000ull, 0xFFFF).data()),
        -std::numeric_limits<Extended>::infinity());
    // Pseudo-infinity (integer bit clear) is no infinity.
    EXPECT_TRUE(std::isnan(DecodeExtended(Pattern(0, 0x7FFF).data())));
    // Pseudo-denormal: the integer bit set with exponent 0 reads as 2^-16382.
    EXPECT_EQ(DecodeExtended(Pattern(0x8000000000000000ull, 0).data()),
        std::numeric_limits<Extended>::min());
}

TEST(Extended, FloatingPointFaultsBecomeExceptions)
{
    volatile Extended zero = 0.0L, big = std::numeric_limits<Extended>::max();
    ClearFloatingPointFlags();
    volatile Extended q = zero / zero;
    (void)q;
    EXPECT_THROW(ThrowOnFloatingPointFlags(), FloatingPointError);
    EXPECT_NO_THROW(ThrowOnFloatingPointFlags()); // the flags were cleared
    volatile Extended r = 1.0L / zero;
    (void)r;
    EXPECT_THROW(ThrowOnFloatingPointFlags(), FloatingPointError);
    volatile Extended s = big * 2.0L;
    (void)s;
    EXPECT_THROW(ThrowOnFloatingPointFlags(), FloatingPointError);
    volatile Extended t = 1.0L / 3.0L; // inexact only
    (void)t;
    EXPECT_NO_THROW(ThrowOnFloatingPointFlags());
}

// Our flag access against the C library's, flag by flag, raised in the x87 unit and in the SSE
// unit: the same flags seen, and clearing one flag leaves the others and the SSE masks alone.
TEST(Extended, FlagAccessAgreesWithTheCLibrary)
{
    volatile Extended xZero = 0.0L, xBig = std::numeric_limits<Extended>::max(),
                      xTiny = std::numeric_limits<Extended>::min(), xOne = 1.0L;
    volatile double sZero = 0.0, sBig = std::numeric_limits<double>::max(),
                    sTiny = std::numeric_limits<double>::min(), sOne = 1.0;
    const std::pair<const char*, std::function<void()>> operations[] = {
        { "x87 0/0", [&] { xOne = xZero / xZero; } },
        { "x87 1/0", [&] { xBig = xOne / xZero; } },
        { "x87 overflow", [&] { xOne = xBig * 2.0L; } },
        { "x87 underflow", [&] { xOne = xTiny / 3.0L; } },
        { "x87 1/3", [&] { xZero = xOne / 3.0L; } },
        { "SSE 0/0", [&] { sOne = sZero / sZero; } },
        { "SSE 1/0", [&] { sBig = sOne / sZero; } },
        { "SSE overflow", [&] { sOne = sBig * 2.0; } },
        { "SSE underflow", [&] { sOne = sTiny / 3.0; } },
        { "SSE 1/3", [&] { sZero = sOne / 3.0; } },
    };
    const unsigned masks = _mm_getcsr() & 0x1F80u;
    for (const auto& [name, operation] : operations) {
        xZero = 0.0L;
        xBig = std::numeric_limits<Extended>::max();
        xOne = 1.0L;
        sZero = 0.0;
        sBig = std::numeric_limits<double>::max();
        sOne = 1.0;
        std::feclearexcept(FE_ALL_EXCEPT);
        operation();
        const int raised = std::fetestexcept(FE_ALL_EXCEPT);
        EXPECT_NE(raised, 0) << name;
        EXPECT_EQ(RaisedFloatingPointFlags(FE_ALL_EXCEPT), raised) << name;
        for (int flag : { FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT }) {
            if ((raised & flag) == 0)
                continue;
            ClearFloatingPointFlags(flag);
            EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), raised & ~flag) << name << " " << flag;
            std::feraiseexcept(flag);
        }
        EXPECT_EQ(_mm_getcsr() & 0x1F80u, masks) << name;
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

// The x87 unit rounds to all 64 bits of the significand (a program on Windows may start with
// 53): 1 + 2^-63 differs from 1 only then.
TEST(Extended, ArithmeticKeepsSixtyFourBits)
{
    volatile Extended one = 1.0L, tiny = 0x1p-63L;
    const Extended sum = one + tiny;
    EXPECT_NE(sum, 1.0L);
}
