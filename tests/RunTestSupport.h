// Helpers of the run's tests: a full disk and runs on several worker threads.
#pragma once

#include "LineIO.h"
#include "TestSupport.h"
#include "UTransPkt.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace vorida::test {

// A full disk under the file at path until the end of the scope: on Linux a link to /dev/full
// (the system's own failure), elsewhere a write fault of the output layer.
class FullDisk
{
public:
    explicit FullDisk(const std::string& path)
    {
#ifdef __linux__
        std::filesystem::create_symlink("/dev/full", path);
#else
        SetWriteFault([path](const std::string& written) { return written == path; });
#endif
    }
    ~FullDisk()
    {
        SetWriteFault(nullptr);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;
};

// Runs of TransPkt with a number of workers and blocks of a few lines, so that even small files
// span several blocks; back to the defaults at the end of the scope. Workers 1 keeps the
// default blocks: the run of one thread as it is used.
class ScopedWorkers
{
public:
    explicit ScopedWorkers(unsigned workers, size_t blockLines = 3, size_t blockBytes = 64)
    {
        TransPkt.SetWorkers(workers);
        if (workers > 1)
            TransPkt.SetBlockLimits(blockLines, blockBytes);
    }
    ~ScopedWorkers()
    {
        TransPkt.SetWorkers(0);
        TransPkt.SetBlockLimits(TTransPkt::kBlockLines, TTransPkt::kBlockBytes);
    }
    ScopedWorkers(const ScopedWorkers&) = delete;
    ScopedWorkers& operator=(const ScopedWorkers&) = delete;
};

// The worker counts the whole-run tests are repeated with.
inline constexpr unsigned kWorkerCounts[] = { 1, 2, 4 };

} // namespace vorida::test
