// The lines of a run converted in blocks: read in input order, converted on the calling thread
// or on worker threads, and appended to the result file and the report strictly in input order.
#pragma once

#include "RunLayout.h"
#include "UPKTBIN.h"
#include "UTrKonfAf.h"

#include <cstdint>
#include <deque>
#include <functional>

namespace vorida {

class LineReader;
class OutputFile;

// Where a run stands, for a progress display.
struct RunProgress
{
    // Started before the files are opened; Working after each block of lines has been
    // written; Finished once the lines are done (or have failed), before the closing or the
    // failure message.
    enum class Stage { Started, Working, Finished };
    Stage Now = Stage::Started;
    std::int64_t Lines = 0; // input lines written so far
    std::uint64_t Bytes = 0; // bytes of the input read by the end of them (Working only)
    std::uint64_t TotalBytes = 0; // the size of the input
};

// Why a point line was not converted.
// NotUtf8 is no defect but a warning: a line of a UTF-8 input that is not UTF-8 (Windows-1250
// after the part the encoding was found from), read as Windows-1250.
enum class DefectKind { Unreadable, OutsideArea, NotUtf8 };
// Told of each defective point line (its number from 1, counting blank lines) once the line
// has been written, in input order, on the thread that runs the conversion.
using DefectListener = std::function<void(std::int64_t line, DefectKind kind)>;

// The input lines whose result lines and report rows are not all in the files yet, so that a
// write failure names the first line it left out (the window's run keeps what was written).
class WrittenLines
{
public:
    // line ends at these totals of bytes appended to the result file and the report.
    void Add(std::int64_t line, std::uint64_t resultEnd, std::uint64_t reportEnd)
    {
        entries_.push_back({ line, resultEnd, reportEnd });
    }
    // Forgets the lines both files hold.
    void Trim(const OutputFile& result, const OutputFile& report);
    // The first line whose bytes the files do not hold; otherwise fallback.
    std::int64_t FirstMissing(
        const OutputFile& result, const OutputFile& report, std::int64_t fallback) const;

private:
    struct Entry
    {
        std::int64_t Line;
        std::uint64_t Result, Report;
    };
    std::deque<Entry> entries_;
};

// How the lines of a run are converted.
struct LineConversion
{
    TTrKonfAf* Fit; // fitted for the direction
    ExtentBox Box;
    int Decimals;
    unsigned Workers; // 1: on the calling thread
    size_t BlockLines, BlockBytes;
    std::int64_t FaultLine; // a fault is raised on this line (tests); 0: none
    const std::function<void(const RunProgress&)>* Progress; // may be empty
    const DefectListener* Defects; // may be empty
    // The input began with the UTF-8 byte-order mark (already taken away): it is UTF-8 text.
    bool ByteOrderMark = false;
    // Where the lines written are followed; nullptr: not followed.
    WrittenLines* Written = nullptr;
};

// How far the run looks to find the encoding of an input without a byte-order mark (bytes of
// lines, line ends counted as one). Lines of ASCII alone read alike in both encodings, so the
// question waits for the first line that holds a byte beyond ASCII; it is then answered by
// DetectEncoding, the editor's own rule, on the lines from the start of the input (while they
// are within this many bytes, as they are for every file of up to this size) or else from that
// line on, up to this many bytes ahead of it. An input that fits is read exactly as the
// editor opens it, from a file or a stream alike, and a stream is never held back for more.
inline constexpr size_t kEncodingWindow = size_t { 1 } << 20;

// Reads the input in blocks (Windows-1250, or UTF-8 text as the editor would take it: see
// kEncodingWindow), converts them (on worker threads when there is more than one
// block and more than one worker) and appends them to the files strictly in input order,
// counting into counts. Appends so that the buffered files are handed to the system at the same
// byte offsets as by one write a line, and a write failure names the same line whatever the
// blocks were. Throws FileError (a read or write failure) or FloatingPointError (a point whose
// conversion failed); counts.LinesRead is then the number of the line that failed (0 before
// the first).
void ConvertBlocks(LineReader& input, const LineConversion& s, std::uint64_t inputSize,
    RunCounts& counts, OutputFile& result, OutputFile& report);

} // namespace vorida
