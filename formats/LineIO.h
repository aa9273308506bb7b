// Reading point files line by line, in large blocks (the writer of the output files is
// OutputFile).
#pragma once

#include "FileError.h"
#include "System.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vorida {

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

    // Throws FileError when the file cannot be opened. "-" is standard input; a FIFO is read
    // as a stream.
    void Open(const std::string& path);
    // Reads standard input (in binary mode), which Close leaves open.
    void OpenStandardInput();
    // Before the first line: when the input starts with prefix, takes it away and returns true.
    bool SkipPrefix(std::string_view prefix);
    // The next line into line; false at the end of the input. Throws FileError on a read error.
    bool Next(std::string& line);
    // The same, appended to text.
    bool AppendNext(std::string& text);
    void Close();
    // The identity of the file opened by Open (not of standard input); false when none.
    bool Identity(FileIdentity& identity) const
    {
        return owned_ && IdentityOfOpenFile(file_, identity);
    }
    // The bytes of the file taken by the lines returned so far (progress displays).
    std::uint64_t Position() const { return filled_ - (end_ - begin_); }

private:
    bool Fill();

    std::FILE* file_ = nullptr;
    bool owned_ = false; // opened here, closed by Close
    std::string path_; // for messages
    std::unique_ptr<char[]> buffer_;
    size_t begin_ = 0, end_ = 0;
    bool eof_ = false;
    std::uint64_t filled_ = 0;
};

} // namespace vorida
