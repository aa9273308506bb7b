#include "Cp1250.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorida;

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
