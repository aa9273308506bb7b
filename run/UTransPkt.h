// The transformation run over one point file: the program-wide values it works with, its
// refusals, and the run itself (the files it opens, the fit, the messages). The layout of the
// files is in RunLayout, the conversion of the lines in RunBlocks, the names of the systems in
// SystemNames.
#pragma once

#include "RunBlocks.h"
#include "SystemNames.h"
#include "UPKTBIN.h"
#include "UTrKonfAf.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vorida {

// ---- Program-wide values, filled once at start-up (RoundingDigits before each run) ----
extern TPktDostosowania AdjustmentPoints;
extern std::string AreaName; // Windows-1250 bytes as read
extern std::int32_t SystemCode;
extern TAreaExtents AreaExtents;
extern std::int32_t RoundingDigits; // normally 1..5; any typed value reaches the run

// The program-wide objects.
extern TTrKonfAf TrKonfAf;
extern TPktBIN PktBIN;

// Loads path into AdjustmentPoints, AreaName and SystemCode (a failure shows its message).
void LoadPointFile(const std::string& path);
// AreaExtents from AdjustmentPoints (all zero for an empty set, so that nothing is inside).
void ComputeAreaExtents();

// The point files: the local ones are fixed; the national ones are named after the national
// system's tag (SystemNames.h).
inline constexpr std::string_view kLocalInputName = "xy_LOK";
inline constexpr std::string_view kLocalResultName = "xy_LOK.1";
inline constexpr std::string_view kReportName = "Raport.txt";
inline constexpr std::string_view kDataFileName = "TRANSPKT.BIN";

// The least number of adjustment points (at distinct positions) the cubic needs.
inline constexpr size_t kMinimumAdjustmentPoints = 4;
// True when the points' source coordinates (local ones when localSource) hold at least
// kMinimumAdjustmentPoints distinct positions; a coordinate that is not finite ends the count
// with true, since the fit reports it itself. The run refuses a set without them.
bool HasEnoughSourcePositions(const TPktDostosowania& points, bool localSource);

// What the fit of a set of adjustment points came to: usable, or one of the refusals.
enum class AreaFitStatus {
    Fitted, // the transformation is usable
    NoPoints, // an empty set
    TooFewPositions, // fewer than kMinimumAdjustmentPoints distinct source positions
    Singular, // the solver met a pivot below its limit
};

// The one decision on whether a set of adjustment points can be used, for the run and every
// other user of the fit: fits t on points (degree 3, correction mode 1, reverse false for local
// to national) after the run's checks. On any status but Fitted, t converts nothing. Throws
// FloatingPointError when the arithmetic fails (a coordinate that is not a number).
AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, bool reverse);

// The run's words for a refusal (TTransPkt::kNoAdjustmentPoints, kTooFewAdjustmentPoints or
// kSingularFit); empty for Fitted.
std::string RefusalText(AreaFitStatus status);

// FitArea for the direction; false, after the refusal's message shown through the platform,
// when the fit would be no solution, so that no coordinate is ever computed from it.
bool FitOrRefuse(TTrKonfAf& fit, const TPktDostosowania& points, bool localToNational);

// The files of one run. kStandardStream (LineIO.h) reads standard input (Input) or writes
// standard output (Result, Report); an empty Report writes no report.
struct RunFiles
{
    std::string Input, Result, Report;
};

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

class TTransPkt
{
public:
    // Lines of a block, and the bytes after which a block takes no further line: the unit of
    // work of the worker threads, small enough that the blocks in flight keep memory flat.
    static constexpr size_t kBlockLines = 2048;
    static constexpr size_t kBlockBytes = size_t { 128 } << 10;
    // Workers by default: one per core, at most this many.
    static constexpr unsigned kMaximumDefaultWorkers = 16;

    // Converts the point file of the direction (true: local to national) in directory into the
    // result file and Raport.txt there, and shows the closing message, or the message of what
    // went wrong. True after a complete run. Throws FloatingPointError when the fit itself fails
    // (for example on coordinates that are not numbers); then no file has been touched.
    bool TransformFile(bool localToNational, const std::string& directory);
    // The same run on files of any name: the result and the report are those TransformFile
    // writes for the same input, byte for byte (the report's date line aside), with the same
    // messages. A refusal leaves every file untouched; an output that is the input, or the
    // other output, is refused with the failure message of line 0.
    bool Transform(bool localToNational, const RunFiles& files);

    // The threads that convert the lines of a run: 0 (the default) one per core; 1 converts
    // on the calling thread. Whatever the number, the files and the messages are the same.
    void SetWorkers(unsigned workers) { workers_ = workers; }
    // The number a run uses.
    unsigned Workers() const;
    // Called on the calling thread as the run goes on (RunProgress); empty for none.
    void SetProgress(std::function<void(const RunProgress&)> progress)
    {
        progress_ = std::move(progress);
    }
    // Told of each defective point line as the run writes it; empty for none.
    void SetDefectListener(DefectListener listener) { defects_ = std::move(listener); }

    // For tests: smaller blocks, so that small files span several; and a floating-point fault
    // raised while converting the point on one input line (0: none).
    void SetBlockLimits(size_t lines, size_t bytes)
    {
        blockLines_ = lines > 0 ? lines : 1;
        blockBytes_ = bytes;
    }
    void SetFaultLine(std::int64_t line) { faultLine_ = line; }

    // The number of characters after the first "." of a coordinate word; 0 without one.
    static int DecimalsOf(std::string_view word);

    // The message texts of the run (UTF-8).
    static constexpr const char* kMissingInput = "Brak pliku wejściowego ";
    static constexpr const char* kLineError = "Błąd. Linia ";
    static constexpr const char* kNoAdjustmentPoints
        = "Brak punktów dostosowania (plik TRANSPKT.BIN). Przeliczenie nie zostało wykonane.";
    static inline const std::string kTooFewAdjustmentPoints
        = "Za mało punktów dostosowania: wielomian " + std::to_string(kProgramDegree)
        + ". stopnia wymaga co najmniej " + std::to_string(kMinimumAdjustmentPoints)
        + " punktów o różnych położeniach. Przeliczenie nie zostało wykonane.";
    static constexpr const char* kSingularFit
        = "Układ równań transformacji jest osobliwy: punkty dostosowania nie wyznaczają "
          "transformacji. Przeliczenie nie zostało wykonane.";

private:
    unsigned workers_ = 0;
    size_t blockLines_ = kBlockLines, blockBytes_ = kBlockBytes;
    std::int64_t faultLine_ = 0;
    std::function<void(const RunProgress&)> progress_;
    DefectListener defects_;
};

extern TTransPkt TransPkt;

} // namespace vorida
