#include "UTransPkt.h"

#include "Cp1250.h"
#include "LineIO.h"
#include "Platform.h"
#include "System.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <thread>

namespace vorida {

TPktDostosowania AdjustmentPoints;
std::string AreaName;
std::int32_t SystemCode = 0;
TAreaExtents AreaExtents;
std::int32_t RoundingDigits = 2;

TTrKonfAf TrKonfAf;
TPktBIN PktBIN;
TTransPkt TransPkt;

void LoadPointFile(const std::string& path)
{
    if (!PktBIN.LoadPointFile(path, AreaName, SystemCode, AdjustmentPoints))
        CurrentPlatform().ShowMessage(kTranspktReadError);
}

void ComputeAreaExtents()
{
    AreaExtents = ComputeAreaExtents(AdjustmentPoints);
}

bool HasEnoughSourcePositions(const TPktDostosowania& points, bool localSource)
{
    Extended seenX[kMinimumAdjustmentPoints], seenY[kMinimumAdjustmentPoints];
    size_t seen = 0;
    for (const TPkt& p : points) {
        const Extended x = localSource ? p.LocalX : p.NationalX;
        const Extended y = localSource ? p.LocalY : p.NationalY;
        if (!(std::isfinite(x) && std::isfinite(y)))
            return true; // the fit reports such a coordinate itself
        bool known = false;
        for (size_t k = 0; k < seen && !known; ++k)
            known = seenX[k] == x && seenY[k] == y;
        if (known)
            continue;
        if (++seen >= kMinimumAdjustmentPoints)
            return true;
        seenX[seen - 1] = x;
        seenY[seen - 1] = y;
    }
    return false;
}

AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, bool reverse)
{
    // A refused set leaves no earlier fit behind: Mode 0 converts nothing.
    t.Mode = 0;
    if (points.empty())
        return AreaFitStatus::NoPoints;
    if (!HasEnoughSourcePositions(points, !reverse))
        return AreaFitStatus::TooFewPositions;
    t.Fit(points, kProgramDegree, reverse, kHausbrandtCorrection);
    if (t.Singular != 0) {
        t.Mode = 0;
        return AreaFitStatus::Singular;
    }
    return AreaFitStatus::Fitted;
}

std::string RefusalText(AreaFitStatus status)
{
    switch (status) {
    case AreaFitStatus::NoPoints:
        return TTransPkt::kNoAdjustmentPoints;
    case AreaFitStatus::TooFewPositions:
        return TTransPkt::kTooFewAdjustmentPoints;
    case AreaFitStatus::Singular:
        return TTransPkt::kSingularFit;
    case AreaFitStatus::Fitted:
        break;
    }
    return {};
}

bool FitOrRefuse(TTrKonfAf& fit, const TPktDostosowania& points, bool localToNational)
{
    const AreaFitStatus status = FitArea(fit, points, !localToNational);
    if (status == AreaFitStatus::Fitted)
        return true;
    CurrentPlatform().ShowMessage(RefusalText(status));
    return false;
}

int TTransPkt::DecimalsOf(std::string_view word)
{
    size_t point = word.find('.');
    return point == std::string_view::npos ? 0 : static_cast<int>(word.size() - point - 1);
}

namespace {

// The byte-order mark of UTF-8, which some editors put at the start of a text file.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The date line's text: the user's short date, then the long time unless it is midnight.
std::string runDate()
{
    Platform& platform = CurrentPlatform();
    const LocalDateTime now = platform.Now();
    std::string when = platform.ShortDate(now);
    if (now.Hour != 0 || now.Minute != 0 || now.Second != 0) {
        when += ' ';
        when += platform.LongTime(now);
    }
    return when;
}

// Writes the report and the result file from the input and shows the closing message or the
// line of the failure. True after a complete run.
bool streamLines(bool localToNational, const RunFiles& files, const StreamSettings& s,
    WriteMode mode, std::string& failure)
{
    Platform& platform = CurrentPlatform();
    const bool fromStandardInput = IsStandardStream(files.Input);
    std::uint64_t inputSize = 0; // unknown: no share of it is shown
    if (!fromStandardInput && FileKindOnDisk(files.Input) == FileKind::Regular) {
        std::error_code sizeError;
        inputSize = std::filesystem::file_size(FileSystemPath(files.Input), sizeError);
        if (sizeError)
            inputSize = 0;
    }
    RunCounts counts;
    auto tell = [&](RunProgress::Stage stage) {
        if (*s.Progress)
            (*s.Progress)(RunProgress { stage, counts.LinesRead, 0, inputSize });
    };
    tell(RunProgress::Stage::Started);
    OutputFile report, result;
    LineReader input;
    try {
        // An output that is the input under another name (a link) would destroy it.
        FilePlan plan;
        plan.Reads(files.Input);
        plan.Writes(files.Report);
        plan.Writes(files.Result);
        if (const auto clash = plan.FirstClash())
            throw LineFileError(FilePlan::ClashText(*clash));
        const std::int32_t inCode = localToNational ? kLocalSystemCode : SystemCode;
        const std::int32_t outCode = localToNational ? SystemCode : kLocalSystemCode;
        OpenOutput(report, files.Report, mode);
        report.Write(ReportHeader(AreaName, inCode, outCode, runDate()));
        input.Open(files.Input);
        OpenOutput(result, files.Result, mode);
        // A byte-order mark belongs to the file, not to its first point's name: the result
        // file starts with it as the input does, and the input is UTF-8 text.
        StreamSettings lines = s;
        lines.ByteOrderMark = input.SkipPrefix(kByteOrderMark);
        if (lines.ByteOrderMark)
            result.Write(kByteOrderMark);
        ConvertBlocks(input, lines, inputSize, counts, result, report);
        // The closing message reports success only once every byte has reached the files.
        result.Flush();
        report.Write(ReportClosing(counts));
        report.Flush();
        if (mode == WriteMode::WholeOrNothing) {
            // The files take their places before success is reported.
            report.Close();
            result.Close();
        }
    } catch (const std::exception& e) {
        if (dynamic_cast<const LineFileError*>(&e) != nullptr)
            failure = e.what();
        // In place, what was written up to the failure stays in the files; whole or not at
        // all, the old files stay as they were.
        report.Abandon();
        result.Abandon();
        input.Close();
        tell(RunProgress::Stage::Finished);
        platform.ShowMessage(TTransPkt::kLineError + std::to_string(counts.LinesRead));
        return false;
    }
    tell(RunProgress::Stage::Finished);
    platform.ShowMessage(ClosingMessage(counts));
    try {
        report.Close();
        result.Close();
    } catch (const LineFileError&) {
    }
    input.Close();
    return true;
}

} // namespace

unsigned TTransPkt::Workers() const
{
    if (workers_ != 0)
        return workers_;
    const unsigned cores = std::thread::hardware_concurrency();
    return std::clamp(cores, 1u, kMaximumDefaultWorkers);
}

bool TTransPkt::TransformFile(bool localToNational, const std::string& directory)
{
    return Transform(localToNational, FixedRunFiles(localToNational, directory, SystemCode));
}

bool TTransPkt::Transform(bool localToNational, const RunFiles& files)
{
    lastFailure_.clear();
    if (!IsStandardStream(files.Input) && !CurrentPlatform().RegularFileExists(files.Input)) {
        // The command line reads a FIFO (a named pipe, a process substitution) as a stream.
        const FileKind kind = commandLine_ ? FileKindOnDisk(files.Input) : FileKind::Missing;
        if (kind == FileKind::Directory) {
            CurrentPlatform().ShowMessage(ReadFailureText(files.Input, DirectoryError()));
            return false;
        }
        if (kind != FileKind::Other) {
            CurrentPlatform().ShowMessage(kMissingInput + PathForMessage(files.Input));
            return false;
        }
    }
    if (!FitOrRefuse(TrKonfAf, AdjustmentPoints, localToNational))
        return false;
    const StreamSettings settings { &TrKonfAf,
        localToNational ? AreaExtents.Local : AreaExtents.National, RoundingDigits, Workers(),
        blockLines_, blockBytes_, faultLine_, &progress_, &defects_ };
    return streamLines(localToNational, files, settings,
        commandLine_ ? WriteMode::WholeOrNothing : WriteMode::InPlace, lastFailure_);
}

} // namespace vorida
