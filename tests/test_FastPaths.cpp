// The fast paths of the run against the general ones they stand in for: every byte and every
// bit must agree, ties included. Random cases come from fixed seeds.
#include "HausbrandtReference.h"
#include "Numbers.h"
#include "UNITtrk.h"
#include "UTrKonfAf.h"
#include "UTransPkt.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace vorida;

namespace {

// Half away from zero on the exact decimal expansion, written out digit by digit: the oracle
// for the integer formatter.
std::string roundedExactly(Extended value, int decimals)
{
    std::string exact = ExactDecimal(std::fabs(value));
    if (exact.find('.') == std::string::npos)
        exact += '.';
    exact.append(static_cast<size_t>(decimals) + 1, '0');
    const size_t point = exact.find('.');
    std::string digits
        = exact.substr(0, point) + exact.substr(point + 1, static_cast<size_t>(decimals));
    if (exact[point + 1 + static_cast<size_t>(decimals)] >= '5') {
        size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    std::string text = digits.substr(0, digits.size() - static_cast<size_t>(decimals));
    if (decimals > 0)
        text.append(".").append(digits, digits.size() - static_cast<size_t>(decimals));
    const bool zero = digits.find_first_not_of('0') == std::string::npos;
    if (value < 0.0L && !zero)
        text.insert(text.begin(), '-');
    return text;
}

bool sameBits(Extended a, Extended b)
{
    return std::memcmp(&a, &b, 10) == 0;
}

} // namespace

TEST(FastPaths, FormatterMatchesTheExactExpansionOnRandomValues)
{
    std::mt19937_64 random(2000);
    for (int i = 0; i < 200000; ++i) {
        // Every significand bit in use; magnitudes from 2^-70 to 2^70.
        const auto significand = random() | (1ull << 63);
        const int exponent = static_cast<int>(random() % 141) - 70 - 63;
        Extended v = std::ldexp(static_cast<Extended>(significand), exponent);
        if (random() & 1)
            v = -v;
        const int decimals = static_cast<int>(random() % (kMaxDecimals + 1));
        ASSERT_EQ(FormatDecimals(v, decimals), roundedExactly(v, decimals)) << ExactDecimal(v);
    }
}

TEST(FastPaths, FormatterRoundsTiesAwayFromZero)
{
    // (2q + 1) / 2^(d + 1) times 10^d ends in exactly .5: a tie at d decimals.
    std::mt19937_64 random(18);
    for (int i = 0; i < 50000; ++i) {
        const int decimals = static_cast<int>(random() % 8);
        const std::uint64_t odd = ((random() >> (random() % 40)) | 1) & ((1ull << 62) - 1);
        Extended v = std::ldexp(static_cast<Extended>(odd), -(decimals + 1));
        if (i & 1)
            v = -v;
        ASSERT_EQ(FormatDecimals(v, decimals), roundedExactly(v, decimals)) << ExactDecimal(v);
    }
    EXPECT_EQ(FormatDecimals(30000.0625L, 3), "30000.063");
    EXPECT_EQ(FormatDecimals(-5852483.5L, 0), "-5852484");
    EXPECT_EQ(FormatDecimals(0.5L, 0), "1");
}

TEST(FastPaths, FormatterEdgesAgreeWithTheExactExpansion)
{
    const Extended edges[] = { 0.0L, -0.0L, 1.0L, 0.5L, 9.5L, 0.05L, 0.0049999999999999999L,
        std::ldexp(1.0L, 63), std::ldexp(1.0L, 64) - 1.0L, std::ldexp(1.0L, 64), 1e19L - 1.0L,
        1e19L, 9999999999999999999.5L, std::ldexp(1.0L, -16445), std::ldexp(1.0L, -125),
        std::ldexp(1.0L, -124), std::ldexp(1.0L, -61), 0.999999999999999999L, -1e-20L, 5852483.725L,
        99999.999995L };
    for (Extended v : edges)
        for (int decimals = 0; decimals <= kMaxDecimals; ++decimals)
            EXPECT_EQ(FormatDecimals(v, decimals), roundedExactly(v, decimals))
                << ExactDecimal(v) << " " << decimals;
}

TEST(FastPaths, ParserGivesWhatStrtoldGivesOnRandomWords)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, "."); // strtold reads the words as written
    std::mt19937_64 random(1965);
    for (int i = 0; i < 200000; ++i) {
        // 1 to 24 digits (from 20 on the general path), the point anywhere or nowhere, an
        // exponent now and then, leading zeros sometimes.
        const int digits = 1 + static_cast<int>(random() % 24);
        std::string word = (random() % 3 == 0) ? "-" : "";
        if (random() % 5 == 0)
            word += "000";
        std::string body;
        for (int k = 0; k < digits; ++k)
            body += static_cast<char>('0' + random() % 10);
        const auto point = random() % static_cast<std::uint64_t>(digits + 2);
        if (point <= static_cast<std::uint64_t>(digits))
            body.insert(body.begin() + static_cast<std::ptrdiff_t>(point), '.');
        word += body;
        if (random() % 4 == 0) {
            word += 'e';
            word += std::to_string(static_cast<int>(random() % 81) - 40);
        }
        Extended fast = -1.0L;
        ASSERT_TRUE(ParseCoordinate(word, fast)) << word;
        const Extended exact = std::strtold(word.c_str(), nullptr);
        ASSERT_TRUE(sameBits(fast, exact)) << word;
    }
}

TEST(FastPaths, ParserEdgesAgreeWithStrtold)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ".");
    for (const char* word : { "0", "-0", "-0.000", "0e-40", "9999999999999999999",
             "18446744073709551615", "9223372036854775808", "0.1", "-0.3", "1e27", "1e28", "1e-27",
             "1e-28", "123456789.123456789", "1234567890123456789e27", "1234567890123456789e-27",
             "0.0000000000000000000000000001", "5852483.731", "6483727.082",
             "0000000000000000000000000000012.5" }) {
        Extended fast = -1.0L;
        ASSERT_TRUE(ParseCoordinate(word, fast)) << word;
        EXPECT_TRUE(sameBits(fast, std::strtold(word, nullptr))) << word;
    }
}

TEST(FastPaths, InputWordsAreCopiedOnlyWhenTheyAreTheirOwnFormattedValue)
{
    // The report's input columns: the value read from the word, with the word's decimals.
    auto check = [](const std::string& word) {
        Extended v = 0.0L;
        if (!ParseCoordinate(word, v))
            return;
        const int decimals = TTransPkt::DecimalsOf(word);
        std::string expected, copied;
        AppendDecimals(expected, v, decimals);
        AppendInputDecimals(copied, word, v, decimals);
        ASSERT_EQ(copied, expected) << word;
    };
    for (const char* word : { "0", "-0", "-0.00", "0.00", "-0.01", ".5", "5.", "+5", "05.1", "00",
             "1e3", "1.5e3", "999999999999999999", "99999999999999999.9", "-9999999999999999.99",
             "0.00000000000000001", "0.000000000000000001", "12345678901234567.5",
             "1234567890123456789", "5852483.731", "-6483727.0820" })
        check(word);
    std::mt19937_64 random(2026);
    for (int i = 0; i < 200000; ++i) {
        // 1 to 20 digits, the point anywhere or nowhere; nines and zeros often, next to the
        // 18-digit limit and to rounding carries.
        const int digits = 1 + static_cast<int>(random() % 20);
        std::string word = (random() % 3 == 0) ? "-" : "";
        const char* alphabet = (random() % 2) ? "0123456789" : "0999999990";
        for (int k = 0; k < digits; ++k)
            word += alphabet[random() % 10];
        const auto point = random() % static_cast<std::uint64_t>(digits + 1);
        if (point < static_cast<std::uint64_t>(digits))
            word.insert(word.size() - static_cast<size_t>(point), 1, '.');
        check(word);
    }
}

TEST(FastPaths, SplitPointLineIsNthWordAndRestFromWord)
{
    const char alphabet[] = { ' ', '\t', 'a', '1', '.', '\r', '\x01' };
    std::mt19937 random(4);
    for (int i = 0; i < 100000; ++i) {
        std::string line;
        const int length = static_cast<int>(random() % 14);
        for (int k = 0; k < length; ++k)
            line += alphabet[random() % sizeof alphabet];
        const PointLineWords w = SplitPointLine(line);
        ASSERT_EQ(w.Name, NthWord(line, 1, kBlankAndTab)) << line;
        ASSERT_EQ(w.X, NthWord(line, 2, kBlankAndTab)) << line;
        ASSERT_EQ(w.Y, NthWord(line, 3, kBlankAndTab)) << line;
        ASSERT_EQ(w.Rest, RestFromWord(line, 4, kBlankAndTab)) << line;
    }
}

TEST(FastPaths, SplitCorrectionCopyGivesTheCorrectionOfTheExtendedArrays)
{
    // Targets of full 64-bit precision, residuals from large to tiny; the correction read
    // from the split copy must equal, bit for bit, the loop over the extended arrays.
    std::mt19937_64 random(77);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (Extended noise : { 0.05L, 1e-3L, 0.0L }) {
        TPktDostosowania points;
        for (int i = 0; i < 60; ++i) {
            const Extended x = 26000.0L + 8000.0L * static_cast<Extended>(unit(random));
            const Extended y = 17000.0L + 6000.0L * static_cast<Extended>(unit(random));
            const Extended n = noise * static_cast<Extended>(unit(random));
            points.push_back(TPkt { "p", x, y, 5.85e6L + x / 3.0L + n, 6.48e6L + y / 7.0L - n });
        }
        TTrKonfAf t;
        t.Fit(points, 3, false, 1);
        for (int k = 0; k < 2000; ++k) {
            const Extended Xt = 5.85e6L + 12000.0L * static_cast<Extended>(unit(random));
            const Extended Yt = 6.48e6L + 12000.0L * static_cast<Extended>(unit(random));
            const auto [cx, cy] = vorida::test::ReferenceCorrection(t, Xt, Yt);
            t.HausbrandtCorrection(Xt, Yt);
            ASSERT_TRUE(sameBits(t.CorrectionX, cx));
            ASSERT_TRUE(sameBits(t.CorrectionY, cy));
        }
    }
}
