// Hostile TRANSPKT.BIN files: lengths at the limits of a 32-bit integer, coordinates that are
// no numbers, and a very large set. Each case checks what the user gets and that no file is
// touched that should not be.
#include "Platform.h"
#include "TestSupport.h"
#include "UTransPkt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>

using namespace vorida;
using namespace vorida::test;

namespace {

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

void putInt(std::string& s, std::int32_t v)
{
    char b[4];
    std::memcpy(b, &v, 4);
    s.append(b, 4);
}

void putBytes(std::string& s, const ExtendedBytes& b)
{
    s.append(reinterpret_cast<const char*>(b.data()), b.size());
}

// The square as a file, with the 10-byte pattern of one coordinate replaced.
std::string squareFile(size_t point, size_t coordinate, const ExtendedBytes& replacement)
{
    std::string s;
    putInt(s, 4);
    s += "Test";
    putInt(s, 0);
    putInt(s, 7);
    const TPktDostosowania points = TranslatedSquare();
    putInt(s, static_cast<std::int32_t>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
        const TPkt& p = points[i];
        putInt(s, 1);
        s += p.Name;
        const Extended values[4] = { p.LocalX, p.LocalY, p.NationalX, p.NationalY };
        for (size_t k = 0; k < 4; ++k)
            putBytes(s, i == point && k == coordinate ? replacement : EncodeExtended(values[k]));
    }
    return s;
}

// Loads a file into the program-wide values as the main window does at start-up.
std::vector<std::string> loadArea(const std::string& path)
{
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    AreaName.clear();
    SystemCode = 0;
    AdjustmentPoints.clear();
    LoadPointFile(path);
    ComputeAreaExtents();
    return platform.Messages();
}

} // namespace

TEST(BadTranspkt, LengthsAtTheLimitsOfAnInt32)
{
    TempDir dir;
    // Lengths of INT_MIN read no bytes: the next field follows the length directly.
    std::string s;
    putInt(s, kIntMin);
    putInt(s, kIntMax); // the skipped value: anything
    putInt(s, kIntMin); // any system code is accepted as read
    putInt(s, 1);
    putInt(s, kIntMin);
    for (Extended v : { 1.0L, 2.0L, 3.0L, 4.0L })
        putBytes(s, EncodeExtended(v));
    WriteFile(dir / "T", s);
    EXPECT_TRUE(loadArea(dir / "T").empty());
    EXPECT_EQ(AreaName, "");
    EXPECT_EQ(SystemCode, kIntMin);
    ASSERT_EQ(AdjustmentPoints.size(), 1u);
    EXPECT_EQ(AdjustmentPoints[0].Name, "");
    EXPECT_EQ(AdjustmentPoints[0].NationalY, 4.0L);

    // A point name of INT_MAX bytes in a small file: one message, no points, what was read
    // before stays; nothing is allocated for the name.
    for (std::int32_t length : { kIntMax, kIntMax - 39, 1 << 30 }) {
        std::string t;
        putInt(t, 2);
        t += "Ab";
        putInt(t, 0);
        putInt(t, 8);
        putInt(t, 1);
        putInt(t, length);
        t += std::string(40, '\0');
        WriteFile(dir / "T", t);
        EXPECT_EQ(loadArea(dir / "T"), std::vector<std::string> { kTranspktReadError }) << length;
        EXPECT_EQ(AreaName, "Ab");
        EXPECT_EQ(SystemCode, 8);
        EXPECT_TRUE(AdjustmentPoints.empty());
    }

    // A count just one record larger than the file holds.
    std::string u;
    putInt(u, 0);
    putInt(u, 0);
    putInt(u, 7);
    putInt(u, 2);
    putInt(u, 0);
    u += std::string(40, '\0');
    WriteFile(dir / "T", u);
    EXPECT_EQ(loadArea(dir / "T").size(), 1u);
    EXPECT_TRUE(AdjustmentPoints.empty());
}

class SpecialCoordinates : public ::testing::Test
{
protected:
    void TearDown() override
    {
        AdjustmentPoints.clear();
        AreaExtents = {};
    }

    // Loads the square with one pattern in place and runs local to national over two points.
    // Returns the messages; files stay in dir.
    std::vector<std::string> Run(size_t coordinate, const ExtendedBytes& replacement)
    {
        WriteFile(dir / "TRANSPKT.BIN", squareFile(1, coordinate, replacement));
        EXPECT_TRUE(loadArea(dir / "TRANSPKT.BIN").empty()); // values are not validated
        WriteFile(dir / "xy_LOK", kInput);
        WriteFile(dir / "Raport.txt", "old report");
        std::filesystem::remove(dir / "xy2000.1");
        RecordingPlatform platform;
        ScopedPlatform scope(platform);
        RoundingDigits = 2;
        try {
            TransPkt.TransformFile(true, dir.Path());
        } catch (const FloatingPointError&) {
            thrown = true; // by design: a failing fit reaches the caller
        }
        EXPECT_EQ(ReadFile(dir / "xy_LOK"), kInput);
        return platform.Messages();
    }

    void ExpectRefusedUntouched()
    {
        EXPECT_EQ(ReadFile(dir / "Raport.txt"), "old report");
        EXPECT_FALSE(std::filesystem::exists(dir / "xy2000.1"));
    }

    const std::string kInput = "1 2000 3000\r\n2 4000.5 1500.25\r\n";
    TempDir dir;
    bool thrown = false;
};

// NaN, infinities, unnormals and values whose squares overflow never reach a result file: the
// fit fails (FloatingPointError, which the command-line tool reports) before any file is
// opened, whether the pattern stands in a source or a target coordinate.
TEST_F(SpecialCoordinates, NoNumberStopsTheFitBeforeAnyFile)
{
    const struct
    {
        const char* What;
        ExtendedBytes Bytes;
    } cases[] = {
        { "quiet NaN", Pattern(0xC000000000000000ull, 0x7FFF) },
        { "signalling NaN", Pattern(0x8000000000000001ull, 0x7FFF) },
        { "negative NaN", Pattern(0xC000000000000000ull, 0xFFFF) },
        { "+infinity", Pattern(0x8000000000000000ull, 0x7FFF) },
        { "-infinity", Pattern(0x8000000000000000ull, 0xFFFF) },
        { "pseudo-infinity", Pattern(0, 0x7FFF) },
        { "unnormal", Pattern(0x4000000000000000ull, 0x3FFF) },
        { "largest finite", Pattern(0xFFFFFFFFFFFFFFFFull, 0x7FFE) },
    };
    for (const auto& c : cases) {
        for (size_t coordinate : { 0u, 1u, 2u, 3u }) { // LocalX, LocalY, NationalX, NationalY
            SCOPED_TRACE(std::string(c.What) + " in coordinate " + std::to_string(coordinate));
            thrown = false;
            const auto messages = Run(coordinate, c.Bytes);
            EXPECT_TRUE(thrown);
            EXPECT_TRUE(messages.empty());
            ExpectRefusedUntouched();
        }
    }
}

// Denormals and pseudo-denormals are tiny finite numbers: the square still fits and converts.
TEST_F(SpecialCoordinates, DenormalsAreOrdinaryTinyNumbers)
{
    for (const ExtendedBytes& b : { Pattern(1, 0), Pattern(0x7FFFFFFFFFFFFFFFull, 0x8000),
             Pattern(0x8000000000000000ull, 0) }) {
        for (size_t coordinate : { 0u, 3u }) {
            thrown = false;
            const auto messages = Run(coordinate, b);
            EXPECT_FALSE(thrown);
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].rfind("OBLICZENIA ZAKOŃCZONE", 0), 0u);
            const std::string result = ReadFile(dir / "xy2000.1");
            EXPECT_EQ(result.find("nan"), std::string::npos) << result;
            EXPECT_EQ(result.find("inf"), std::string::npos) << result;
            EXPECT_EQ(result.substr(0, 18), std::string(17, ' ') + "1");
        }
    }
}

// The command-line tool catches what the fit throws: a message, a failure status, no result.
TEST_F(SpecialCoordinates, CommandLineReportsAFailingFit)
{
    WriteFile(dir / "TRANSPKT.BIN", squareFile(1, 2, Pattern(0xC000000000000000ull, 0x7FFF)));
    WriteFile(dir / "xy_LOK", kInput);
    EXPECT_NE(RunCli("convert --dir \"" + dir.Path() + "\"", dir / "out"), 0);
    EXPECT_NE(ReadFile(dir / "out").find("Błąd obliczeń: "), std::string::npos)
        << ReadFile(dir / "out");
    EXPECT_FALSE(std::filesystem::exists(dir / "xy2000.1"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Raport.txt"));
    EXPECT_EQ(ReadFile(dir / "xy_LOK"), kInput);
}

// 100 000 adjustment points: the file loads, the extents cover them, the run fits and converts.
TEST(BadTranspkt, HundredThousandPointsLoadAndConvert)
{
    TranspktFile f;
    f.AreaName = "Du\xBFy obszar";
    f.SystemCode = 7;
    for (int i = 0; i < 100000; ++i) {
        const Extended x = 1000.0L + static_cast<Extended>(i % 400) * 10.0L;
        const Extended y = 1000.0L + static_cast<Extended>(i / 400) * 10.0L;
        f.Points.push_back(Point(std::to_string(i), x, y, x + 5800000.0L, y + 6500000.0L));
    }
    TempDir dir;
    ASSERT_TRUE(WriteTranspktFile(dir / "TRANSPKT.BIN", f));
    EXPECT_TRUE(loadArea(dir / "TRANSPKT.BIN").empty());
    ASSERT_EQ(AdjustmentPoints.size(), 100000u);
    EXPECT_EQ(AdjustmentPoints[99999].Name, "99999");
    EXPECT_EQ(AreaExtents.Local.MaxX, 4990.0L + 3000.0L);
    EXPECT_EQ(AreaExtents.Local.MaxY, 3490.0L + 3000.0L);

    WriteFile(dir / "xy_LOK", "p 2000 3000\r\nq 7990 6490 x\r\nr 7990.01 6490\r\n");
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    RoundingDigits = 2;
    ASSERT_TRUE(TransPkt.TransformFile(true, dir.Path()));
    EXPECT_EQ(ReadFile(dir / "xy2000.1"),
        "                 p    5802000.00    6503000.00   \r\n"
        "                 q    5807990.00    6506490.00   x\r\n"
        "                 r           ---           ---   \r\n");
    AdjustmentPoints.clear();
    AreaExtents = {};
}
