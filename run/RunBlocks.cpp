#include "RunBlocks.h"

#include "BlockLines.h"
#include "LineIO.h"
#include "OrderedWorkers.h"
#include "OutputFile.h"

#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace vorida {

namespace {

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
                b.ReadFailure = ahead.ReadFailure;
                ended = true;
                break;
            } else if (ahead.Ended || !input.AppendNext(b.Text)) {
                ended = true;
                break;
            }
            b.LineEnds.push_back(b.Text.size());
        }
    } catch (const FileError& e) {
        b.ReadFailed = true;
        b.ReadFailure = e.what();
        ended = true;
    }
    if (ahead.Empty() && ahead.Taken > 0) {
        ahead.Text = std::string();
        ahead.Ends = std::vector<size_t>();
        ahead.Taken = 0;
    }
    b.InputPosition = input.Position();
}

// Appends a converted block. Lines are written together only where none of them fills a
// buffer, so the files see the same writes as by one a line. A line that failed stops the run
// there: the lines before it are written, nothing after. Throws FileError or
// FloatingPointError.
void appendBlock(const Block& b, RunCounts& counts, OutputFile& result, OutputFile& report,
    const DefectListener& defects, WrittenLines* written)
{
    size_t resultBegin = 0, reportBegin = 0;
    const std::uint64_t resultBase = result.Appended(), reportBase = report.Appended();
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
        if (written != nullptr) {
            for (size_t k = i; k < j; ++k)
                written->Add(b.FirstLine + static_cast<std::int64_t>(k) + 1,
                    resultBase + b.ResultEnds[k], reportBase + b.ReportEnds[k]);
            written->Trim(result, report);
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
        throw FileError(b.ReadFailure);
}

// The converters of a run's blocks: on the calling thread, or one on each worker thread with a
// fit of its own (the calling thread uses the run's). The workers are the last member: they
// join their threads before the converters and the fits they use are destroyed, also when an
// exception leaves the run while workers are still converting blocks ahead.
class BlockConverters
{
public:
    // Threads only when threaded and more than one worker is asked for.
    BlockConverters(const LineConversion& s, std::vector<Block>& blocks, bool threaded)
        : here_(*s.Fit, s.Box, s.Decimals, s.FaultLine), blocks_(blocks)
    {
        if (!threaded || s.Workers <= 1)
            return;
        fits_.assign(s.Workers, WorkerFit { *s.Fit });
        for (WorkerFit& fit : fits_)
            converters_.emplace_back(fit.Fit, s.Box, s.Decimals, s.FaultLine);
        workers_ = std::make_unique<OrderedWorkers>(s.Workers, blocks.size(),
            [this](size_t worker, size_t slot) { converters_[worker].Convert(blocks_[slot]); });
        if (workers_->Threads() == 0)
            workers_.reset();
    }

    bool Threaded() const { return workers_ != nullptr; }
    // Converts the block in slot, here or on a worker.
    void Submit(size_t slot)
    {
        if (workers_)
            workers_->Submit(slot);
        else
            here_.Convert(blocks_[slot]);
    }
    // Waits until the block in slot is converted.
    void Wait(size_t slot)
    {
        if (workers_)
            workers_->Wait(slot);
    }

private:
    struct alignas(64) WorkerFit
    {
        TTrKonfAf Fit;
    };
    LineConverter here_;
    std::vector<Block>& blocks_;
    std::vector<WorkerFit> fits_;
    std::vector<LineConverter> converters_;
    std::unique_ptr<OrderedWorkers> workers_;
};

} // namespace

void WrittenLines::Trim(const OutputFile& result, const OutputFile& report)
{
    while (!entries_.empty() && entries_.front().Result <= result.Written()
        && entries_.front().Report <= report.Written())
        entries_.pop_front();
}

std::int64_t WrittenLines::FirstMissing(
    const OutputFile& result, const OutputFile& report, std::int64_t fallback) const
{
    for (const Entry& e : entries_)
        if (e.Result > result.Written() || e.Report > report.Written())
            return e.Line;
    return fallback;
}

void ConvertBlocks(LineReader& input, const LineConversion& s, std::uint64_t inputSize,
    RunCounts& counts, OutputFile& result, OutputFile& report)
{
    static const DefectListener noDefects;
    const DefectListener& defects = s.Defects ? *s.Defects : noDefects;
    bool ended = false;
    std::int64_t nextLine = 0, nextPoint = 0;
    // The declaration order below is load-bearing: locals die in reverse order, so the
    // converters (declared after the blocks) join their threads before the blocks they write
    // into are destroyed.
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
        nextPoint += PointLines(b);
    };
    read(blocks[0]);

    BlockConverters converters(s, blocks, !ended);
    const size_t inFlight = converters.Threaded() ? blocks.size() : 1;
    converters.Submit(0);
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
            converters.Submit(slot);
            ++readCount;
        }
        if (written == readCount)
            break;
        const size_t slot = static_cast<size_t>(written % inFlight);
        converters.Wait(slot);
        appendBlock(blocks[slot], counts, result, report, defects, s.Written);
        ++written;
        if (*s.Progress)
            (*s.Progress)(RunProgress { RunProgress::Stage::Working, counts.LinesRead,
                blocks[slot].InputPosition, inputSize });
    }
}

} // namespace vorida
