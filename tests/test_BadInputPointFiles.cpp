// Hostile point files and output faults: odd bytes, huge lines, huge files, line ends of other
// systems, a full disk. Each case checks the result file, the report or the message, and that
// the input file is never modified and no file is left open; each runs with 1, 2 and 4 workers
// (several on blocks of a few lines).
#include "Cp1250.h"
#include "Platform.h"
#include "RunTestSupport.h"
#include "System.h"
#include "UTransPkt.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

using namespace vorida;
using namespace vorida::test;

namespace {

const std::string kCrLf = "\r\n";

// What the process has open, to see that a run leaves no file open. Linux: the number of its
// descriptors. Windows: the names of the files in a directory that cannot be renamed, as a file
// the C library holds open cannot (it shares no delete access).
#ifdef __linux__
using OpenFiles = size_t;
OpenFiles openFiles(const std::string&)
{
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}
#else
using OpenFiles = std::vector<std::string>;
OpenFiles openFiles(const std::string& directory)
{
    OpenFiles open;
    for (const auto& entry : std::filesystem::directory_iterator(FileSystemPath(directory))) {
        auto moved = entry.path();
        moved += ".moved";
        std::error_code ec;
        std::filesystem::rename(entry.path(), moved, ec);
        if (ec)
            open.push_back(PathText(entry.path().filename()));
        else
            std::filesystem::rename(moved, entry.path());
    }
    return open;
}
#endif

class BadPointFile : public ::testing::TestWithParam<unsigned>
{
protected:
    void SetUp() override
    {
        for (auto [x, y] : { std::pair { 1000.0L, 1000.0L }, { 5000.0L, 1000.0L },
                 { 1000.0L, 5000.0L }, { 5000.0L, 5000.0L }, { 3000.0L, 3000.0L } })
            area.Points.push_back(Point("A", x, y, x + 5800000.0L, y + 6500000.0L));
        area.Name = "Test";
        area.SystemCode = 7;
        area.Extents = ComputeAreaExtents(area.Points);
    }

    // Runs local to national over input; checks that the input is unchanged and every file
    // closed afterwards, with the write fault diskFault. Returns the messages.
    std::vector<std::string> Run(const std::string& input, WriteFault diskFault = {})
    {
        WriteFile(dir / "xy_LOK", input);
        const OpenFiles before = openFiles(dir.Path());
        RecordingPlatform platform;
        RunSettings settings = WorkerSettings(GetParam());
        settings.Messages = &platform;
        settings.DiskFault = std::move(diskFault);
        RunInFolder(area, dir.Path(), settings);
        EXPECT_EQ(openFiles(dir.Path()), before) << "a file was left open";
        EXPECT_TRUE(ReadFile(dir / "xy_LOK") == input) << "the input file changed";
        return platform.Messages();
    }

    std::string Result() { return ReadFile(dir / "xy2000.1"); }

    TempDir dir;
    RunArea area;
};

} // namespace

// The check for open files sees one.
TEST(OpenFiles, SeeAFileLeftOpen)
{
    TempDir dir;
    WriteFile(dir / "a", "a");
    const OpenFiles before = openFiles(dir.Path());
    std::FILE* file = std::fopen((dir / "a").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_NE(openFiles(dir.Path()), before);
    std::fclose(file);
    EXPECT_EQ(openFiles(dir.Path()), before);
}

// Every byte but the line ends, blank and tab in a name; every byte but the line ends in the
// rest, Ctrl-Z and NUL included: all written back unchanged, in the result and the report.
TEST_P(BadPointFile, EveryByteValuePassesThroughNamesAndRest)
{
    std::string name = "P", rest = "R";
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (c != '\n' && c != '\r' && c != ' ' && c != '\t')
            name += c;
        if (c != '\n' && c != '\r')
            rest += c;
    }
    const std::string line = name + " 2000 3000 " + rest;
    EXPECT_EQ(
        Run(line + kCrLf + "\x1A" + kCrLf), std::vector<std::string> { ClosingMessage(1, 1, 0) });
    EXPECT_EQ(Result(), name + "    5802000.00    6503000.00   " + rest + kCrLf);
    const std::string report = ReadFile(dir / "Raport.txt");
    EXPECT_NE(report.find("|   1|" + name + "|         2000|"), std::string::npos);
    EXPECT_EQ(report.find(rest), std::string::npos); // the rest is never shown in the report
}

// NUL bytes: inside a coordinate word they make the point unreadable; a line of NULs is blank
// (every code up to 32 counts as blank) and copied; elsewhere they are data.
TEST_P(BadPointFile, NulBytesAreData)
{
    const std::string input = std::string("a\0 2000 3000\r\n", 14)
        + std::string("b 20\0"
                      "00 3000\r\n",
            14)
        + std::string("\0\0\r\n", 4) + std::string("c 2000 3000 \0\n", 14);
    EXPECT_EQ(Run(input), std::vector<std::string> { ClosingMessage(3, 2, 1) });
    EXPECT_EQ(Result(),
        std::string(16, ' ') + std::string("a\0", 2) + "    5802000.00    6503000.00   " + kCrLf
            + std::string(17, ' ') + "b" + std::string(12, ' ') + "---" + std::string(12, ' ')
            + "---   " + kCrLf + std::string("\0\0", 2) + kCrLf + std::string(17, ' ') + "c"
            + "    5802000.00    6503000.00   " + std::string("\0", 1) + kCrLf);
}

// Line ends of other systems: a last line without a line break, CR alone (left out of the
// line: old Mac files become one line), Ctrl-Z mid-line kept as data.
TEST_P(BadPointFile, LineEndsOfOtherSystems)
{
    EXPECT_EQ(Run("1 2000 3000"), std::vector<std::string> { ClosingMessage(1, 1, 0) });
    EXPECT_EQ(Result(), "                 1    5802000.00    6503000.00   \r\n");

    EXPECT_EQ(Run("\r\r\r"), std::vector<std::string> { ClosingMessage(0, 0, 0) });
    EXPECT_EQ(Result(), "\r\n");

    // Two points with CR line ends read as one line: 1, 2000, 30002 and the rest "2100 3100".
    EXPECT_EQ(
        Run("1 2000 3000\r2 2100 3100\r"), std::vector<std::string> { ClosingMessage(1, 0, 1) });
    EXPECT_EQ(Result(), "                 1           ---           ---   2100 3100\r\n");

    EXPECT_EQ(Run("1 2000 3000 a\x1A\x62\r\n2 2000\x1A 3000\r\n\x1A\r\n3 2000 3000\r\n"),
        std::vector<std::string> { ClosingMessage(2, 1, 1) });
    EXPECT_EQ(Result(),
        "                 1    5802000.00    6503000.00   a\x1A\x62\r\n"
        "                 2            ---            ---   \r\n");
}

// Line ends and Ctrl-Z that fall on the 1 MiB boundary of the reader's blocks.
TEST_P(BadPointFile, LineEndsOnBlockBoundaries)
{
    const size_t block = size_t { 1 } << 20;
    for (size_t shift : { 0u, 1u, 2u }) {
        // Line 1 is a point whose rest fills the file up to block - shift; then CR LF.
        std::string input = "1 2000 3000 ";
        input += std::string(block - shift - input.size(), 'x');
        const std::string rest = input.substr(12);
        input += "\r\n\x1A"
                 "2 2000 3000\r\n";
        SCOPED_TRACE(shift);
        EXPECT_EQ(Run(input), std::vector<std::string> { ClosingMessage(1, 1, 0) });
        EXPECT_TRUE(Result() == "                 1    5802000.00    6503000.00   " + rest + kCrLf);
    }
}

// A 10 MB line: the rest of a point and a name of that size are written whole.
TEST_P(BadPointFile, TenMegabyteLines)
{
    const std::string big(10 * 1000 * 1000, 'z');
    EXPECT_EQ(Run("1 2000 3000 " + big + "\n" + big + " 2100 3100\n2 2000 3000"),
        std::vector<std::string> { ClosingMessage(3, 3, 0) });
    const std::string result = Result();
    EXPECT_TRUE(result
        == "                 1    5802000.00    6503000.00   " + big + kCrLf + big
            + "    5802100.00    6503100.00   " + kCrLf
            + "                 2    5802000.00    6503000.00   " + kCrLf);
    EXPECT_NE(
        ReadFile(dir / "Raport.txt").find("|   2|" + big + "|         2100|"), std::string::npos);
}

// A million lines stream through: the counts are right and memory does not grow with the file.
// The run goes through vorida-cli, so that its memory can be limited on its own.
TEST_P(BadPointFile, MillionLinesStream)
{
    std::string input;
    input.reserve(30 * 1000000);
    for (int i = 0; i < 1000000; ++i) {
        if (i % 4 != 3) {
            input += 'P';
            input += std::to_string(i);
            input += i % 4 == 0 ? " 2000.5 3000.25" : " 9000 9000 d";
        }
        input += kCrLf;
    }
    WriteFile(dir / "xy_LOK", input);
    input = std::string();
    TranspktFile file;
    file.AreaName = area.Name;
    file.SystemCode = area.SystemCode;
    file.Points = area.Points;
    WriteTranspktFile(dir / "TRANSPKT.BIN", file);
    // The input is 16 MB, the result file and the report together over 100 MB: a run that held
    // any of them in memory would not fit into 64 MB of address space. (AddressSanitizer and
    // ThreadSanitizer reserve terabytes of address space for themselves; there the run goes
    // without the limit.)
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const std::string limit;
#else
    const std::string limit = "ulimit -v 65536 && ";
#endif
    ASSERT_EQ(
        RunCli("convert --threads " + std::to_string(GetParam()) + " --dir \"" + dir.Path() + "\"",
            dir / "out", limit),
        0)
        << ReadFile(dir / "out");
    std::string out = ReadFile(dir / "out");
    out.erase(std::remove(out.begin(), out.end(), '\r'), out.end()); // a Windows console's CR LF
    EXPECT_EQ(out, ClosingMessage(750000, 250000, 500000, "\n") + "\n");
    EXPECT_EQ(
        std::filesystem::file_size(dir / "xy2000.1"), 250000u * 51 + 500000u * 52 + 250000u * 2);
    EXPECT_NE(ReadFile(dir / "Raport.txt").find("|750000|"), std::string::npos);
#ifndef __linux__
    GTEST_SKIP() << "the run is checked, but not its memory: this system has no ulimit -v";
#endif
}

// A disk that fills in the middle of a long run, under both files: the message names the first
// line whose result line or report row the files lack; both hold every line before it; nothing
// is closed twice or left open.
TEST_P(BadPointFile, FullDiskMidRunNamesTheLine)
{
    std::string input;
    for (int i = 1; i <= 40000; ++i)
        input += std::to_string(i) + " 2000.5 3000.25" + kCrLf;
    int writes = 0;
    const auto messages = Run(input, [&](const std::string&) { return ++writes > 3; });
    ASSERT_EQ(messages.size(), 1u);
    ASSERT_EQ(messages[0].rfind("Błąd. Linia ", 0), 0u);
    const long line = std::stol(messages[0].substr(std::string("Błąd. Linia ").size()));
    EXPECT_GT(line, 1);
    EXPECT_LE(line, 40000);
    EXPECT_NE(messages[0].find(": brak miejsca na dysku"), std::string::npos);
    // The report has the header and the rows of lines 1 .. line - 1, and no closing lines; the
    // result at least the lines before it; one of them lacks the line.
    const std::string report = ReadFile(dir / "Raport.txt");
    EXPECT_EQ(report.find("OBLICZY"), std::string::npos);
    auto row = [](long lp) {
        std::string text = "|" + std::to_string(lp) + "|";
        text.insert(1, text.size() < 6 ? 6 - text.size() : 0, ' ');
        return text;
    };
    EXPECT_NE(report.find(row(line - 1)), std::string::npos) << row(line - 1);
    const std::string result = ReadFile(dir / "xy2000.1");
    const long resultLines = static_cast<long>(std::count(result.begin(), result.end(), '\n'));
    EXPECT_GE(resultLines, line - 1);
    EXPECT_TRUE(resultLines < line || report.find(row(line)) == std::string::npos) << line;
}

// A full disk under the report alone: the result is complete, the message names the first line
// whose report row is missing, and no closing message is shown.
TEST_P(BadPointFile, FullDiskUnderTheReport)
{
    FullDisk full(dir / "Raport.txt");
    EXPECT_EQ(Run("1 2000 3000\r\n\r\n2 2100 3100\r\n", full.Fault()),
        std::vector<std::string> {
            FailureMessage(1, WriteFailureText(dir / "Raport.txt", ENOSPC)) });
    const std::string result = ReadFile(dir / "xy2000.1");
    EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 3);
}

// The directory's name reaches the missing-input message as the system spells it: UTF-8 as it
// is (not read again as Windows-1250), other bytes as Windows-1250 (only where a name can
// hold them: Windows names are Unicode).
TEST_P(BadPointFile, MissingInputNamesTheDirectoryReadably)
{
    std::vector<std::pair<std::string, std::string>> cases
        = { { "\xC5\x81\xC3\xB3\x64\xC5\xBA", "Łódź" } };
#ifndef _WIN32
    cases.emplace_back("\xA3\xF3\x64\x9F", "Łódź");
#endif
    for (const auto& [folder, shown] : cases) {
        const std::string sub = dir / folder;
        std::filesystem::create_directory(FileSystemPath(sub));
        RecordingPlatform platform;
        ScopedPlatform scope(platform);
        EXPECT_FALSE(TransPkt.TransformFile(true, sub));
        EXPECT_EQ(platform.Messages(),
            std::vector<std::string> { "Brak pliku wejściowego " + PathIn(dir / shown, "xy_LOK") });
    }
}

// Failures that stop a run at a line, with what the outcome says of them: a fault of the program
// (here a defect listener that throws) is an internal error that says so, another of the
// program's errors says what failed (only a floating-point error is the point's, which the line
// alone names), a read failure names the input and the system's reason; the message is the
// line's either way.
TEST_P(BadPointFile, AFailureStopsTheRunAndSaysWhatFailed)
{
    WriteFile(dir / "xy_LOK", "1 2000 3000\r\nbad x y\r\n2 2100 3100\r\n");
    RecordingPlatform platform;
    RunSettings settings = WorkerSettings(GetParam());
    settings.Messages = &platform;
    const struct
    {
        std::function<void()> Throw;
        std::string Failure;
    } listeners[] = {
        { [] { throw std::logic_error("listener"); }, std::string(kInternalError) + "listener" },
        { [] { throw EncodingError("Znak spoza strony kodowej"); }, "Znak spoza strony kodowej" },
        { [] { throw FloatingPointError("Nadmiar"); }, "" },
    };
    RunOutcome outcome;
    for (const auto& listener : listeners) {
        RecordingPlatform shown;
        settings.Messages = &shown;
        settings.Defects = [&](std::int64_t, DefectKind) { listener.Throw(); };
        outcome = RunInFolder(area, dir.Path(), settings);
        EXPECT_FALSE(outcome.Complete);
        EXPECT_EQ(outcome.Failure, listener.Failure);
        EXPECT_EQ(shown.Messages(),
            std::vector<std::string> {
                FailureMessage(outcome.Counts.LinesRead, listener.Failure) });
    }
    settings.Messages = &platform;
#ifdef __linux__
    // Standard input that is a folder: every read fails (EISDIR).
    const int folder = open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(folder, 0);
    const int savedInput = dup(0);
    dup2(folder, 0);
    close(folder);
    settings.Defects = {};
    outcome = RunConversion(area, { "-", dir / "out.txt", "" }, settings);
    dup2(savedInput, 0);
    close(savedInput);
    std::clearerr(stdin);
    EXPECT_FALSE(outcome.Complete);
    EXPECT_EQ(outcome.Failure, ReadFailureText("-", EISDIR));
    EXPECT_EQ(platform.Messages().back(), FailureMessage(0, ReadFailureText("-", EISDIR)));
#endif
}

// The run's reports of what went wrong come as errors (the critical icon); only the closing
// message of a complete run is a plain message.
TEST_P(BadPointFile, FailuresAreReportedAsErrors)
{
    struct ErrorsApart : RecordingPlatform
    {
        std::vector<std::string> Errors;
        void ShowError(std::string_view text) override { Errors.emplace_back(text); }
    };
    const RunArea empty;
    struct Case
    {
        const char* What;
        const RunArea& Area;
        std::string Input;
        std::int64_t FaultLine;
        bool Error;
    };
    for (const Case& c : { Case { "missing input", area, "", 0, true },
             Case { "refused fit", empty, "1 2000 3000\r\n", 0, true },
             Case { "failed line", area, "1 2000 3000\r\n", 1, true },
             Case { "complete", area, "1 2000 3000\r\n", 0, false } }) {
        std::filesystem::remove(dir / "xy_LOK");
        if (!c.Input.empty())
            WriteFile(dir / "xy_LOK", c.Input);
        ErrorsApart platform;
        RunSettings settings = WorkerSettings(GetParam());
        settings.Messages = &platform;
        settings.FaultLine = c.FaultLine;
        RunInFolder(c.Area, dir.Path(), settings);
        EXPECT_EQ(platform.Errors.size(), c.Error ? 1u : 0u) << c.What;
        EXPECT_EQ(platform.Messages().size(), c.Error ? 0u : 1u) << c.What;
    }
}

INSTANTIATE_TEST_SUITE_P(Workers, BadPointFile, ::testing::ValuesIn(kWorkerCounts),
    [](const ::testing::TestParamInfo<unsigned>& param) {
        return "Workers" + std::to_string(param.param);
    });
