// Helpers shared by the fuzz targets: a scratch directory, whole-file reads and writes, and a
// check that stops the fuzzer with a message (libFuzzer then saves the input as a crash).
#pragma once

#include "TempDir.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace vorida::fuzz {

inline void Check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "vorida fuzz check failed: %s\n", what);
        std::abort();
    }
}

// A directory of its own for the life of the process, in memory when /dev/shm exists.
class ScratchDir : public test::TempDir
{
public:
    ScratchDir()
        : TempDir(std::filesystem::is_directory("/dev/shm")
                ? std::filesystem::path("/dev/shm")
                : std::filesystem::temp_directory_path())
    {
    }
};

inline void WriteBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    Check(static_cast<bool>(out), "writing a scratch file");
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline std::string_view AsText(const std::uint8_t* data, size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

} // namespace vorida::fuzz
