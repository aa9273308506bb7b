// Helpers shared by the tests: scratch directories, whole-file reads and writes, the
// command-line tool, a full disk and a Polish locale on either system.
#pragma once

#include "LineIO.h"
#include "Platform.h"
#include "UTrKonfAf.h"

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <utility>

namespace vorida::test {

class TempDir
{
public:
    TempDir()
    {
        std::random_device seed;
        std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
        const std::filesystem::path base = std::filesystem::temp_directory_path();
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

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(FileSystemPath(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Runs vorida-cli with arguments (each quoted for the system's shell), its standard output
// and error into outputPath; the command's exit status as the shell reports it (0: success).
// posixPrefix goes before the command in the shell on Linux (a ulimit, say).
inline int RunCli(const std::string& arguments, const std::string& outputPath,
    [[maybe_unused]] const std::string& posixPrefix = {})
{
#ifdef _WIN32
    // The build names the program by its Unix path under wine: the system's full form of it.
    const std::string cli
        = PathText(std::filesystem::absolute(FileSystemPath(VORIDA_CLI)).make_preferred());
    // cmd /c drops the outer pair of quotes: the whole command goes inside one more pair.
    const std::string command
        = "\"\"" + cli + "\" " + arguments + " >\"" + outputPath + "\" 2>&1\"";
#else
    const std::string command = posixPrefix + "exec \"" + VORIDA_CLI + "\" " + arguments + " >\""
        + outputPath + "\" 2>&1";
#endif
    return std::system(command.c_str());
}

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

// Switches the C library to a Polish locale (decimal comma); false when the system has none.
inline bool SetPolishLocale()
{
    for (const char* name : { "pl_PL.UTF-8", "pl_PL.utf8", "Polish_Poland.1250", "pl-PL" })
        if (std::setlocale(LC_ALL, name) != nullptr)
            return true;
    return false;
}

inline TPkt Point(std::string name, Extended lx, Extended ly, Extended nx, Extended ny)
{
    return TPkt { std::move(name), lx, ly, nx, ny };
}

// The local square 1000..5000 m with its centre; the national coordinates are the local ones
// shifted by (5 800 000, 6 500 000): the cubic fits exactly, and every result can be checked by
// hand.
inline TPktDostosowania TranslatedSquare()
{
    TPktDostosowania points;
    for (auto [x, y] : { std::pair { 1000.0L, 1000.0L }, { 5000.0L, 1000.0L }, { 1000.0L, 5000.0L },
             { 5000.0L, 5000.0L }, { 3000.0L, 3000.0L } })
        points.push_back(Point("A", x, y, x + 5800000.0L, y + 6500000.0L));
    return points;
}

// A 10-byte pattern from its 64-bit significand and its sign-and-exponent word.
inline ExtendedBytes Pattern(std::uint64_t significand, unsigned word)
{
    ExtendedBytes b {};
    for (size_t i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(significand >> (8 * i));
    b[8] = static_cast<std::uint8_t>(word);
    b[9] = static_cast<std::uint8_t>(word >> 8);
    return b;
}

} // namespace vorida::test
