#include "Numbers.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

using namespace vorida;
using vorida::test::ScopedPolishLocale;

namespace {
bool accepts(const char* word)
{
    Extended v;
    return ParseCoordinate(word, v);
}

Extended read(const char* word)
{
    Extended v = -999.0L;
    EXPECT_TRUE(ParseCoordinate(word, v)) << word;
    return v;
}
} // namespace

TEST(ParseCoordinate, AcceptsExactlyTheGrammar)
{
    for (const char* ok : { "12", "12.5", ".5", "5.", ".", "-.", "+0", "1.5E3", "1e3", "1E", "1E+",
             "1e-", "-12.5", "+.5e-2", "0E4999", "1E0000000005", "00012.50000", "1E499" }) {
        EXPECT_TRUE(accepts(ok)) << ok;
    }
    for (const char* bad :
        { "", "-", "+", "E3", "e", "12a", "1,5", "100,25", "1.2.3", "--1", "1e5x", " 1", "1 ",
            "0x10", "inf", "nan", "1E5000", "1E49999", "1E-49999", "1E4999999", "1.5E3.0", "٣" }) {
        EXPECT_FALSE(accepts(bad)) << bad;
    }
}

TEST(ParseCoordinate, ExponentDigitsStopAtFiveHundred)
{
    // 4999: digits are taken while the value is below 500, so a fifth digit is left over.
    EXPECT_TRUE(accepts("0e4999"));
    EXPECT_FALSE(accepts("0e49990"));
    EXPECT_TRUE(accepts("0e0499"));
    EXPECT_FALSE(accepts("1e4999")); // overflows the extended range
    EXPECT_EQ(read("1e-4999"), 0.0L); // underflow is no error
}

TEST(ParseCoordinate, GivesTheCorrectlyRoundedValue)
{
    EXPECT_EQ(read("."), 0.0L);
    EXPECT_EQ(read("1e3"), 1000.0L);
    EXPECT_EQ(read("5."), 5.0L);
    EXPECT_EQ(read("-12.5"), -12.5L);
    EXPECT_EQ(read("0.1"), 0.1L);
    EXPECT_EQ(read("5852483.7312"), 5852483.7312L);
    EXPECT_EQ(read("1.18973149535723176502e+4932"), std::numeric_limits<Extended>::max());
    EXPECT_EQ(read("3.64519953188247460253e-4951"), std::numeric_limits<Extended>::denorm_min());
    // Halfway between two extended values: ties go to the even one.
    EXPECT_EQ(read("18446744073709551617"), 18446744073709551616.0L);
    EXPECT_EQ(read("18446744073709551619"), 18446744073709551620.0L);
    EXPECT_EQ(read("9223372036854775809"), 9223372036854775809.0L); // 64 bits: exact
}

TEST(ParseCoordinate, IgnoresTheLocaleAndKeepsTheFlags)
{
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_FALSE(accepts("2e4932"));
    EXPECT_EQ(std::fetestexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO), 0);

    const ScopedPolishLocale polish;
    if (!polish.Made())
        GTEST_SKIP() << "no Polish locale on this system (test.sh makes pl_PL.UTF-8 as root)";
    EXPECT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(read("12.5"), 12.5L);
    EXPECT_EQ(read("1234567890.1234567890123"), 1234567890.1234567890123L); // the general path
    EXPECT_FALSE(accepts("12,5"));
    EXPECT_EQ(FormatDecimals(12.5L, 2), "12.50");
    EXPECT_EQ(FormatDecimals(12345678901.5L, 10), "12345678901.5000000000"); // the general path
    EXPECT_EQ(ExactDecimal(0.375L), "0.375");
    EXPECT_EQ(RoundTripText(0.5L), "5.00000000000000000000e-01");
}

// The general path leaves the SSE control word alone: a C library that restores saved flags
// through it may clear the exception masks, and the next inexact operation on doubles (the C
// library's own, say) then ends the process.
TEST(ParseCoordinate, KeepsTheSseExceptionMasks)
{
#if defined(__x86_64__) || defined(__i386__)
    const unsigned masks = _mm_getcsr() & 0x1F80u;
    ASSERT_EQ(masks, 0x1F80u);
    for (const char* word : { "1234567890.1234567890123", "2e4932", "1e-4960" }) {
        Extended v;
        ParseCoordinate(word, v);
        EXPECT_EQ(_mm_getcsr() & 0x1F80u, masks) << word;
        _mm_setcsr(_mm_getcsr() | 0x1F80u);
    }
    volatile double third = 1.0;
    third = third / 3.0;
    EXPECT_GT(third, 0.0);
#else
    GTEST_SKIP() << "no SSE unit";
#endif
}

TEST(FormatDecimals, RoundsHalfAwayFromZeroOnTheExactValue)
{
    struct Case
    {
        Extended value;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        { 0.125L, 2, "0.13" },
        { -0.125L, 2, "-0.13" },
        { 2.5L, 0, "3" },
        { -2.5L, 0, "-3" },
        { 0.5L, 0, "1" },
        { 1.0L, 2, "1.00" },
        { 0.0L, 2, "0.00" },
        { -0.0L, 0, "0" },
        { -0.001L, 2, "0.00" },
        // Decimal fractions are stored a little above or below: the exact value decides.
        { 0.005L, 2, "0.00" },
        { 0.015L, 2, "0.01" },
        { 9.995L, 2, "9.99" },
        { 9.9951L, 2, "10.00" },
        { 99.5L, 0, "100" },
        { 0.375L, 2, "0.38" },
        { 5852483.725L, 2, "5852483.72" },
        { 1234567.123455L, 5, "1234567.12346" },
        { 1e20L, 1, "100000000000000000000.0" },
        { 0.1L, 18, "0.100000000000000000" },
        { 0.1L, 25, "0.100000000000000000" },
        { 123.456L, -2, "1.23E+02" },
        { -0.000123456L, -3, "-1.235E-04" },
        { 9.996L, -2, "1.00E+01" },
        { 0.0L, -1, "0.0E+00" },
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDecimals(c.value, c.decimals), c.text)
            << static_cast<double>(c.value) << " " << c.decimals;
}

TEST(FormatDecimals, AgreesWithPrintfExceptOnTies)
{
    // printf rounds the exact value to nearest; only exact ties may differ, and those go away
    // from zero here.
    Extended v = 0.0001234L;
    for (int i = 0; i < 2000; ++i, v = v * 1.0137L + 0.37L) {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, "%.3Lf", v);
        EXPECT_EQ(FormatDecimals(v, 3), buffer);
    }
}

TEST(AppendRight, PadsButNeverCuts)
{
    std::string s;
    AppendRight(s, "12", 5);
    AppendRight(s, "123456", 3);
    EXPECT_EQ(s, "   12123456");
}

TEST(ExactDecimal, PrintsEveryDigit)
{
    EXPECT_EQ(ExactDecimal(0.1L),
        "0.1000000000000000000013552527156068805425093160010874271392822265625");
    EXPECT_EQ(ExactDecimal(-2.0L), "-2");
}

TEST(Numbers, CountOfTakesThePolishForm)
{
    const std::pair<std::int64_t, const char*> cases[]
        = { { 0, "0 punktów" }, { 1, "1 punkt" }, { 2, "2 punkty" }, { 4, "4 punkty" },
              { 5, "5 punktów" }, { 11, "11 punktów" }, { 12, "12 punktów" }, { 14, "14 punktów" },
              { 21, "21 punktów" }, { 22, "22 punkty" }, { 34, "34 punkty" },
              { 101, "101 punktów" }, { 112, "112 punktów" }, { 1024, "1024 punkty" } };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(CountOf(n, "punkt", "punkty", "punktów"), text) << n;
}
