#include "RunBlocks.h"

#include "Extended.h"
#include "LineIO.h"
#include "Numbers.h"
#include "OrderedWorkers.h"
#include "UNITtrk.h"
#include "UTransPkt.h"

#include <algorithm>
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

        Extended x = 0.0L, y = 0.0L;
        const bool readable = ParseCoordinate(words.X, x) && ParseCoordinate(words.Y, y);
        if (!readable) {
            AppendResultLine(b.Result, words.Name, "---", "---", kUnreadableField, words.Rest);
            ReportRow(lp, words.Name, "---", "---", "---", "---", 0.0L, b.Report);
            ++b.Points;
            ++b.Defects;
            b.DefectLines.emplace_back(lineNumber, DefectKind::Unreadable);
            return;
        }
        inX_.clear();
        AppendInputDecimals(inX_, words.X, x, TTransPkt::DecimalsOf(words.X));
        inY_.clear();
        AppendInputDecimals(inY_, words.Y, y, TTransPkt::DecimalsOf(words.Y));
        const bool inside = box_.MinX <= x && x <= box_.MaxX && box_.MinY <= y && y <= box_.MaxY;
        if (!inside) {
            AppendResultLine(b.Result, words.Name, "---", "---", kCoordinateField, words.Rest);
            ReportRow(lp, words.Name, inX_, inY_, "---", "---", 0.0L, b.Report);
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
        AppendResultLine(b.Result, words.Name, outX_, outY_, kCoordinateField, words.Rest);
        ReportRow(lp, words.Name, inX_, inY_, outX_, outY_, dl, b.Report);
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
};

// Reads the next block of at most maxLines lines (and not many more than maxBytes bytes; a
// longer line makes a block of its own). ended becomes true at the end of the input or when
// it could not be read.
void readBlock(LineReader& input, size_t maxLines, size_t maxBytes, Block& b, bool& ended)
{
    b.Text.clear();
    b.LineEnds.clear();
    b.ReadFailed = false;
    try {
        while (b.LineEnds.size() < maxLines && b.Text.size() < maxBytes) {
            if (!input.AppendNext(b.Text)) {
                ended = true;
                break;
            }
            b.LineEnds.push_back(b.Text.size());
        }
    } catch (const std::exception&) {
        b.ReadFailed = true;
        ended = true;
    }
    b.InputPosition = input.Position();
}

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

void ConvertBlocks(LineReader& input, const StreamSettings& s, std::uint64_t inputSize,
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
    auto read = [&](Block& b) {
        b.FirstLine = nextLine;
        b.FirstPoint = nextPoint;
        readBlock(input, s.BlockLines, s.BlockBytes, b, ended);
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
