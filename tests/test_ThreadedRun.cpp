// The run on worker threads: whatever the number of workers and the size of the blocks, the
// same files, the same message and, on a failure, the same line; small files take no thread.
#include "Platform.h"
#include "RunTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace vorida;
using namespace vorida::test;

namespace {

const std::string kCrLf = "\r\n";

// The threads of this process, where the system lists them (Linux); 0 elsewhere, and the
// counts are then not checked.
size_t threadsOfProcess()
{
    size_t n = 0;
#ifdef __linux__
    for ([[maybe_unused]] const auto& entry :
        std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
#endif
    return n;
}

class ThreadedRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        area.Points = TranslatedSquare();
        area.Name = "Test";
        area.SystemCode = 7;
        area.Extents = ComputeAreaExtents(area.Points);
    }

    struct Outcome
    {
        std::vector<std::string> Messages;
        std::string Result, Report;
    };

    // A run of settings (with 3 decimals) over input.
    Outcome Run(const std::string& input, RunSettings settings)
    {
        WriteFile(dir / "xy_LOK", input);
        RecordingPlatform platform;
        settings.Digits = 3;
        settings.Messages = &platform;
        RunInFolder(area, dir.Path(), settings);
        const bool linked = std::filesystem::is_symlink(dir / "xy2000.1"); // to /dev/full
        return { platform.Messages(), linked ? std::string() : ReadFile(dir / "xy2000.1"),
            ReadFile(dir / "Raport.txt") };
    }

    TempDir dir;
    RunArea area;
};

// Points, defects, blank lines and descriptions mixed, lines lines long.
std::string mixedInput(int lines)
{
    std::string input;
    for (int i = 1; i <= lines; ++i) {
        switch (i % 6) {
        case 0:
            input += kCrLf;
            break;
        case 1:
            input += "far" + std::to_string(i) + " 9000 9000" + kCrLf;
            break;
        case 2:
            input += "bad" + std::to_string(i) + " 1,5 2" + kCrLf;
            break;
        default:
            input += std::to_string(i) + " " + std::to_string(1000 + i * 7) + ".25 "
                + std::to_string(5000 - i * 3) + ".5 opis " + std::to_string(i) + kCrLf;
        }
    }
    return input;
}

// A floating-point fault on a point in block k of 5 (blocks of 7 lines): the same message,
// result file and report as the run of one worker, whose result holds the lines before the
// faulty one.
TEST_F(ThreadedRun, AFaultInAnyBlockStopsAtTheSameLine)
{
    const std::string input = mixedInput(35);
    for (int block = 1; block <= 5; ++block) {
        int faultLine = (block - 1) * 7 + 4;
        while (faultLine % 6 < 3) // not a point that is converted
            ++faultLine;
        SCOPED_TRACE("fault on line " + std::to_string(faultLine));
        RunSettings settings = WorkerSettings(1);
        settings.FaultLine = faultLine;
        const Outcome one = Run(input, settings);
        EXPECT_EQ(
            one.Messages, std::vector<std::string> { "Błąd. Linia " + std::to_string(faultLine) });
        size_t resultLines = 0;
        for (size_t p = one.Result.find(kCrLf); p != std::string::npos;
             p = one.Result.find(kCrLf, p + 2))
            ++resultLines;
        EXPECT_EQ(resultLines, static_cast<size_t>(faultLine - 1));
        for (unsigned n : { 2u, 4u }) {
            settings = WorkerSettings(n, 7, 1 << 20);
            settings.FaultLine = faultLine;
            const Outcome many = Run(input, settings);
            EXPECT_EQ(many.Messages, one.Messages) << n << " workers";
            EXPECT_TRUE(many.Result == one.Result) << n << " workers";
            EXPECT_TRUE(many.Report == one.Report) << n << " workers";
        }
    }
}

// A full disk under the result file: the run fails where the buffered result file is handed to
// the system, and that does not depend on the blocks: the same line, the same report.
TEST_F(ThreadedRun, AFullDiskFailsAtTheSameLine)
{
    const std::string input = mixedInput(50000);
    FullDisk full(dir / "xy2000.1");
    auto onFullDisk = [&](RunSettings settings) {
        settings.DiskFault = full.Fault();
        return settings;
    };
    const Outcome one = Run(input, onFullDisk(WorkerSettings(1)));
    ASSERT_EQ(one.Messages.size(), 1u);
    EXPECT_EQ(one.Messages[0].rfind("Błąd. Linia ", 0), 0u);
    for (unsigned n : { 2u, 4u }) {
        const Outcome many = Run(input, onFullDisk(WorkerSettings(n, 1000, 1 << 20)));
        EXPECT_EQ(many.Messages, one.Messages) << n << " workers";
        EXPECT_TRUE(many.Report == one.Report) << n << " workers";
    }
}

// A file under one block takes no thread; a longer one takes the workers asked for while it
// runs, and none after. Progress comes on the calling thread: started, each block, finished.
TEST_F(ThreadedRun, ThreadsOnlyForMoreThanOneBlock)
{
    std::vector<RunProgress> seen;
    std::vector<size_t> threads;
    auto watched = [&](RunSettings s) {
        s.Progress = [&](const RunProgress& p) {
            seen.push_back(p);
            threads.push_back(threadsOfProcess());
        };
        return s;
    };
    const size_t before = threadsOfProcess();
    const std::string input = mixedInput(100);
    EXPECT_EQ(Run(input, watched(WorkerSettings(3, 200, 1 << 20))).Messages.size(), 1u);
    ASSERT_EQ(seen.size(), 3u); // started, one block, finished
    EXPECT_EQ(threads[1], before);

    seen.clear();
    threads.clear();
    EXPECT_EQ(Run(input, watched(WorkerSettings(3, 10, 1 << 20))).Messages.size(), 1u);
    ASSERT_EQ(seen.size(), 12u);
    EXPECT_EQ(seen.front().Now, RunProgress::Stage::Started);
    EXPECT_EQ(seen.back().Now, RunProgress::Stage::Finished);
    for (size_t i = 1; i <= 10; ++i) {
        EXPECT_EQ(seen[i].Now, RunProgress::Stage::Working);
        EXPECT_EQ(seen[i].Lines, static_cast<std::int64_t>(10 * i));
        if (before != 0) {
            EXPECT_EQ(threads[i], before + 3);
        }
    }
    EXPECT_EQ(seen[10].Bytes, input.size());
    EXPECT_EQ(seen[10].TotalBytes, input.size());
    EXPECT_EQ(threadsOfProcess(), before);
}

} // namespace
