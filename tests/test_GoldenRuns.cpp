// Whole runs on the sample area, compared byte for byte with the files in tests/golden/.
//
// The sample's adjustment points do not fit the cubic exactly (centimetre residuals), so
// Hausbrandt's correction is never zero; with 18 decimals the files show every bit of the
// extended results, so a change in the order of the operations of the fit or of the correction
// changes them. 0, 2 and 4 decimals pin the rounding of ordinary runs.
//
// After an intended change of the output, VORIDA_UPDATE_GOLDEN=1 writes the files instead of
// comparing them; review the difference before committing it.
#include "Cp1250.h"
#include "Platform.h"
#include "RunTestSupport.h"
#include "TranspktText.h"
#include "UTransPkt.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <utility>

using namespace vorida;
using namespace vorida::test;

namespace {

const std::string kExamples = VORIDA_EXAMPLES_DIR;
const std::string kGolden = VORIDA_GOLDEN_DIR;

bool Updating()
{
    const char* v = std::getenv("VORIDA_UPDATE_GOLDEN");
    return v != nullptr && std::string(v) == "1";
}

// Compares bytes the run wrote with their golden copy, or writes the golden copy.
void ExpectGolden(const std::string& written, const std::string& goldenName)
{
    const std::string golden = kGolden + "/" + goldenName;
    if (Updating()) {
        WriteFile(golden, written);
        return;
    }
    ASSERT_TRUE(std::filesystem::is_regular_file(golden)) << golden;
    EXPECT_TRUE(written == ReadFile(golden))
        << goldenName << " differs (VORIDA_UPDATE_GOLDEN=1 rewrites the golden files)";
}

const std::string kMark = "\xEF\xBB\xBF";

// The result file and the report of a run over input, with workers threads (blocks of a few
// lines beyond one); the report's date line is the recording platform's, the same in every run.
std::pair<std::string, std::string> RunOn(const std::string& input, bool toNational,
    unsigned workers, std::int32_t digits = 2, DefectListener defects = {})
{
    TempDir dir;
    WriteTranspktFile(
        dir / std::string(kDataFileName), ParseTranspktText(ReadFile(kExamples + "/TRANSPKT.txt")));
    RunArea area;
    EXPECT_TRUE(LoadRunArea(dir / std::string(kDataFileName), area));
    RecordingPlatform platform;
    RunSettings settings = WorkerSettings(workers);
    settings.Direction = toNational ? Direction::LocalToNational : Direction::NationalToLocal;
    settings.Digits = digits;
    settings.Messages = &platform;
    settings.Defects = std::move(defects);
    WriteFile(dir / (toNational ? "xy_LOK" : NationalInputName(area.SystemCode)), input);
    EXPECT_TRUE(RunInFolder(area, dir.Path(), settings).Complete);
    EXPECT_EQ(platform.Messages().size(), 1u);
    return { ReadFile(dir / (toNational ? NationalResultName(area.SystemCode) : "xy_LOK.1")),
        ReadFile(dir / std::string(kReportName)) };
}

struct GoldenRun
{
    bool LocalToNational;
    std::int32_t Digits;
};

class SampleAreaRun : public ::testing::TestWithParam<GoldenRun>
{
};

std::string RunName(const ::testing::TestParamInfo<GoldenRun>& run)
{
    return std::string(run.param.LocalToNational ? "ToNational" : "ToLocal")
        + std::to_string(run.param.Digits);
}

// With one worker and with several on blocks of a few lines: the same bytes.
TEST_P(SampleAreaRun, WritesTheGoldenFiles)
{
    const auto [toNational, digits] = GetParam();
    const std::string input = ReadFile(kExamples + (toNational ? "/xy_LOK" : "/xy2000"));
    const std::string stem
        = std::string(toNational ? "to-national" : "to-local") + "-" + std::to_string(digits);
    for (unsigned workers : kWorkerCounts) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const auto [result, report] = RunOn(input, toNational, workers, digits);
        ExpectGolden(result,
            stem + "." + (toNational ? std::string("xy2000.1") : std::string(kLocalResultName)));
        ExpectGolden(report, stem + ".Raport.txt");
        if (Updating())
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, SampleAreaRun,
    ::testing::Values(GoldenRun { true, 0 }, GoldenRun { true, 2 }, GoldenRun { true, 4 },
        GoldenRun { true, 18 }, GoldenRun { false, 0 }, GoldenRun { false, 2 },
        GoldenRun { false, 4 }, GoldenRun { false, 18 }),
    RunName);

// Two runs in one process on different areas, directions, decimals and workers, the second
// started from the first's progress while the first has blocks in flight: each writes the bytes
// and shows the message it writes and shows alone.
TEST(ReentrantRun, InterleavedRunsWriteWhatEachWritesAlone)
{
    TempDir dir;
    WriteTranspktFile(
        dir / std::string(kDataFileName), ParseTranspktText(ReadFile(kExamples + "/TRANSPKT.txt")));
    RunArea first;
    ASSERT_TRUE(LoadRunArea(dir / std::string(kDataFileName), first));
    RunArea second = first;
    second.Name = "Obszar drugi";
    second.Points.erase(second.Points.begin());
    second.Extents = ComputeAreaExtents(second.Points);
    RunSettings toNational = WorkerSettings(2, 2, 64);
    toNational.Digits = 18;
    RunSettings toLocal = WorkerSettings(1);
    toLocal.Direction = Direction::NationalToLocal;
    toLocal.Digits = 4;
    struct Written
    {
        std::vector<std::string> Messages;
        std::string Result, Report;
        bool operator==(const Written&) const = default;
    };
    // Runs in a folder of its own; during is called from its progress once blocks are written.
    auto run = [&](const RunArea& area, RunSettings s, const std::string& folder,
                   std::function<void()> during) {
        const std::string in = dir / folder;
        std::filesystem::create_directory(in);
        WriteFile(PathIn(in, FromNational(s.Direction) ? "xy2000" : "xy_LOK"),
            ReadFile(kExamples + (FromNational(s.Direction) ? "/xy2000" : "/xy_LOK")));
        RecordingPlatform platform;
        s.Messages = &platform;
        s.Progress = [&](const RunProgress& p) {
            if (p.Now == RunProgress::Stage::Working && during)
                std::exchange(during, nullptr)();
        };
        EXPECT_TRUE(RunInFolder(area, in, s).Complete);
        return Written { platform.Messages(),
            ReadFile(PathIn(in, FromNational(s.Direction) ? "xy_LOK.1" : "xy2000.1")),
            ReadFile(PathIn(in, kReportName)) };
    };
    const Written firstAlone = run(first, toNational, "a", nullptr);
    const Written secondAlone = run(second, toLocal, "b", nullptr);
    Written secondDuring;
    const Written firstAround
        = run(first, toNational, "c", [&] { secondDuring = run(second, toLocal, "d", nullptr); });
    EXPECT_TRUE(firstAround == firstAlone);
    EXPECT_TRUE(secondDuring == secondAlone);
    EXPECT_FALSE(secondAlone.Report == firstAlone.Report);
}

// A UTF-8 byte-order mark at the start of the input belongs to the file: the result file starts
// with it too, and the first point's name, result line and report row are those without it.
// The same holds for a run on files of other names.
TEST(ByteOrderMark, StaysOutOfTheFirstName)
{
    const std::string mark = "\xEF\xBB\xBF";
    TempDir dir;
    WriteTranspktFile(
        dir / std::string(kDataFileName), ParseTranspktText(ReadFile(kExamples + "/TRANSPKT.txt")));
    WriteFile(dir / "xy_LOK", mark + ReadFile(kExamples + "/xy_LOK"));
    RecordingPlatform platform;
    ScopedPlatform scope(platform);
    LoadPointFile(dir / std::string(kDataFileName));
    ComputeAreaExtents();
    RoundingDigits = 2;
    const std::string golden = ReadFile(kGolden + "/to-national-2.xy2000.1");

    ASSERT_TRUE(TransPkt.TransformFile(true, dir.Path()));
    EXPECT_TRUE(ReadFile(dir / "xy2000.1") == mark + golden);
    EXPECT_TRUE(ReadFile(dir / std::string(kReportName))
        == ReadFile(kGolden + "/to-national-2.Raport.txt"));

    ASSERT_TRUE(
        TransPkt.Transform(Direction::LocalToNational, { dir / "xy_LOK", dir / "wynik.txt", "" }));
    EXPECT_TRUE(ReadFile(dir / "wynik.txt") == mark + golden);
}

// ---- UTF-8 point files ----
// An input the editor opens as UTF-8 (Notepad's default) is read as UTF-8 text: its result file
// is the UTF-8 form of the result of the same points in Windows-1250, names as they were and
// padded by characters (the byte-order mark kept where the input has one), and its report is the
// report of the Windows-1250 input, names converted.

class Utf8SampleRun : public ::testing::TestWithParam<std::pair<bool, bool>>
{
};

TEST_P(Utf8SampleRun, IsTheWindows1250RunInUtf8)
{
    const auto [toNational, marked] = GetParam();
    const std::string stem = toNational ? "to-national-2" : "to-local-2";
    const std::string input = (marked ? kMark : "")
        + Cp1250ToUtf8(ReadFile(kExamples + (toNational ? "/xy_LOK" : "/xy2000")));
    const std::string result = (marked ? kMark : "")
        + Cp1250ToUtf8(ReadFile(kGolden + "/" + stem + (toNational ? ".xy2000.1" : ".xy_LOK.1")));
    const std::string report = ReadFile(kGolden + "/" + stem + ".Raport.txt");
    for (unsigned workers : kWorkerCounts) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const auto [written, reported] = RunOn(input, toNational, workers);
        EXPECT_TRUE(written == result);
        EXPECT_TRUE(reported == report);
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, Utf8SampleRun,
    ::testing::Values(std::pair { true, false }, std::pair { true, true },
        std::pair { false, false }, std::pair { false, true }),
    [](const auto& run) {
        return std::string(run.param.first ? "ToNational" : "ToLocal")
            + (run.param.second ? "WithMark" : "WithoutMark");
    });

// Names that Windows-1250 lacks a character of ("?" in the report), a name wider than its
// field, a name of only Polish letters, and every kind of line, checked in as golden files.
TEST(Utf8Names, WritesTheGoldenFiles)
{
    const std::string input = ReadFile(kGolden + "/utf8-names.xy_LOK");
    for (unsigned workers : kWorkerCounts) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const auto [result, report] = RunOn(input, true, workers);
        ExpectGolden(result, "utf8-names.xy2000.1");
        ExpectGolden(report, "utf8-names.Raport.txt");
        if (Updating())
            break;
    }
}

// Lines of ASCII alone read alike in both encodings, so a long file decides at its first line
// beyond ASCII: UTF-8 names after more than the window of ASCII lines are still read as UTF-8,
// and Windows-1250 ones stay bytes; on one thread or several, whatever the blocks.
TEST(Utf8Names, FoundAfterALongStartOfAscii)
{
    std::string start;
    while (start.size() <= kEncodingWindow + 1000)
        start += "  2001 33712.12 18737.72 opis\r\n";
    const std::string tail = Cp1250ToUtf8(ReadFile(kExamples + "/xy_LOK"));
    const auto [cp1250Result, cp1250Report] = RunOn(start + Utf8ToCp1250(tail), true, 1);
    const std::string utf8Result = Cp1250ToUtf8(cp1250Result);
    ASSERT_TRUE(utf8Result != cp1250Result); // the tail's names are beyond ASCII
    for (unsigned workers : kWorkerCounts) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const auto [result, report] = RunOn(start + tail, true, workers);
        EXPECT_TRUE(result == utf8Result);
        EXPECT_TRUE(report == cp1250Report);
        EXPECT_TRUE(RunOn(start + Utf8ToCp1250(tail), true, workers).first == cp1250Result);
    }
}

// Notepad files put together (cat *.txt): each file's byte-order mark marks the file, in the
// result as in the input, and is no part of a name; a Windows-1250 line after the part the
// encoding was found from is read as Windows-1250 (its result line as in a Windows-1250 run)
// and named in a warning.
TEST(Utf8Names, FilesPutTogetherAndALateWindows1250Line)
{
    const std::string tail = Cp1250ToUtf8(ReadFile(kExamples + "/xy_LOK"));
    // The second file begins with a blank line, which its mark leaves blank.
    const auto [cp1250Result, cp1250Report] = RunOn(Utf8ToCp1250(tail + "\r\n" + tail), true, 1);
    const std::string utf8Result = Cp1250ToUtf8(cp1250Result);
    std::string start;
    while (start.size() <= kEncodingWindow + kEncodingWindow / 8)
        start += "  2001 33712.12 18737.72 opis\r\n";
    const std::string late = Utf8ToCp1250("ŁÓDŹ 33712.12 18737.72 słup\r\n");
    const std::int64_t lateLine = std::count(start.begin(), start.end(), '\n') + 2;
    const auto [plainResult, plainReport] = RunOn(start + late, true, 1);
    for (unsigned workers : kWorkerCounts) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        const auto [result, report] = RunOn(kMark + tail + kMark + "\r\n" + tail, true, workers);
        const size_t half = (utf8Result.size() - 2) / 2;
        EXPECT_TRUE(result == kMark + utf8Result.substr(0, half) + kMark + utf8Result.substr(half));
        EXPECT_TRUE(report == cp1250Report);
        std::vector<std::pair<std::int64_t, DefectKind>> warned;
        const auto [lateResult, lateReport] = RunOn(
            "Ł 1 2\r\n" + start + late, true, workers, 2, [&](std::int64_t line, DefectKind kind) {
                if (kind == DefectKind::NotUtf8)
                    warned.emplace_back(line, kind);
            });
        // The last result line: as in the Windows-1250 run, padded by bytes.
        auto last = [](const std::string& text) {
            return text.substr(text.rfind('\n', text.size() - 2) + 1);
        };
        EXPECT_EQ(last(lateResult), last(plainResult));
        ASSERT_EQ(warned.size(), 1u);
        EXPECT_EQ(warned[0].first, lateLine);
    }
}

} // namespace
