// The lines of a run in blocks: a block of input lines and what their conversion made of them,
// the converter that turns them into result lines and report rows (the area test, the
// transformation and both layouts), and the finder of the input's encoding. The pipeline that
// reads, converts and writes the blocks is RunBlocks.
#pragma once

#include "RunBlocks.h"

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorida {

class LineReader;

// A blank line: every byte a blank or a control character.
bool IsBlankLine(std::string_view line);
// True when text holds a byte beyond ASCII.
bool BeyondAscii(std::string_view text);

// A block of consecutive input lines and what their conversion made of them. The reader fills
// the first part, a converter the second; the writer appends the second to the files. Each
// block on cache lines of its own: a worker writes the counters at the end of one block while
// another reads the start of the next.
struct alignas(64) Block
{
    std::int64_t FirstLine = 0; // input lines before the block
    std::int64_t FirstPoint = 0; // point lines before the block
    std::string Text; // the lines one after the other, without their line ends
    std::vector<size_t> LineEnds; // where each line ends in Text
    std::uint64_t InputPosition = 0; // bytes of the input read by the end of the block
    bool ReadFailed = false; // the input could not be read after these lines
    std::string ReadFailure; // then the reader's words: the file and the system's reason
    bool Utf8 = false; // the lines are UTF-8 text (else Windows-1250 bytes)

    std::string Result, Report; // result lines and report rows, CR LF included
    std::vector<size_t> ResultEnds, ReportEnds; // per line converted; a blank line has no row
    size_t LinesDone = 0; // lines converted: all of them unless one failed
    bool Failed = false; // the line after those done raised a fault
    std::exception_ptr Fault; // that fault, rethrown as it was (no memory stays no memory)
    std::int64_t Points = 0, Transformed = 0, Defects = 0;
    std::vector<std::pair<std::int64_t, DefectKind>> DefectLines; // numbers from 1

    size_t Lines() const { return LineEnds.size(); }
    std::string_view Line(size_t i) const
    {
        const size_t begin = i == 0 ? 0 : LineEnds[i - 1];
        return std::string_view(Text).substr(begin, LineEnds[i] - begin);
    }
};

// The point lines of a block.
std::int64_t PointLines(const Block& b);

// Turns the lines of a block into their result lines and report rows: the area test, the
// transformation and both layouts. One per thread: TransformPoint leaves each point's
// correction in the fit, so every converter has a fit of its own. Converters (and their fits)
// are on cache lines of their own, as they are written on every line.
class alignas(64) LineConverter
{
public:
    LineConverter(TTrKonfAf& fit, const ExtentBox& box, int decimals, std::int64_t faultLine)
        : fit_(fit), box_(box), decimals_(decimals), faultLine_(faultLine)
    {
    }

    // Never throws: a line that fails (a floating-point fault, no memory) ends the block there.
    void Convert(Block& b);

private:
    // One input line (lineNumber counts from 1 over the whole input).
    void Line(std::string_view line, std::int64_t lineNumber, Block& b);
    void ReportRow(std::int64_t lp, std::string_view name, std::string_view inX,
        std::string_view inY, std::string_view outX, std::string_view outY, Extended dl,
        std::string& out);

    TTrKonfAf& fit_;
    ExtentBox box_;
    int decimals_;
    std::int64_t faultLine_; // a fault is raised on this line (tests); 0: none
    std::string inX_, inY_, outX_, outY_, dl_; // the number fields of the current point
    std::string name_; // the report's form of a UTF-8 name
};

// Lines read ahead of the blocks to find the encoding; the blocks take them before reading on.
struct LookAhead
{
    std::string Text;
    std::vector<size_t> Ends; // where each line ends in Text
    size_t Taken = 0; // lines given to blocks
    bool Ended = false, ReadFailed = false; // how the input went on after the lines
    std::string ReadFailure; // the reader's words when it failed

    bool Empty() const { return Taken == Ends.size(); }
    std::string_view Line(size_t i) const
    {
        const size_t begin = i == 0 ? 0 : Ends[i - 1];
        return std::string_view(Text).substr(begin, Ends[i] - begin);
    }
    // Reads one more line; false at the end of the input or when it could not be read.
    // Reads one more line; false at the end of the input or when it could not be read.
    bool ReadLine(LineReader& input);
};

// Finds whether the lines of an input are UTF-8, block by block as they are read (see
// kEncodingWindow). The answer depends on the lines alone, never on where the blocks end.
class EncodingFinder
{
public:
    explicit EncodingFinder(bool byteOrderMark) : state_(byteOrderMark ? State::Utf8 : State::Ascii)
    {
    }

    // Whether the lines of b, the next block of the input, are UTF-8 text.
    bool Take(const Block& b, LineReader& input, LookAhead& ahead);

private:
    // ASCII lines from the start of the input, while they are within the window.
    void keepStart(std::string_view line);

    // Ascii: no line beyond ASCII yet, which both encodings read alike.
    enum class State { Ascii, Cp1250, Utf8 } state_;
    std::string start_; // the lines from the start, each with LF
    bool startDropped_ = false; // they went beyond the window
};

} // namespace vorida
