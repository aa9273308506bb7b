#include "UTransPkt.h"

#include "Cp1250.h"
#include "LineIO.h"
#include "Platform.h"

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

bool isStandardStream(const std::string& path)
{
    return path == kStandardStream;
}

// A path in a message (UTF-8), with the system's separators. Paths are UTF-8 already and are
// shown as they are; a path whose bytes are not UTF-8 (a name from an old single-byte system)
// is read as Windows-1250, so that the message is valid UTF-8 either way.
std::string pathForMessage(const std::string& path)
{
    return NativeSeparators(IsValidUtf8(path) ? path : Cp1250ToUtf8(path));
}

// True when writing output would destroy the input or the other output: the same file under
// another name (a link), or the same name. Standard streams are never files of the run.
bool clashes(const std::string& output, const std::string& other)
{
    if (output.empty() || other.empty() || isStandardStream(output) || isStandardStream(other))
        return false;
    return output == other || SameExistingFile(output, other);
}

void openOutput(OutputFile& file, const std::string& path)
{
    if (path.empty())
        file.CreateDiscarding();
    else if (isStandardStream(path))
        file.CreateStandardOutput();
    else
        file.Create(path);
}

// The files and the system codes of one direction, under the fixed names in directory.
RunFiles fixedFiles(bool localToNational, const std::string& directory)
{
    RunFiles f;
    f.Input = PathIn(
        directory, localToNational ? std::string(kLocalInputName) : NationalInputName(SystemCode));
    f.Result = PathIn(directory,
        localToNational ? NationalResultName(SystemCode) : std::string(kLocalResultName));
    f.Report = PathIn(directory, kReportName);
    return f;
}

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
bool streamLines(bool localToNational, const RunFiles& files, const StreamSettings& s)
{
    Platform& platform = CurrentPlatform();
    const bool fromStandardInput = isStandardStream(files.Input);
    std::uint64_t inputSize = 0; // unknown: no share of it is shown
    if (!fromStandardInput) {
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
        if (clashes(files.Report, files.Input) || clashes(files.Result, files.Input)
            || clashes(files.Report, files.Result))
            throw LineFileError("an output file is the input file");
        if (isStandardStream(files.Report) && isStandardStream(files.Result))
            throw LineFileError("both outputs on standard output");
        const std::int32_t inCode = localToNational ? kLocalSystemCode : SystemCode;
        const std::int32_t outCode = localToNational ? SystemCode : kLocalSystemCode;
        openOutput(report, files.Report);
        report.Write(ReportHeader(AreaName, inCode, outCode, runDate()));
        if (fromStandardInput)
            input.OpenStandardInput();
        else
            input.Open(files.Input);
        openOutput(result, files.Result);
        // A byte-order mark belongs to the file, not to its first point's name: the result
        // file starts with it as the input does.
        if (input.SkipPrefix(kByteOrderMark))
            result.Write(kByteOrderMark);
        ConvertBlocks(input, s, inputSize, counts, result, report);
        // The closing message reports success only once every byte has reached the files.
        result.Flush();
        report.Write(ReportClosing(counts));
        report.Flush();
    } catch (const std::exception&) {
        // What was written up to the failure stays in the files.
        for (OutputFile* f : { &report, &result }) {
            try {
                f->Close();
            } catch (const LineFileError&) {
            }
        }
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
    return Transform(localToNational, fixedFiles(localToNational, directory));
}

bool TTransPkt::Transform(bool localToNational, const RunFiles& files)
{
    if (!isStandardStream(files.Input) && !CurrentPlatform().RegularFileExists(files.Input)) {
        CurrentPlatform().ShowMessage(kMissingInput + pathForMessage(files.Input));
        return false;
    }
    if (!FitOrRefuse(TrKonfAf, AdjustmentPoints, localToNational))
        return false;
    const StreamSettings settings { &TrKonfAf,
        localToNational ? AreaExtents.Local : AreaExtents.National, RoundingDigits, Workers(),
        blockLines_, blockBytes_, faultLine_, &progress_, &defects_ };
    return streamLines(localToNational, files, settings);
}

} // namespace vorida
