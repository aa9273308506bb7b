#include "Numbers.h"
#include "SystemNames.h"
#include "UNITtrk.h"

#include <gtest/gtest.h>

using namespace vorida;

TEST(NthWord, SplitsOnBlanksAndTabsOnly)
{
    EXPECT_EQ(NthWord("  12\t 100.5  200 rest", 1, kBlankAndTab), "12");
    EXPECT_EQ(NthWord("  12\t 100.5  200 rest", 2, kBlankAndTab), "100.5");
    EXPECT_EQ(NthWord("  12\t 100.5  200 rest", 4, kBlankAndTab), "rest");
    EXPECT_EQ(NthWord("a b", 3, kBlankAndTab), "");
    EXPECT_EQ(NthWord("a last\t", 2, kBlankAndTab), "last");
    EXPECT_EQ(NthWord("a\x01"
                      "b\x00"
                      "c d",
                  1, kBlankAndTab),
        "a\x01"
        "b");
    EXPECT_EQ(NthWord("word", 0, kBlankAndTab), "");
    EXPECT_EQ(NthWord("", 1, kBlankAndTab), "");
    EXPECT_EQ(NthWord("  \t ", 1, kBlankAndTab), "");
}

TEST(RestFromWord, KeepsEverythingFromTheWordOn)
{
    EXPECT_EQ(RestFromWord("  lead two", 1, kBlankAndTab), "lead two");
    EXPECT_EQ(RestFromWord("n 1 2 101.25  opis\tz tabem \t", 4, kBlankAndTab),
        "101.25  opis\tz tabem \t");
    EXPECT_EQ(RestFromWord("n 1 2   ", 4, kBlankAndTab), "");
    EXPECT_EQ(RestFromWord("n 1 2", -1, kBlankAndTab), "");
}

TEST(DecimalsOf, CountsEverythingAfterTheFirstPoint)
{
    EXPECT_EQ(DecimalsOf("12"), 0);
    EXPECT_EQ(DecimalsOf("12."), 0);
    EXPECT_EQ(DecimalsOf("-12.5"), 1);
    EXPECT_EQ(DecimalsOf("1.5E3"), 3);
    EXPECT_EQ(DecimalsOf("."), 0);
}

TEST(SystemNames, TableAndFileNames)
{
    EXPECT_EQ(SystemName(201),
        "Uk\xB3"
        "ad lokalny");
    EXPECT_EQ(SystemTag(201), "LOK.");
    EXPECT_EQ(SystemTag(7), "2000");
    EXPECT_EQ(SystemName(7), "2000 po\xB3. osiowy 18 stopni");
    EXPECT_EQ(SystemTag(22), "194283");
    EXPECT_EQ(SystemName(22), "1942_83");
    EXPECT_EQ(SystemTag(26), "GRS-80_XYZ");
    for (std::int32_t code : { 0, 33, 200, 999, -7 }) {
        EXPECT_EQ(SystemName(code), "");
        EXPECT_EQ(SystemTag(code), "");
    }
    for (std::int32_t code : { 6, 7, 8, 9 }) {
        EXPECT_EQ(NationalInputName(code), "xy2000");
        EXPECT_EQ(NationalResultName(code), "xy2000.1");
    }
    EXPECT_EQ(NationalInputName(1), "xy1965");
}
