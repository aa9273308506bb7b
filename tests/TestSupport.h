// Helpers shared by the tests: scratch directories and whole-file reads and writes.
#pragma once

#include "UTrKonfAf.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vorida::test {

class TempDir
{
public:
    TempDir()
    {
        std::string pattern
            = (std::filesystem::temp_directory_path() / "vorida-test-XXXXXX").string();
        char* made = ::mkdtemp(pattern.data());
        if (made == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = made;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline TPkt Point(std::string name, Extended lx, Extended ly, Extended nx, Extended ny)
{
    return TPkt { std::move(name), lx, ly, nx, ny };
}

} // namespace vorida::test
