#include "Cp1250.h"
#include "TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

using namespace vorida;

// Real Polish words and point names, short ones among them: in Windows-1250 each is read as
// Windows-1250 (several are well-formed UTF-8 by chance), in UTF-8 as UTF-8, whether alone or
// on a point line.
TEST(TextEncoding, PolishWordsInBothEncodings)
{
    const char* words[] = { "PÓŁNOC", "ŁÓDŹ", "ŻÓŁW", "Ó-1", "ul. Śląska", "Ż-4", "ośn.101", "WIĘŹ",
        "GĘŚLĄ JAŹŃ", "zażółć gęślą jaźń", "ŹRÓDŁO", "Gdańsk", "ŚWIĘTOKRZYSKIE", "Ćma",
        "róg ogrodzenia", "słup ż/b", "ZAŻÓŁĆ", "DĄB", "ÓŚMY", "Ń", "ś", "Ó" };
    for (const char* word : words) {
        const std::string utf8 = word, cp1250 = Utf8ToCp1250(utf8);
        const std::string tail = " 5432.10 6543.21\r\n";
        EXPECT_EQ(DetectEncoding(cp1250), TextEncoding::Cp1250) << word;
        EXPECT_EQ(DetectEncoding(cp1250 + tail), TextEncoding::Cp1250) << word;
        EXPECT_EQ(DetectEncoding(utf8), TextEncoding::Utf8) << word;
        EXPECT_EQ(DetectEncoding(utf8 + tail), TextEncoding::Utf8) << word;
    }
}

TEST(TextEncoding, AsciiMarksAndOtherScripts)
{
    EXPECT_EQ(DetectEncoding(""), TextEncoding::Cp1250);
    EXPECT_EQ(DetectEncoding("101 5432.10 6543.21 slup\r\n"), TextEncoding::Cp1250);
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF"), TextEncoding::Utf8Bom);
    EXPECT_EQ(DetectEncoding("\xEF\xBB\xBF\xD3\xA3"), TextEncoding::Utf8Bom); // the mark decides
    EXPECT_EQ(DetectEncoding("P\xD3\xA3NOC\xC5"), TextEncoding::Cp1250); // cut UTF-8
    EXPECT_EQ(DetectEncoding("\xC0\xAF"), TextEncoding::Cp1250); // overlong
    // A stray control byte reads alike in both encodings and decides nothing.
    EXPECT_EQ(DetectEncoding(std::string("P\xD3\xA3NOC\0 1 2", 11)), TextEncoding::Cp1250);
    // Symbols a surveyor writes: degrees, plus-minus, a dash, the euro, a triangle.
    EXPECT_EQ(DetectEncoding("kąt 90° ±2 mm – 5 € ▲"), TextEncoding::Utf8);
    // Greek letters in a description (a latitude, a height difference), a byte-order mark of a
    // file put after another.
    EXPECT_EQ(DetectEncoding("P1 5432.10 6543.21 φ λ Δh=0.12\r\n"), TextEncoding::Utf8);
    EXPECT_EQ(DetectEncoding("P1 1 2 żółw\r\n\xEF\xBB\xBFP2 1 2\r\n"), TextEncoding::Utf8);
    // Russian text: implausible as UTF-8 for a Polish file, but its Windows-1250 reading holds
    // bytes the code page leaves undefined, so UTF-8 it is.
    EXPECT_EQ(DetectEncoding("Москва с"), TextEncoding::Utf8);
}
