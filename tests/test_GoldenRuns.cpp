// Whole runs on the sample area, compared byte for byte with the files in tests/golden/.
//
// The sample's adjustment points do not fit the cubic exactly (centimetre residuals), so
// Hausbrandt's correction is never zero; with 18 decimals the files show every bit of the
// extended results, so a change in the order of the operations of the fit or of the correction
// changes them. 0, 2 and 4 decimals pin the rounding of ordinary runs.
//
// After an intended change of the output, VORIDA_UPDATE_GOLDEN=1 writes the files instead of
// comparing them; review the difference before committing it.
#include "Platform.h"
#include "RunTestSupport.h"
#include "TranspktText.h"
#include "UTransPkt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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

// Compares a file the run wrote with its golden copy, or writes the golden copy.
void ExpectGolden(const std::string& written, const std::string& goldenName)
{
    const std::string golden = kGolden + "/" + goldenName;
    if (Updating()) {
        WriteFile(golden, ReadFile(written));
        return;
    }
    ASSERT_TRUE(std::filesystem::is_regular_file(golden)) << golden;
    EXPECT_TRUE(ReadFile(written) == ReadFile(golden))
        << written << " differs from " << golden
        << " (VORIDA_UPDATE_GOLDEN=1 rewrites the golden files)";
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
    TempDir dir;
    WriteTranspktFile(
        dir / std::string(kDataFileName), ParseTranspktText(ReadFile(kExamples + "/TRANSPKT.txt")));
    for (const char* name : { "xy_LOK", "xy2000" })
        WriteFile(dir / name, ReadFile(kExamples + "/" + name));

    for (unsigned workers : kWorkerCounts) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        ScopedWorkers scopedWorkers(workers);
        RecordingPlatform platform;
        ScopedPlatform scope(platform);
        LoadPointFile(dir / std::string(kDataFileName));
        ComputeAreaExtents();
        RoundingDigits = digits;
        ASSERT_TRUE(TransPkt.TransformFile(toNational, dir.Path()));
        ASSERT_EQ(platform.Messages().size(), 1u); // the closing message

        const std::string stem
            = std::string(toNational ? "to-national" : "to-local") + "-" + std::to_string(digits);
        const std::string result
            = toNational ? NationalResultName(SystemCode) : std::string(kLocalResultName);
        ExpectGolden(dir / result, stem + "." + result);
        ExpectGolden(dir / std::string(kReportName), stem + ".Raport.txt");
        if (Updating())
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Golden, SampleAreaRun,
    ::testing::Values(GoldenRun { true, 0 }, GoldenRun { true, 2 }, GoldenRun { true, 4 },
        GoldenRun { true, 18 }, GoldenRun { false, 0 }, GoldenRun { false, 2 },
        GoldenRun { false, 4 }, GoldenRun { false, 18 }),
    RunName);

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

    ASSERT_TRUE(TransPkt.Transform(true, { dir / "xy_LOK", dir / "wynik.txt", "" }));
    EXPECT_TRUE(ReadFile(dir / "wynik.txt") == mark + golden);
}

} // namespace
