// A scratch directory of its own for the life of the object, removed with everything in it;
// for the tests and the fuzz targets.
#pragma once

#include "System.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>

namespace vorida::test {

class TempDir
{
public:
    // A new directory under base (the system's temporary folder by default).
    explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path())
    {
        std::random_device seed;
        std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
        for (int attempt = 0; attempt < 100; ++attempt) {
            char name[32];
            std::snprintf(name, sizeof name, "vorida-test-%012llx",
                static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
            std::error_code ec;
            if (std::filesystem::create_directory(base / name, ec)) {
                path_ = PathText(base / name);
                return;
            }
        }
        throw std::runtime_error("no scratch directory");
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(FileSystemPath(path_), ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // A name in the directory, joined by the system's separator (UTF-8 on Windows).
    std::string operator/(const std::string& name) const { return PathIn(path_, name); }

private:
    std::string path_;
};

} // namespace vorida::test
