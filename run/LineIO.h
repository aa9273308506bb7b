// Reading point files line by line and writing the output files, in large blocks.
#pragma once

#include "Error.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vorida {

class LineFileError : public Error
{
public:
    using Error::Error;
};

// The name that stands for standard input (a file read) or standard output (a file written).
inline constexpr std::string_view kStandardStream = "-";
inline bool IsStandardStream(std::string_view path)
{
    return path == kStandardStream;
}

// True when both paths name one existing file (through links, say): writing one would destroy
// the other.
bool SameExistingFile(const std::string& a, const std::string& b);

// Lines of a text file: a line ends at LF (a CR before it, like any CR, is left out of the
// line); a Ctrl-Z (0x1A) where a line would begin ends the input; a last line without LF
// counts when it has at least one byte. No length limit.
class LineReader
{
public:
    LineReader() = default;
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Throws LineFileError when the file cannot be opened. kStandardStream is standard input.
    void Open(const std::string& path);
    // Reads standard input (in binary mode), which Close leaves open.
    void OpenStandardInput();
    // Before the first line: when the input starts with prefix, takes it away and returns true.
    bool SkipPrefix(std::string_view prefix);
    // The next line into line; false at the end of the input. Throws LineFileError on a read error.
    bool Next(std::string& line);
    // The same, appended to text.
    bool AppendNext(std::string& text);
    void Close();
    // The bytes of the file taken by the lines returned so far (progress displays).
    std::uint64_t Position() const { return filled_ - (end_ - begin_); }

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    bool owned_ = false; // opened here, closed by Close
    std::unique_ptr<char[]> buffer_;
    size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    std::uint64_t filled_ = 0;
};

// For tests: a write fault to simulate (a full disk where the system has no /dev/full). When
// set, every write to a file whose path it returns true for fails as a full disk would fail
// it, with nothing written. Empty: no faults.
using WriteFault = std::function<bool(const std::string& path)>;
void SetWriteFault(WriteFault fault);

// An output file written through a large buffer, in binary mode (line ends are written as
// given). Every failure throws LineFileError.
class OutputFile
{
public:
    OutputFile() = default;
    ~OutputFile(); // writes out what is buffered and closes, ignoring failures
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, or empties an existing one.
    void Create(const std::string& path);
    // Writes to standard output (in binary mode), which Close flushes and leaves open.
    void CreateStandardOutput();
    // Takes every byte and keeps none (an output nobody asked for).
    void CreateDiscarding();
    // Appends bytes to the buffer; when they do not fit in what is left of it, the buffer is
    // handed to the file first. Bytes larger than the whole buffer go out at once.
    void Write(std::string_view bytes);
    // What the buffer takes before a Write hands it to the file: a Write of at most this many
    // bytes only appends to the buffer, and cannot fail.
    size_t Room() const;
    // Hands the buffered bytes to the file.
    void Flush();
    // Flushes and closes; a closed file ignores further Close calls.
    void Close();

private:
    void Prepare(const std::string& path);

    std::FILE* file_ = nullptr;
    bool owned_ = false; // opened here, closed by Close
    bool discarding_ = false;
    std::string path_;
    std::string buffer_;
};

} // namespace vorida
