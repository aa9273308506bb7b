#include "RunBlocks.h"

#include "Cp1250.h"
#include "Extended.h"
#include "LineIO.h"
#include "Numbers.h"
#include "OrderedWorkers.h"
#include "TextEncoding.h"
#include "UNITtrk.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vorida {

namespace {

bool isBlankLine(std::string_view line)
{
    return std::all_of(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

// True when text holds a byte beyond ASCII. One pass without a branch a byte, which the
// compiler vectorises: an input of ASCII alone pays little for being asked.
bool beyondAscii(std::string_view text)
{
    unsigned char any = 0;
    for (char c : text)
        any |= static_cast<unsigned char>(c);
    return (any & 0x80u) != 0;
}

// The Windows-1250 byte of each code point below U+2200, where every character of the code page
// lies; 0 where it has none. Built once: a name's characters are looked up, not searched for.
const std::array<unsigned char, 0x2200>& cp1250Bytes()
{
    static const std::array<unsigned char, 0x2200> bytes = [] {
        std::array<unsigned char, 0x2200> t {};
        for (unsigned b = 1; b < 0x100; ++b)
            t[Cp1250ToUnicode(static_cast<unsigned char>(b))] = static_cast<unsigned char>(b);
        return t;
    }();
    return bytes;
}

// A UTF-8 name as the report shows it, in Windows-1250: each character as its byte, "?" for one
// the code page lacks; a byte outside any well-formed sequence stays itself, as the editor shows
// it (its Windows-1250 character). Returns the name's length in characters, which is also the
// length of what was appended.
size_t appendNameInCp1250(std::string& out, std::string_view utf8)
{
    const std::array<unsigned char, 0x2200>& bytes = cp1250Bytes();
    const size_t start = out.size();
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += utf8[i++];
            continue;
        }
        const long c = DecodeUtf8(utf8, i);
        if (c < 0) {
            out += utf8[i++];
            continue;
        }
        const unsigned char b = c < 0x2200 ? bytes[static_cast<size_t>(c)] : 0;
        out += b == 0 ? '?' : static_cast<char>(b);
    }
    return out.size() - start;
}

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
    void Convert(Block& b)
    {
        b.Result.clear();
        b.Report.clear();
        b.ResultEnds.clear();
        b.ReportEnds.clear();
        b.DefectLines.clear();
        b.LinesDone = 0;
        b.Failed = false;
        b.Fault = nullptr;
        b.Points = b.Transformed = b.Defects = 0;
        try {
            b.ResultEnds.reserve(b.Lines());
            b.ReportEnds.reserve(b.Lines());
            for (size_t i = 0; i < b.Lines(); ++i) {
                Line(b.Line(i), b.FirstLine + static_cast<std::int64_t>(i) + 1, b);
                b.ResultEnds.push_back(b.Result.size());
                b.ReportEnds.push_back(b.Report.size());
                b.LinesDone = i + 1;
            }
        } catch (const std::exception&) {
            b.Failed = true;
            b.Fault = std::current_exception();
        }
    }

private:
    // One input line (lineNumber counts from 1 over the whole input).
    void Line(std::string_view line, std::int64_t lineNumber, Block& b)
    {
        if (isBlankLine(line)) {
            b.Result += line;
            b.Result += kLineEnd;
            return;
        }
        const std::int64_t lp = b.FirstPoint + b.Points + 1;
        // NthWord 1, 2, 3 and RestFromWord 4 with blank and tab, in one pass.
        const PointLineWords words = SplitPointLine(line);
        // A UTF-8 name is padded by its characters in the result line, and the report, which is
        // Windows-1250 throughout, shows it converted.
        std::string_view name = words.Name;
        size_t nameChars = name.size();
        if (b.Utf8 && beyondAscii(name)) {
            name_.clear();
            nameChars = appendNameInCp1250(name_, name);
            name = name_;
        }

        Extended x = 0.0L, y = 0.0L;
        const bool readable = ParseCoordinate(words.X, x) && ParseCoordinate(words.Y, y);
        if (!readable) {
            AppendResultLine(
                b.Result, words.Name, nameChars, "---", "---", kUnreadableField, words.Rest);
            ReportRow(lp, name, "---", "---", "---", "---", 0.0L, b.Report);
            ++b.Points;
            ++b.Defects;
            b.DefectLines.emplace_back(lineNumber, DefectKind::Unreadable);
            return;
        }
        inX_.clear();
        AppendInputDecimals(inX_, words.X, x, DecimalsOf(words.X));
        inY_.clear();
        AppendInputDecimals(inY_, words.Y, y, DecimalsOf(words.Y));
        const bool inside = box_.MinX <= x && x <= box_.MaxX && box_.MinY <= y && y <= box_.MaxY;
        if (!inside) {
            AppendResultLine(
                b.Result, words.Name, nameChars, "---", "---", kCoordinateField, words.Rest);
            ReportRow(lp, name, inX_, inY_, "---", "---", 0.0L, b.Report);
            ++b.Points;
            ++b.Defects;
            b.DefectLines.emplace_back(lineNumber, DefectKind::OutsideArea);
            return;
        }
        Extended outX = 0.0L, outY = 0.0L;
        fit_.TransformPoint(outX, outY, x, y);
        const Extended cx = fit_.CorrectionX, cy = fit_.CorrectionY;
        const Extended dl = std::sqrt(cx * cx + cy * cy);
        // A fault injected by the tests, as if raised here. The test stays in the loop: one
        // compare of two registers per converted point, always false outside the tests, costs
        // nothing measurable beside the point's transformation.
        if (lineNumber == faultLine_) {
            std::feraiseexcept(FE_OVERFLOW);
            ThrowOnFloatingPointFlags();
        }
        // Nothing of the point is written before its numbers are known to be numbers.
        // TransformPoint has thrown on a fault of its own arithmetic; what is left can overflow
        // only into an infinite dl, and a NaN carried in from the data raises no flag at all:
        // either stops the run here, and the flags need no second test.
        if (!(std::isfinite(outX) && std::isfinite(outY) && std::isfinite(dl))) {
            ClearFloatingPointFlags(); // the overflow into dl, if that was it
            throw FloatingPointError("Wynik przeliczenia nie jest liczbą");
        }
        outX_.clear();
        AppendDecimals(outX_, outX, decimals_);
        outY_.clear();
        AppendDecimals(outY_, outY, decimals_);
        AppendResultLine(
            b.Result, words.Name, nameChars, outX_, outY_, kCoordinateField, words.Rest);
        ReportRow(lp, name, inX_, inY_, outX_, outY_, dl, b.Report);
        ++b.Points;
        ++b.Transformed;
    }

    void ReportRow(std::int64_t lp, std::string_view name, std::string_view inX,
        std::string_view inY, std::string_view outX, std::string_view outY, Extended dl,
        std::string& out)
    {
        dl_.clear();
        AppendDecimals(dl_, dl, decimals_);
        AppendReportRow(out, lp, name, inX, inY, outX, outY, dl_);
    }

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

    bool Empty() const { return Taken == Ends.size(); }
    std::string_view Line(size_t i) const
    {
        const size_t begin = i == 0 ? 0 : Ends[i - 1];
        return std::string_view(Text).substr(begin, Ends[i] - begin);
    }
    // Reads one more line; false at the end of the input or when it could not be read.
    bool ReadLine(LineReader& input)
    {
        if (Ended || ReadFailed)
            return false;
        try {
            if (input.AppendNext(Text)) {
                Ends.push_back(Text.size());
                return true;
            }
            Ended = true;
        } catch (const std::exception&) {
            ReadFailed = true;
        }
        return false;
    }
};

// Reads the next block of at most maxLines lines (and not many more than maxBytes bytes; a
// longer line makes a block of its own), those read ahead first. ended becomes true at the end
// of the input or when it could not be read.
void readBlock(
    LineReader& input, LookAhead& ahead, size_t maxLines, size_t maxBytes, Block& b, bool& ended)
{
    b.Text.clear();
    b.LineEnds.clear();
    b.ReadFailed = false;
    try {
        while (b.LineEnds.size() < maxLines && b.Text.size() < maxBytes) {
            if (!ahead.Empty()) {
                b.Text += ahead.Line(ahead.Taken++);
            } else if (ahead.ReadFailed) {
                b.ReadFailed = true;
                ended = true;
                break;
            } else if (ahead.Ended || !input.AppendNext(b.Text)) {
                ended = true;
                break;
            }
            b.LineEnds.push_back(b.Text.size());
        }
    } catch (const std::exception&) {
        b.ReadFailed = true;
        ended = true;
    }
    if (ahead.Empty() && ahead.Taken > 0) {
        ahead.Text = std::string();
        ahead.Ends = std::vector<size_t>();
        ahead.Taken = 0;
    }
    b.InputPosition = input.Position();
}

// Finds whether the lines of an input are UTF-8, block by block as they are read (see
// kEncodingWindow). The answer depends on the lines alone, never on where the blocks end.
class EncodingFinder
{
public:
    explicit EncodingFinder(bool byteOrderMark) : state_(byteOrderMark ? State::Utf8 : State::Ascii)
    {
    }

    // Whether the lines of b, the next block of the input, are UTF-8 text.
    bool Take(const Block& b, LineReader& input, LookAhead& ahead)
    {
        if (state_ != State::Ascii)
            return state_ == State::Utf8;
        if (!beyondAscii(b.Text)) {
            for (size_t i = 0; i < b.Lines() && !startDropped_; ++i)
                keepStart(b.Line(i));
            return false;
        }
        size_t first = 0;
        while (first < b.Lines() && !beyondAscii(b.Line(first)))
            keepStart(b.Line(first++));
        if (first == b.Lines())
            return false; // the bytes beyond ASCII are those of a line the input failed in
        // The lines from the start, then those from the first line beyond ASCII on, up to the
        // window ahead of it: this block's, then lines read ahead.
        std::string sample = startDropped_ ? std::string() : std::move(start_);
        size_t fromFirst = 0;
        auto add = [&](std::string_view line) {
            sample += line;
            sample += '\n';
            fromFirst += line.size() + 1;
        };
        for (size_t i = first; i < b.Lines() && fromFirst < kEncodingWindow; ++i)
            add(b.Line(i));
        while (fromFirst < kEncodingWindow && ahead.ReadLine(input))
            add(ahead.Line(ahead.Ends.size() - 1));
        state_ = DetectEncoding(sample) == TextEncoding::Cp1250 ? State::Cp1250 : State::Utf8;
        start_ = std::string();
        return state_ == State::Utf8;
    }

private:
    // ASCII lines from the start of the input, while they are within the window.
    void keepStart(std::string_view line)
    {
        if (startDropped_)
            return;
        if (start_.size() + line.size() + 1 > kEncodingWindow) {
            startDropped_ = true;
            start_ = std::string();
            return;
        }
        start_ += line;
        start_ += '\n';
    }

    // Ascii: no line beyond ASCII yet, which both encodings read alike.
    enum class State { Ascii, Cp1250, Utf8 } state_;
    std::string start_; // the lines from the start, each with LF
    bool startDropped_ = false; // they went beyond the window
};

std::int64_t pointLines(const Block& b)
{
    std::int64_t n = 0;
    for (size_t i = 0; i < b.Lines(); ++i)
        n += isBlankLine(b.Line(i)) ? 0 : 1;
    return n;
}

// Appends a converted block. Lines are written together only where none of them fills a
// buffer, so the files see the same writes as by one a line. A line that failed stops the run
// there: the lines before it are written, nothing after. Throws LineFileError or
// FloatingPointError.
void appendBlock(const Block& b, RunCounts& counts, OutputFile& result, OutputFile& report,
    const DefectListener& defects)
{
    size_t resultBegin = 0, reportBegin = 0;
    const std::string_view resultBytes(b.Result), reportBytes(b.Report);
    for (size_t i = 0; i < b.LinesDone;) {
        // The lines from i on that both buffers take as they are: line by line they would
        // only be appended, so they are appended at once.
        const size_t resultRoom = result.Room(), reportRoom = report.Room();
        size_t j = i;
        while (j < b.LinesDone && b.ResultEnds[j] - resultBegin <= resultRoom
            && b.ReportEnds[j] - reportBegin <= reportRoom)
            ++j;
        if (j == i)
            j = i + 1; // line i does not fit: alone, its Write hands a buffer to the file
        // Only a step of one line can fail, and then in that line.
        counts.LinesRead = b.FirstLine + static_cast<std::int64_t>(j);
        result.Write(resultBytes.substr(resultBegin, b.ResultEnds[j - 1] - resultBegin));
        resultBegin = b.ResultEnds[j - 1];
        if (b.ReportEnds[j - 1] != reportBegin) {
            report.Write(reportBytes.substr(reportBegin, b.ReportEnds[j - 1] - reportBegin));
            reportBegin = b.ReportEnds[j - 1];
        }
        i = j;
    }
    if (defects) {
        const std::int64_t lastDone = b.FirstLine + static_cast<std::int64_t>(b.LinesDone);
        for (const auto& [line, kind] : b.DefectLines)
            if (line <= lastDone)
                defects(line, kind);
    }
    if (b.Failed) {
        counts.LinesRead = b.FirstLine + static_cast<std::int64_t>(b.LinesDone) + 1;
        std::rethrow_exception(b.Fault);
    }
    counts.PointsInFile += b.Points;
    counts.PointsConverted += b.Transformed;
    counts.PointsWithDefect += b.Defects;
    if (b.ReadFailed)
        throw LineFileError("read error");
}

} // namespace

void ConvertBlocks(LineReader& input, const LineConversion& s, std::uint64_t inputSize,
    RunCounts& counts, OutputFile& result, OutputFile& report)
{
    static const DefectListener noDefects;
    const DefectListener& defects = s.Defects ? *s.Defects : noDefects;
    bool ended = false;
    std::int64_t nextLine = 0, nextPoint = 0;
    // The declaration order below is load-bearing: locals die in reverse order, so `workers`
    // (declared last) joins its threads before the converters, the fits they transform with
    // and the blocks they write into are destroyed, also when an exception leaves this
    // function while workers are still converting blocks ahead.
    //
    // The blocks in flight: one on the calling thread; with workers, one being converted by
    // each and two more, one being read and one being written.
    std::vector<Block> blocks(s.Workers > 1 ? s.Workers + 2 : 1);
    LookAhead ahead;
    EncodingFinder encoding(s.ByteOrderMark);
    auto read = [&](Block& b) {
        b.FirstLine = nextLine;
        b.FirstPoint = nextPoint;
        readBlock(input, ahead, s.BlockLines, s.BlockBytes, b, ended);
        b.Utf8 = encoding.Take(b, input, ahead);
        nextLine += static_cast<std::int64_t>(b.Lines());
        nextPoint += pointLines(b);
    };
    read(blocks[0]);

    // Each worker has a fit of its own; the calling thread uses the run's.
    LineConverter here(*s.Fit, s.Box, s.Decimals, s.FaultLine);
    struct alignas(64) WorkerFit
    {
        TTrKonfAf Fit;
    };
    std::vector<WorkerFit> fits;
    std::vector<LineConverter> converters;
    std::unique_ptr<OrderedWorkers> workers;
    if (!ended && s.Workers > 1) {
        fits.assign(s.Workers, WorkerFit { *s.Fit });
        for (WorkerFit& fit : fits)
            converters.emplace_back(fit.Fit, s.Box, s.Decimals, s.FaultLine);
        workers = std::make_unique<OrderedWorkers>(s.Workers, blocks.size(),
            [&](size_t worker, size_t slot) { converters[worker].Convert(blocks[slot]); });
        if (workers->Threads() == 0)
            workers.reset();
    }
    const size_t inFlight = workers ? blocks.size() : 1;
    auto submit = [&](size_t slot) {
        if (workers)
            workers->Submit(slot);
        else
            here.Convert(blocks[slot]);
    };

    submit(0);
    // Blocks are numbered in input order; block n lives in slot n % inFlight. readCount blocks
    // have been read (and submitted), written of them appended to the files.
    std::uint64_t readCount = 1, written = 0;
    for (;;) {
        // The ring condition: block readCount may refill its slot only while fewer than
        // inFlight blocks are read but not yet written. The block that held the slot before,
        // readCount - inFlight, is then among those written, and writing a block first waits
        // for its worker: so no worker still converts in the slot, and the writer is done
        // with it. Without the condition a refill would overwrite a block before it reaches
        // the files.
        while (!ended && readCount - written < inFlight) {
            const size_t slot = static_cast<size_t>(readCount % inFlight);
            read(blocks[slot]);
            if (blocks[slot].Lines() == 0 && !blocks[slot].ReadFailed)
                break; // the input ended with the block before
            submit(slot);
            ++readCount;
        }
        if (written == readCount)
            break;
        const size_t slot = static_cast<size_t>(written % inFlight);
        if (workers)
            workers->Wait(slot);
        appendBlock(blocks[slot], counts, result, report, defects);
        ++written;
        if (*s.Progress)
            (*s.Progress)(RunProgress { RunProgress::Stage::Working, counts.LinesRead,
                blocks[slot].InputPosition, inputSize });
    }
}

} // namespace vorida
