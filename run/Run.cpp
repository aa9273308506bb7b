#include "Run.h"

#include "FilePlan.h"
#include "LineIO.h"
#include "OrderedWorkers.h"
#include "Platform.h"
#include "System.h"
#include "SystemNames.h"
#include "TextEncoding.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace vorida {

bool LoadRunArea(const std::string& path, RunArea& area)
{
    const bool loaded = TPktBIN().LoadPointFile(path, area.Name, area.SystemCode, area.Points);
    area.Extents = ComputeAreaExtents(area.Points);
    area.Path = path;
    return loaded;
}

bool HasEnoughSourcePositions(const TPktDostosowania& points, Direction direction)
{
    Extended seenX[kMinimumAdjustmentPoints], seenY[kMinimumAdjustmentPoints];
    size_t seen = 0;
    for (const TPkt& p : points) {
        const Extended x = FromNational(direction) ? p.NationalX : p.LocalX;
        const Extended y = FromNational(direction) ? p.NationalY : p.LocalY;
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

AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, Direction direction)
{
    // A refused set leaves no earlier fit behind: Mode 0 converts nothing.
    t.Mode = 0;
    if (points.empty())
        return AreaFitStatus::NoPoints;
    if (!HasEnoughSourcePositions(points, direction))
        return AreaFitStatus::TooFewPositions;
    t.Fit(points, kProgramDegree, FromNational(direction), kHausbrandtCorrection);
    if (t.Singular != 0) {
        t.Mode = 0;
        return AreaFitStatus::Singular;
    }
    return AreaFitStatus::Fitted;
}

std::string RefusalText(AreaFitStatus status, const std::string& areaPath)
{
    switch (status) {
    case AreaFitStatus::NoPoints:
        if (const std::string name = PathText(FileSystemPath(areaPath).filename());
            !areaPath.empty() && name != kDataFileName) {
            std::string text = kNoAdjustmentPoints;
            const std::string fixed = "plik " + std::string(kDataFileName);
            return text.replace(text.find(fixed), fixed.size(), "plik " + PathForMessage(areaPath));
        }
        return kNoAdjustmentPoints;
    case AreaFitStatus::TooFewPositions:
        return kTooFewAdjustmentPoints;
    case AreaFitStatus::Singular:
        return kSingularFit;
    case AreaFitStatus::Fitted:
        break;
    }
    return {};
}

std::string FailureMessage(std::int64_t line, const std::string& failure)
{
    std::string text = kLineError + std::to_string(line);
    if (!failure.empty())
        text += "\r" + failure;
    return text;
}

std::string InternalErrorText(const std::exception& e)
{
    return std::string(kInternalError) + e.what();
}

unsigned RunWorkers(unsigned requested)
{
    if (requested != 0)
        return requested;
    return std::clamp(OrderedWorkers::Cores(), 1u, kMaximumDefaultWorkers);
}

namespace {

// The date line's text: the user's short date, then the long time unless it is midnight.
std::string runDate(Platform& platform)
{
    const LocalDateTime now = platform.Now();
    std::string when = platform.ShortDate(now);
    if (now.Hour != 0 || now.Minute != 0 || now.Second != 0) {
        when += ' ';
        when += platform.LongTime(now);
    }
    return when;
}

// The size of the input, for the share of it a progress display shows; 0 when unknown.
std::uint64_t inputSizeOf(const std::string& input)
{
    if (IsStandardStream(input) || FileKindOnDisk(input) != FileKind::Regular)
        return 0;
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(FileSystemPath(input), sizeError);
    return sizeError ? 0 : size;
}

// The inputs, as opened, guarded against both outputs: checked again as each output is created
// and takes its place, so that a link planted at an output while the input was being opened (a
// FIFO waits for its writer) cannot turn an input into an output.
void guardOutputs(const LineReader& input, const std::string& inputPath,
    const std::vector<std::string>& others, OutputFile& report, OutputFile& result)
{
    std::vector<GuardedInput> guards;
    for (const std::string& other : others)
        GuardInput(guards, other);
    if (FileIdentity opened; input.Identity(opened))
        guards.push_back({ opened, inputPath });
    report.Guard(guards);
    result.Guard(guards);
}

// Opens the report, the input and the result file, converts the lines from one into the others
// and closes them, then shows the closing message or the line of the failure.
RunOutcome convertFiles(const RunArea& area, const RunFiles& files, const RunSettings& s,
    TTrKonfAf& fit, Platform& platform)
{
    const WriteMode mode = s.CommandLineFiles ? WriteMode::WholeOrNothing : WriteMode::InPlace;
    const std::uint64_t inputSize = inputSizeOf(files.Input);
    RunOutcome outcome;
    RunCounts& counts = outcome.Counts;
    auto tell = [&](RunProgress::Stage stage) {
        if (s.Progress)
            s.Progress(RunProgress { stage, counts.LinesRead, 0, inputSize });
    };
    tell(RunProgress::Stage::Started);
    OutputFile report, result;
    LineReader input;
    // Stops the run at the line of the failure: in place, what was written up to it stays in
    // the files; whole or not at all, the old files stay as they were.
    // In place, the first line a write failure left out of the files is the line named.
    WrittenLines written;
    auto fail = [&](std::string failure) {
        outcome.Failure = std::move(failure);
        report.Abandon();
        result.Abandon();
        if (mode == WriteMode::InPlace)
            counts.LinesRead = written.FirstMissing(result, report, counts.LinesRead);
        input.Close();
        tell(RunProgress::Stage::Finished);
        platform.ShowError(FailureMessage(counts.LinesRead, outcome.Failure));
        return outcome;
    };
    try {
        // An output that is the input under another name (a link) would destroy it.
        FilePlan plan;
        plan.Reads(files.Input);
        plan.Writes(files.Report);
        plan.Writes(files.Result);
        if (const auto clash = plan.FirstClash())
            throw FileError(FilePlan::ClashText(*clash));
        const std::int32_t inCode = FromNational(s.Direction) ? area.SystemCode : kLocalSystemCode;
        const std::int32_t outCode = FromNational(s.Direction) ? kLocalSystemCode : area.SystemCode;
        OpenOutput(report, files.Report, mode, s.DiskFault);
        report.Write(ReportHeader(area.Name, inCode, outCode, runDate(platform)));
        input.Open(files.Input);
        guardOutputs(input, files.Input, s.OtherInputs, report, result);
        OpenOutput(result, files.Result, mode, s.DiskFault);
        const LineConversion lines { &fit,
            FromNational(s.Direction) ? area.Extents.National : area.Extents.Local, s.Digits,
            RunWorkers(s.Workers), s.BlockLines, s.BlockBytes, s.FaultLine, &s.Progress, &s.Defects,
            // A byte-order mark belongs to the file, not to its first point's name: the result
            // file starts with it as the input does, and the input is UTF-8 text.
            input.SkipPrefix(kUtf8ByteOrderMark), mode == WriteMode::InPlace ? &written : nullptr };
        if (lines.ByteOrderMark)
            result.Write(kUtf8ByteOrderMark);
        ConvertBlocks(input, lines, inputSize, counts, result, report);
        // The closing message reports success only once every byte has reached the files.
        result.Flush();
        report.Write(ReportClosing(counts));
        report.Flush();
        if (mode == WriteMode::WholeOrNothing) {
            // The files take their places, as one outcome, before success is reported.
            CloseTogether(report, result);
        }
    } catch (const FloatingPointError&) {
        return fail({}); // a point whose conversion failed: the line says it
    } catch (const Error& e) {
        return fail(e.what()); // a file and the system's reason, or what else failed
    } catch (const std::exception& e) {
        return fail(InternalErrorText(e));
    }
    tell(RunProgress::Stage::Finished);
    platform.ShowMessage(ClosingMessage(counts));
    try {
        report.Close();
        result.Close();
    } catch (const FileError&) {
    }
    input.Close();
    outcome.Complete = true;
    return outcome;
}

} // namespace

RunOutcome RunConversion(const RunArea& area, const RunFiles& files, const RunSettings& settings)
{
    Platform& platform = settings.Messages != nullptr ? *settings.Messages : CurrentPlatform();
    if (!IsStandardStream(files.Input) && !platform.RegularFileExists(files.Input)) {
        // The command line reads a FIFO (a named pipe, a process substitution) as a stream.
        const FileKind kind
            = settings.CommandLineFiles ? FileKindOnDisk(files.Input) : FileKind::Missing;
        if (kind == FileKind::Directory) {
            platform.ShowError(ReadFailureText(files.Input, DirectoryError()));
            return {};
        }
        if (kind != FileKind::Other) {
            platform.ShowError(kMissingInput + PathForMessage(files.Input));
            return {};
        }
    }
    TTrKonfAf fit;
    const AreaFitStatus status = FitArea(fit, area.Points, settings.Direction);
    if (status != AreaFitStatus::Fitted) {
        platform.ShowError(RefusalText(status, area.Path));
        return {};
    }
    return convertFiles(area, files, settings, fit, platform);
}

} // namespace vorida
