#include "TestSupport.h"
#include "TranspktText.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vorida;
using namespace vorida::test;

namespace {
std::string fileBytes(const TranspktFile& f)
{
    TempDir dir;
    WriteTranspktFile(dir / "T", f);
    return ReadFile(dir / "T");
}

TranspktFile readBack(const std::string& bytes)
{
    TempDir dir;
    WriteFile(dir / "T", bytes);
    TranspktFile f;
    TPktBIN().ReadFile(dir / "T", f);
    return f;
}
} // namespace

TEST(TranspktText, PackDumpPackIsByteIdentical)
{
    TranspktFile f;
    f.AreaName = "  Gmina \xA3\xF3"
                 "d\x9F \x81\x83\x88\x90\x98 #@ ";
    f.Skipped = -2147483647 - 1;
    f.SystemCode = 201;
    const Extended values[] = { 0.1L, -0.0L, 5852483.7312L, 1e-4940L, 1.18e4932L, 3.0L };
    for (const char* name : { "", " lead", "trail ", "in ner", "#hash", "@at", "\xB3\xB9\xBF" })
        f.Points.push_back(Point(name, values[0], values[1], values[2], values[3]));
    f.Points.push_back(Point("x", values[4], values[5], 1.0L / 3.0L, -2.0L / 3.0L));
    const std::string original = fileBytes(f);

    // A NaN with a payload and an unnormal have no value of their own: they survive as bytes.
    std::string odd = original;
    const unsigned char nan[10] = { 0x34, 0x12, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F };
    const unsigned char unnormal[10] = { 0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F };
    std::memcpy(odd.data() + odd.size() - 40, nan, 10);
    std::memcpy(odd.data() + odd.size() - 30, unnormal, 10);

    for (const std::string& bytes : { original, odd }) {
        const std::string text = DumpTranspktText(readBack(bytes));
        EXPECT_EQ(fileBytes(ParseTranspktText(text)), bytes) << text;
    }
}

TEST(TranspktText, ReadsHandWrittenText)
{
    TranspktFile f = ParseTranspktText("\xEF\xBB\xBF# przykład\r\n"
                                       "@area\tObręb Łąki\r\n"
                                       "@system 7\n"
                                       "\n"
                                       "1001 26869.22 20710.91 5852483.73 6483727.08\n"
                                       "punkt z odstępem\t1\t2\t3\t4\n"
                                       "#5\t1\t2\t3\t4\n");
    EXPECT_EQ(f.AreaName,
        "Obr\xEA"
        "b \xA3\xB9ki");
    EXPECT_EQ(f.SystemCode, 7);
    ASSERT_EQ(f.Points.size(), 3u);
    EXPECT_EQ(f.Points[0].NationalY, 6483727.08L);
    EXPECT_EQ(f.Points[1].Name, "punkt z odst\xEApem");
    EXPECT_EQ(f.Points[2].Name, "#5");
}

TEST(TranspktText, BadLinesNameTheirNumber)
{
    struct Case
    {
        const char* text;
        long line;
    };
    for (const Case& c : { Case { "1 2 3 4 5\n1 2 3 4\n", 2 }, Case { "\n\na 1,5 2 3 4\n", 3 },
             Case { "@system siedem\n", 1 }, Case { "@colour\tred\n", 1 },
             Case { "p\t1\t2\t3\traw:12\n", 1 }, Case { "Ω 1 2 3 4\n", 1 },
             Case { "a\t1\t2\t3\n", 1 } }) {
        try {
            ParseTranspktText(c.text);
            ADD_FAILURE() << c.text;
        } catch (const PackError& e) {
            EXPECT_EQ(e.Line, c.line) << c.text;
        }
    }
}
