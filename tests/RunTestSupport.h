// Helpers of the run's tests: a full disk and runs on several worker threads.
#pragma once

#include "LineIO.h"
#include "Run.h"
#include "TestSupport.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace vorida::test {

// A full disk under the file at path until the end of the scope: on Linux a link to /dev/full
// (the system's own failure), elsewhere the write fault that Fault gives the run's settings.
class FullDisk
{
public:
    explicit FullDisk(const std::string& path) : path_(path)
    {
#ifdef __linux__
        std::filesystem::create_symlink("/dev/full", path);
#endif
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // For RunSettings::DiskFault: empty on Linux, where the link fails the writes.
    WriteFault Fault() const
    {
#ifdef __linux__
        return {};
#else
        return [path = path_](const std::string& written) { return written == path; };
#endif
    }

private:
    std::string path_;
};

// The settings of a run on workers threads: beyond one, blocks of a few lines, so that even
// small files span several. One worker keeps the default blocks: the run of one thread as it is
// used.
inline RunSettings WorkerSettings(unsigned workers, size_t blockLines = 3, size_t blockBytes = 64)
{
    RunSettings s;
    s.Workers = workers;
    if (workers > 1) {
        s.BlockLines = blockLines;
        s.BlockBytes = blockBytes;
    }
    return s;
}

// The run of the window's button over area: the fixed files of the direction in directory.
inline RunOutcome RunInFolder(
    const RunArea& area, const std::string& directory, const RunSettings& settings)
{
    return RunConversion(
        area, FixedRunFiles(settings.Direction, directory, area.SystemCode), settings);
}

// The worker counts the whole-run tests are repeated with.
inline constexpr unsigned kWorkerCounts[] = { 1, 2, 4 };

} // namespace vorida::test
