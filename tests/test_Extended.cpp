#include "Cp1250.h"
#include "Extended.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

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

// The x87 unit rounds to all 64 bits of the significand (a program on Windows may start with
// 53): 1 + 2^-63 differs from 1 only then.
TEST(Extended, ArithmeticKeepsSixtyFourBits)
{
    volatile Extended one = 1.0L, tiny = 0x1p-63L;
    const Extended sum = one + tiny;
    EXPECT_NE(sum, 1.0L);
}

TEST(Cp1250, EveryByteRoundTripsThroughUtf8)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(all)), all);
    EXPECT_EQ(
        Cp1250ToUtf8("\xA5\xB9\xC6\xE6\xCA\xEA\xA3\xB3\xD1\xF1\xD3\xF3\x8C\x9C\x8F\x9F\xAF\xBF"),
        "ĄąĆćĘęŁłŃńÓóŚśŹźŻż");
}

TEST(Cp1250, RejectsWhatTheCodePageCannotHold)
{
    EXPECT_THROW(Utf8ToCp1250("Ω"), EncodingError);
    EXPECT_THROW(Utf8ToCp1250("\xC5"), EncodingError); // cut UTF-8
    EXPECT_THROW(Utf8ToCp1250("\xC0\x80"), EncodingError); // overlong
    EXPECT_EQ(Utf8ToCp1250("aΩb", '?'), "a?b");
}
