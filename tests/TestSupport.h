// Helpers shared by the tests of every layer from the core up: scratch directories, the
// recording platform, whole-file reads and writes, the command-line tool (in the executables
// that name it, VORIDA_CLI) and a Polish locale on either system. The run's own helpers are in
// RunTestSupport.h.
#pragma once

#include "RecordingPlatform.h"
#include "System.h"
#include "TempDir.h"
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

#ifdef VORIDA_CLI
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
#endif

// Switches the C library to a Polish locale (decimal comma); false when the system has none.
// A Polish C locale (decimal comma) for the life of the object, when the system has one; the
// locale before it comes back at the end.
class ScopedPolishLocale
{
public:
    ScopedPolishLocale()
    {
        const char* current = std::setlocale(LC_ALL, nullptr);
        saved_ = current ? current : "C";
        for (const char* name : { "pl_PL.UTF-8", "pl_PL.utf8", "Polish_Poland.1250", "pl-PL" })
            if (std::setlocale(LC_ALL, name) != nullptr) {
                made_ = true;
                return;
            }
    }
    ~ScopedPolishLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    ScopedPolishLocale(const ScopedPolishLocale&) = delete;
    ScopedPolishLocale& operator=(const ScopedPolishLocale&) = delete;

    bool Made() const { return made_; }

private:
    std::string saved_;
    bool made_ = false;
};

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

// The closing message of a complete run, its lines joined by lineBreak ("\r" in the message
// box, "\n" on the command line's output).
inline std::string ClosingMessage(
    long long inFile, long long converted, long long defects, const std::string& lineBreak = "\r")
{
    return "OBLICZENIA ZAKOŃCZONE" + lineBreak + "Ilość punktów w pliku: " + std::to_string(inFile)
        + lineBreak + "Ilość punktów transformowanych: " + std::to_string(converted) + lineBreak
        + "Ilość punktów z defektem: " + std::to_string(defects);
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
