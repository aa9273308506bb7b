// Helpers shared by the tests: scratch directories and whole-file reads and writes.
#pragma once

#include "UTrKonfAf.h"
#include "UTransPkt.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

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
