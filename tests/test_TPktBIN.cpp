#include "Platform.h"
#include "TestSupport.h"
#include "UPKTBIN.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

using namespace vorida;
using namespace vorida::test;

namespace {

void putInt(std::string& s, std::int32_t v)
{
    char b[4];
    std::memcpy(b, &v, 4);
    s.append(b, 4);
}

void putReal(std::string& s, Extended v)
{
    ExtendedBytes b = EncodeExtended(v);
    s.append(reinterpret_cast<const char*>(b.data()), 10);
}

void putRecord(std::string& s, std::int32_t nameLength, const std::string& name, Extended lx,
    Extended ly, Extended nx, Extended ny)
{
    putInt(s, nameLength);
    s += name;
    for (Extended v : { lx, ly, nx, ny })
        putReal(s, v);
}

// A file built byte by byte: area "  Obszar\x01 ", code 7, two points.
std::string sampleFile()
{
    std::string s;
    putInt(s, 10);
    s += "  Obszar\x01 ";
    putInt(s, -123456); // skipped
    putInt(s, 7);
    putInt(s, 2);
    putRecord(s, 3, "\xB3\x61\x20", 1.5L, 2.5L, 5800000.25L, 6500000.125L);
    putRecord(s, 0, "", -1.0L, -2.0L, -3.0L, -4.0L);
    return s;
}

struct Loaded
{
    std::string AreaName = "old";
    std::int32_t SystemCode = 99;
    TPktDostosowania Points { TPkt {} };
    bool Loaded = false;
};

Loaded load(const std::string& path)
{
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    Loaded l;
    TPktBIN loader;
    l.Loaded = loader.LoadPointFile(path, l.AreaName, l.SystemCode, l.Points);
    EXPECT_TRUE(platform.Messages().empty()) << "the loader shows nothing; its caller does";
    return l;
}

} // namespace

TEST(TPktBIN, ReadsTheLayoutByteForByte)
{
    TempDir dir;
    WriteFile(dir / "TRANSPKT.BIN", sampleFile() + "trailing bytes are never read");
    Loaded l = load(dir / "TRANSPKT.BIN");
    EXPECT_TRUE(l.Loaded);
    EXPECT_EQ(l.AreaName, "  Obszar\x01 "); // blanks and control characters kept
    EXPECT_EQ(l.SystemCode, 7);
    ASSERT_EQ(l.Points.size(), 2u);
    EXPECT_EQ(l.Points[0].Name, "\xB3\x61\x20");
    EXPECT_EQ(l.Points[0].LocalX, 1.5L);
    EXPECT_EQ(l.Points[0].LocalY, 2.5L);
    EXPECT_EQ(l.Points[0].NationalX, 5800000.25L);
    EXPECT_EQ(l.Points[0].NationalY, 6500000.125L);
    EXPECT_EQ(l.Points[1].Name, "");
    EXPECT_EQ(l.Points[1].NationalY, -4.0L);
}

TEST(TPktBIN, NegativeNameLengthReadsNoBytes)
{
    std::string s;
    putInt(s, -5); // area name: none
    putInt(s, 0);
    putInt(s, 2);
    putInt(s, 1);
    putRecord(s, -1, "", 10.0L, 20.0L, 30.0L, 40.0L);
    TempDir dir;
    WriteFile(dir / "T", s);
    Loaded l = load(dir / "T");
    EXPECT_TRUE(l.Loaded);
    EXPECT_EQ(l.AreaName, "");
    EXPECT_EQ(l.SystemCode, 2);
    ASSERT_EQ(l.Points.size(), 1u);
    EXPECT_EQ(l.Points[0].LocalX, 10.0L);
    EXPECT_EQ(l.Points[0].NationalY, 40.0L);
}

TEST(TPktBIN, ZeroPointsLoadWithoutAMessage)
{
    std::string s;
    putInt(s, 1);
    s += "A";
    putInt(s, 0);
    putInt(s, 7);
    putInt(s, 0);
    TempDir dir;
    WriteFile(dir / "T", s);
    Loaded l = load(dir / "T");
    EXPECT_TRUE(l.Loaded);
    EXPECT_TRUE(l.Points.empty());
    EXPECT_EQ(l.AreaName, "A");
}

TEST(TPktBIN, EveryTruncationFailsWithNoPoints)
{
    const std::string full = sampleFile();
    TempDir dir;
    for (size_t length = 0; length < full.size(); ++length) {
        SCOPED_TRACE(length);
        WriteFile(dir / "T", full.substr(0, length));
        Loaded l = load(dir / "T");
        ASSERT_FALSE(l.Loaded);
        EXPECT_TRUE(l.Points.empty());
        // What was read completely stays; a name cut short leaves the name empty.
        EXPECT_EQ(l.AreaName, length >= 14 ? "  Obszar\x01 " : "");
        EXPECT_EQ(l.SystemCode, length >= 22 ? 7 : 99);
    }
}

TEST(TPktBIN, AbsurdCountsAndLengthsFailBeforeAllocating)
{
    TempDir dir;
    for (std::int32_t count : { -1, std::numeric_limits<std::int32_t>::min(), 2000000000,
             std::numeric_limits<std::int32_t>::max() }) {
        std::string s;
        putInt(s, 0);
        putInt(s, 0);
        putInt(s, 7);
        putInt(s, count);
        putRecord(s, 1, "a", 1.0L, 2.0L, 3.0L, 4.0L);
        WriteFile(dir / "T", s);
        Loaded l = load(dir / "T");
        EXPECT_FALSE(l.Loaded) << count;
        EXPECT_TRUE(l.Points.empty());
        EXPECT_EQ(l.SystemCode, 7);
    }
    std::string s;
    putInt(s, std::numeric_limits<std::int32_t>::max()); // area name longer than the file
    WriteFile(dir / "T", s);
    EXPECT_FALSE(load(dir / "T").Loaded);
}

TEST(TPktBIN, MissingFileOrDirectoryFails)
{
    TempDir dir;
    Loaded missing = load(dir / "none");
    EXPECT_FALSE(missing.Loaded);
    EXPECT_EQ(missing.AreaName, "old"); // nothing read, nothing changed
    EXPECT_TRUE(missing.Points.empty());
    EXPECT_FALSE(load(dir.Path()).Loaded);
}

TEST(TPktBIN, WriterAndReaderAgree)
{
    TranspktFile f;
    f.AreaName = "Gmina \xA3\xB9ka";
    f.Skipped = 42;
    f.SystemCode = 8;
    f.Points = { Point("1", 1.0L, 2.0L, 3.0L, 4.0L), Point("", 0.1L, -0.2L, 1e300L, -1e-300L) };
    TempDir dir;
    WriteTranspktFile(dir / "T", f);
    TranspktFile back;
    TPktBIN().ReadFile(dir / "T", back);
    EXPECT_EQ(back.AreaName, f.AreaName);
    EXPECT_EQ(back.Skipped, 42);
    EXPECT_EQ(back.SystemCode, 8);
    ASSERT_EQ(back.Points.size(), 2u);
    EXPECT_EQ(back.Points[1].NationalY, -1e-300L);
}

TEST(TPktBIN, AFailedWriteKeepsTheFileThatWasThere)
{
    TranspktFile f;
    f.SystemCode = 7;
    f.Points = { Point("1", 1.0L, 2.0L, 3.0L, 4.0L) };
    TempDir dir;
    WriteTranspktFile(dir / "T", f);
    const std::string before = ReadFile(dir / "T");
    f.SystemCode = 8;
    std::filesystem::create_directories(dir / "T.tmp/taken"); // no temporary file can be made
    EXPECT_THROW(WriteTranspktFile(dir / "T", f), TranspktWriteError);
    EXPECT_EQ(ReadFile(dir / "T"), before);
    std::filesystem::remove_all(dir / "T.tmp");
    EXPECT_THROW(WriteTranspktFile(dir.Path(), f), TranspktWriteError); // a directory in the way
    EXPECT_FALSE(std::filesystem::exists(dir.Path() + ".tmp"));
    WriteTranspktFile(dir / "T", f);
    EXPECT_NE(ReadFile(dir / "T"), before);
    EXPECT_FALSE(std::filesystem::exists(dir / "T.tmp"));
}

TEST(TPktBIN, AFifoIsRefusedWithoutWaitingForAWriter)
{
    TempDir dir;
    if (std::system(("mkfifo '" + (dir / "TRANSPKT.BIN") + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no FIFO can be made on this system";
    EXPECT_FALSE(load(dir / "TRANSPKT.BIN").Loaded);
}

TEST(AreaExtents, SinglePointGivesA6000MetreSquare)
{
    TAreaExtents e = ComputeAreaExtents({ Point("a", 100.0L, 200.0L, 5800000.0L, 6500000.0L) });
    EXPECT_EQ(e.Local.MinX, -2900.0L);
    EXPECT_EQ(e.Local.MaxX, 3100.0L);
    EXPECT_EQ(e.Local.MinY, -2800.0L);
    EXPECT_EQ(e.Local.MaxY, 3200.0L);
    EXPECT_EQ(e.National.MinX, 5797000.0L);
    EXPECT_EQ(e.National.MaxY, 6503000.0L);
}

TEST(AreaExtents, OrderOfPointsAndRepeatedExtremesChangeNothing)
{
    TPktDostosowania points
        = { Point("a", 5.0L, -1.0L, 10.0L, 7.0L), Point("b", -3.0L, 4.0L, 12.0L, 7.0L),
              Point("c", 5.0L, 2.0L, 9.0L, -8.0L), Point("d", 0.0L, 4.0L, 12.0L, 1.0L) };
    TAreaExtents first = ComputeAreaExtents(points);
    std::reverse(points.begin(), points.end());
    TAreaExtents second = ComputeAreaExtents(points);
    for (const TAreaExtents* e : { &first, &second }) {
        EXPECT_EQ(e->Local.MinX, -3003.0L);
        EXPECT_EQ(e->Local.MaxX, 3005.0L);
        EXPECT_EQ(e->Local.MinY, -3001.0L);
        EXPECT_EQ(e->Local.MaxY, 3004.0L);
        EXPECT_EQ(e->National.MinX, -2991.0L);
        EXPECT_EQ(e->National.MaxX, 3012.0L);
        EXPECT_EQ(e->National.MinY, -3008.0L);
        EXPECT_EQ(e->National.MaxY, 3007.0L);
    }
}
