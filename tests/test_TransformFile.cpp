#include "Platform.h"
#include "RunTestSupport.h"
#include "System.h"
#include "UTransPkt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <filesystem>

using namespace vorida;
using namespace vorida::test;

namespace {

const std::string kCrLf = "\r\n";
const std::string kHyphens(88, '-');

std::string lines(std::initializer_list<std::string> list)
{
    std::string s;
    for (const auto& l : list)
        s += l + kCrLf;
    return s;
}

class TransformFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AdjustmentPoints = TranslatedSquare();
        AreaName = "  Obszar \xA3\xF3"
                   "d\x9F \x01";
        SystemCode = 7;
        ComputeAreaExtents();
        RoundingDigits = 2;
    }

    bool Run(bool localToNational)
    {
        ScopedPlatform scope(platform);
        return TransPkt.TransformFile(localToNational, dir.Path());
    }

    std::string Header(const std::string& inTag, const std::string& outTag,
        const std::string& inName, const std::string& outName,
        const std::string& when = "2024-03-05 14:07:09")
    {
        return lines({ kHyphens, "",
            "                              TRANSFORMACJA WSP\xD3\xA3RZ\xCA"
            "DNYCH PUNKT\xD3W",
            "", "Raport z programu Vorida.exe ver 1.05 ",
            "OBSZAR: Obszar \xA3\xF3"
            "d\x9F",
            "",
            "UK\xA3"
            "AD WEJ\x8C"
            "CIOWY : "
                + inName,
            "UK\xA3"
            "AD WYNIKOWY  : "
                + outName,
            "", "Data oblicze\xF1  : " + when, kHyphens,
            "| Lp |    NR_PUNKTU   |   x_" + inTag + "    |   y_" + inTag + "    |   x_" + outTag
                + "    |   y_" + outTag + "    |   dl   |",
            "|    |                |             |             |             |             |  [m]  "
            " |",
            kHyphens });
    }

    static std::string Closing(int inFile, int converted, int defects)
    {
        return lines(
            { kHyphens, " Ilo\x9C\xE6 punkt\xF3w w pliku          : " + std::to_string(inFile),
                " Ilo\x9C\xE6 punkt\xF3w transformowanych : " + std::to_string(converted),
                " Ilo\x9C\xE6 punkt\xF3w z defektem       : " + std::to_string(defects), "",
                "OBJA\x8CNIENIA:", "dl    - wypadkowa korekta Hausbrandta w [m]", "", "", "",
                "OBLICZY\xA3 ......................" });
    }

    TempDir dir;
    RecordingPlatform platform;
    const std::string local = "Uk\xB3"
                              "ad lokalny";
    const std::string national = "2000 po\xB3. osiowy 18 stopni";
};

// Blank lines, a point on the widened bound, one 1 mm beyond it, unreadable points, a trailing
// description with inner blanks and tabs, a Ctrl-Z ending the input.
const std::string kLocalInput = "1 2000.12 3000.3456\r\n"
                                "\r\n"
                                "  \t \r\n"
                                "  P\xB3\t8000 -2000 101.5  opis \xB3\t x\n"
                                "far 8000.001 100\r\n"
                                "12\r\n"
                                "bad 1,5 2\r\n"
                                "\x1Anever read 1 2\r\n";

} // namespace

TEST_F(TransformFileTest, LocalToNationalWritesTheResultAndTheReport)
{
    WriteFile(dir / "xy_LOK", kLocalInput);
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(platform.Messages(), std::vector<std::string> { ClosingMessage(5, 2, 3) });
    EXPECT_EQ(ReadFile(dir / "xy2000.1"),
        lines({ "                 1    5802000.12    6503000.35   ", "", "  \t ",
            "                P\xB3    5808000.00    6498000.00   101.5  opis \xB3\t x",
            "               far           ---           ---   ",
            "                12            ---            ---   ",
            "               bad            ---            ---   " }));
    EXPECT_EQ(ReadFile(dir / "Raport.txt"),
        Header("LOK.", "2000", local, national)
            + lines({ "|   1|               1|      2000.12|    3000.3456|   5802000.12|   "
                      "6503000.35|    0.00|",
                "|   2|              P\xB3|         8000|        -2000|   5808000.00|   "
                "6498000.00|    0.00|",
                "|   3|             far|     8000.001|          100|          ---|          ---|   "
                " 0.00|",
                "|   4|              12|          ---|          ---|          ---|          ---|   "
                " 0.00|",
                "|   5|             bad|          ---|          ---|          ---|          ---|   "
                " 0.00|" })
            + Closing(5, 2, 3));
    EXPECT_FALSE(std::filesystem::exists(dir / "xy_LOK.1"));
}

TEST_F(TransformFileTest, NationalToLocalUsesTheNationalBoxAndFiles)
{
    WriteFile(dir / "xy2000",
        "N1 5802000.12 6503000.3456 h\r\n"
        "L 2000 3000\r\n" // local coordinates: outside the national box
        "edge 5797999.999 6503000\r\n");
    RoundingDigits = 3;
    ASSERT_TRUE(Run(false));
    EXPECT_EQ(ReadFile(dir / "xy_LOK.1"),
        lines({ "                N1      2000.120      3000.346   h",
            "                 L           ---           ---   ",
            "              edge           ---           ---   " }));
    EXPECT_EQ(ReadFile(dir / "Raport.txt"),
        Header("2000", "LOK.", national, local)
            + lines({ "|   1|              N1|   5802000.12| 6503000.3456|     2000.120|     "
                      "3000.346|   0.000|",
                "|   2|               L|         2000|         3000|          ---|          ---|   "
                "0.000|",
                "|   3|            edge|  5797999.999|      6503000|          ---|          ---|   "
                "0.000|" })
            + Closing(3, 1, 2));
}

TEST_F(TransformFileTest, EmptyAndBlankInputsGiveZeroCounts)
{
    WriteFile(dir / "xy_LOK", "");
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(ReadFile(dir / "xy2000.1"), "");
    EXPECT_EQ(
        ReadFile(dir / "Raport.txt"), Header("LOK.", "2000", local, national) + Closing(0, 0, 0));

    WriteFile(dir / "xy_LOK", "\n \t\n\r\n\r");
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(ReadFile(dir / "xy2000.1"), "\r\n \t\r\n\r\n\r\n");
    EXPECT_EQ(platform.Messages().back(), ClosingMessage(0, 0, 0));
}

TEST_F(TransformFileTest, MidnightShowsTheDateAlone)
{
    platform.Clock = { 2025, 12, 31, 0, 0, 0 };
    WriteFile(dir / "xy_LOK", "");
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(ReadFile(dir / "Raport.txt"),
        Header("LOK.", "2000", local, national, "2025-12-31") + Closing(0, 0, 0));
}

TEST_F(TransformFileTest, DecimalsWidenFieldsAndNegativeCountsUseExponents)
{
    WriteFile(dir / "xy_LOK", "a-very-long-point-name-20 2000 3000\r\n");
    RoundingDigits = 5;
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(ReadFile(dir / "xy2000.1"),
        lines({ "a-very-long-point-name-20 5802000.00000 6503000.00000   " }));
    RoundingDigits = -2;
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(ReadFile(dir / "xy2000.1"),
        lines({ "a-very-long-point-name-20      5.80E+06      6.50E+06   " }));
    RoundingDigits = 0;
    ASSERT_TRUE(Run(true));
    EXPECT_EQ(ReadFile(dir / "xy2000.1"),
        lines({ "a-very-long-point-name-20       5802000       6503000   " }));
}

TEST_F(TransformFileTest, MissingInputTouchesNothing)
{
    WriteFile(dir / "Raport.txt", "old report");
    WriteFile(dir / "xy_LOK", "1 2000 3000\r\n");
    EXPECT_FALSE(Run(false));
    EXPECT_EQ(platform.Messages(),
        std::vector<std::string> { "Brak pliku wejściowego " + dir / "xy2000" });
    EXPECT_EQ(ReadFile(dir / "Raport.txt"), "old report");
    EXPECT_FALSE(std::filesystem::exists(dir / "xy_LOK.1"));

    std::filesystem::create_directory(dir / "xy2000"); // a directory is no input file
    EXPECT_FALSE(Run(false));
    EXPECT_EQ(platform.Messages().size(), 2u);

    // The message shows the system's separators, whichever the directory came with.
    std::string slashed = dir.Path();
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    ScopedPlatform scope(platform);
    EXPECT_FALSE(TransPkt.TransformFile(true, slashed + "/none"));
    EXPECT_EQ(
        platform.Messages().back(), "Brak pliku wejściowego " + PathIn(dir / "none", "xy_LOK"));
}

TEST_F(TransformFileTest, RefusesAFitThatIsNoSolution)
{
    WriteFile(dir / "xy_LOK", "1 2000 3000\r\n");
    WriteFile(dir / "Raport.txt", "old report");
    const TPktDostosowania square = TranslatedSquare();
    const TPktDostosowania sets[] = {
        {}, { square[0], square[1], square[2] },
        { square[0], square[1], square[2], square[2], square[2] }, // three positions
    };
    for (const TPktDostosowania& set : sets) {
        AdjustmentPoints = set;
        EXPECT_FALSE(Run(true));
    }
    const auto messages = platform.Messages();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], TTransPkt::kNoAdjustmentPoints);
    EXPECT_EQ(messages[1], TTransPkt::kTooFewAdjustmentPoints);
    EXPECT_EQ(messages[2], TTransPkt::kTooFewAdjustmentPoints);
    EXPECT_EQ(ReadFile(dir / "Raport.txt"), "old report");
    EXPECT_FALSE(std::filesystem::exists(dir / "xy2000.1"));

    AdjustmentPoints = square;
    AdjustmentPoints[1].LocalY = std::numeric_limits<Extended>::infinity();
    EXPECT_THROW(Run(true), FloatingPointError);
    EXPECT_EQ(ReadFile(dir / "Raport.txt"), "old report");
}

TEST_F(TransformFileTest, OutputFaultsStopTheRunWithTheLineNumber)
{
    WriteFile(dir / "xy_LOK", "1 2000 3000\r\n\r\n2 2100 3100\r\n");
    std::filesystem::create_directory(dir / "Raport.txt");
    EXPECT_FALSE(Run(true));
    EXPECT_EQ(platform.Messages().back(),
        FailureMessage(0, WriteFailureText(dir / "Raport.txt", DirectoryError())));
    EXPECT_FALSE(std::filesystem::exists(dir / "xy2000.1"));
    std::filesystem::remove(dir / "Raport.txt");

    std::filesystem::create_directory(dir / "xy2000.1");
    EXPECT_FALSE(Run(true));
    EXPECT_EQ(platform.Messages().back(),
        FailureMessage(0, WriteFailureText(dir / "xy2000.1", DirectoryError())));
    EXPECT_EQ(ReadFile(dir / "Raport.txt"), Header("LOK.", "2000", local, national));
    std::filesystem::remove(dir / "xy2000.1");

    // A full disk under the result file: no closing lines, no closing message; the line named
    // is the first whose result line is missing.
    {
        FullDisk full(dir / "xy2000.1");
        TransPkt.SetDiskFault(full.Fault());
        EXPECT_FALSE(Run(true));
        TransPkt.SetDiskFault({});
    }
    EXPECT_EQ(
        platform.Messages().back(), FailureMessage(1, WriteFailureText(dir / "xy2000.1", ENOSPC)));
    std::string report = ReadFile(dir / "Raport.txt");
    EXPECT_EQ(report.find("OBLICZY"), std::string::npos);
    EXPECT_NE(report.find("|   2|               2|"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "xy_LOK"), "1 2000 3000\r\n\r\n2 2100 3100\r\n");
}

TEST_F(TransformFileTest, AnOutputLinkedToTheInputDestroysNothing)
{
    const std::string input = "1 2000 3000\r\n";
    for (const bool hard : { true, false }) {
        for (const char* output : { "Raport.txt", "xy2000.1" }) {
            WriteFile(dir / "xy_LOK", input);
            std::filesystem::remove(dir / "Raport.txt");
            std::filesystem::remove(dir / "xy2000.1");
            std::error_code ec;
            if (hard)
                std::filesystem::create_hard_link(dir / "xy_LOK", dir / output, ec);
            else
                std::filesystem::create_symlink(dir / "xy_LOK", dir / output, ec);
            if (ec) {
                EXPECT_FALSE(hard) << ec.message(); // every system here has hard links
                GTEST_SKIP() << "hard links checked; no symbolic links here: " << ec.message();
            }
            EXPECT_FALSE(Run(true));
            EXPECT_EQ(platform.Messages().back().rfind("Błąd. Linia 0\rPlik wynikowy ", 0), 0u);
            EXPECT_EQ(ReadFile(dir / "xy_LOK"), input) << output;
        }
    }
}

// A FIFO in the place of an output would wait for a reader without end: the run refuses it.
TEST_F(TransformFileTest, AFifoInThePlaceOfAnOutputIsRefused)
{
    WriteFile(dir / "xy_LOK", "1 2000 3000\r\n");
    for (const char* output : { "Raport.txt", "xy2000.1" }) {
        std::filesystem::remove(dir / "Raport.txt");
        std::filesystem::remove(dir / "xy2000.1");
        if (std::system(("mkfifo '" + (dir / output) + "' 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "no FIFO can be made on this system";
        EXPECT_FALSE(Run(true));
        EXPECT_EQ(
            platform.Messages().back(), FailureMessage(0, WriteFailureText(dir / output, EACCES)));
    }
}

// A second run in the same folder overwrites what the first wrote (outputs are not mistaken
// for the input), and a folder with Polish letters in its name works like any other.
TEST_F(TransformFileTest, RunsAgainInAFolderNamedInPolish)
{
    const std::string folder = dir / "\xC5\x81\xC3\xB3\x64\xC5\xBA"; // Łódź
    ASSERT_TRUE(std::filesystem::create_directory(FileSystemPath(folder)));
    WriteFile(PathIn(folder, "xy_LOK"), "1 2000 3000\r\n");
    ScopedPlatform scope(platform);
    ASSERT_TRUE(TransPkt.TransformFile(true, folder))
        << ::testing::PrintToString(platform.Messages());
    RoundingDigits = 3;
    ASSERT_TRUE(TransPkt.TransformFile(true, folder))
        << ::testing::PrintToString(platform.Messages());
    EXPECT_EQ(ReadFile(PathIn(folder, "xy2000.1")),
        lines({ "                 1   5802000.000   6503000.000   " }));
}

TEST_F(TransformFileTest, PolishLocaleWritesTheSameBytes)
{
    WriteFile(dir / "xy_LOK", kLocalInput);
    ASSERT_TRUE(Run(true));
    const std::string result = ReadFile(dir / "xy2000.1"), report = ReadFile(dir / "Raport.txt");
    {
        const ScopedPolishLocale polish;
        if (!polish.Made())
            GTEST_SKIP() << "no Polish locale on this system (test.sh makes pl_PL.UTF-8 as root)";
        ASSERT_STREQ(std::localeconv()->decimal_point, ",");
        ASSERT_TRUE(Run(true));
    }
    EXPECT_EQ(ReadFile(dir / "xy2000.1"), result);
    EXPECT_EQ(ReadFile(dir / "Raport.txt"), report);
}
