// The transformation run over one point file, reentrant: everything it works with comes in as
// arguments (the area, the direction, the decimals, the files, the workers, the listeners and the
// platform for its messages) and what it came to goes out as its outcome. It keeps nothing
// between runs and reads no program-wide value, so runs on different areas may go on in one
// process at the same time. The window's run over the program-wide values is UTransPkt.
#pragma once

#include "Direction.h"
#include "FileNames.h"
#include "OutputFile.h"
#include "RunBlocks.h"
#include "RunLayout.h"
#include "UPKTBIN.h"
#include "UTrKonfAf.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace vorida {

class Platform;

// The area a run converts in: the adjustment points and what was read with them.
struct RunArea
{
    TPktDostosowania Points;
    std::string Name; // Windows-1250 bytes as read
    std::int32_t SystemCode = 0;
    TAreaExtents Extents; // of Points (ComputeAreaExtents)
    std::string Path; // where it was loaded from (LoadRunArea)
};

// Loads the area file at path into area, with its extents. False after a failure: the points
// are then empty and the name and the code keep what was completely read. Shows nothing.
bool LoadRunArea(const std::string& path, RunArea& area);

// The least number of adjustment points (at distinct positions) the cubic needs.
inline constexpr size_t kMinimumAdjustmentPoints = 4;
// True when the points' source coordinates in direction (the local ones from local) hold at least
// kMinimumAdjustmentPoints distinct positions; a coordinate that is not finite ends the count
// with true, since the fit reports it itself. The run refuses a set without them.
bool HasEnoughSourcePositions(const TPktDostosowania& points, Direction direction);

// What the fit of a set of adjustment points came to: usable, or one of the refusals.
enum class AreaFitStatus {
    Fitted, // the transformation is usable
    NoPoints, // an empty set
    TooFewPositions, // fewer than kMinimumAdjustmentPoints distinct source positions
    Singular, // the solver met a pivot below its limit
};

// The one decision on whether a set of adjustment points can be used, for the run and every
// other user of the fit: fits t on points in direction (degree 3, correction mode 1) after the
// run's checks. On any status but Fitted, t converts nothing. Throws
// FloatingPointError when the arithmetic fails (a coordinate that is not a number).
AreaFitStatus FitArea(TTrKonfAf& t, const TPktDostosowania& points, Direction direction);

// The run's words for a refusal (kNoAdjustmentPoints, kTooFewAdjustmentPoints or kSingularFit);
// empty for Fitted. With areaPath, an area file of another name than TRANSPKT.BIN is named by
// its path.
std::string RefusalText(AreaFitStatus status, const std::string& areaPath = {});

// The message texts of the run (UTF-8).
inline constexpr const char* kMissingInput = "Brak pliku wejściowego ";
inline constexpr const char* kLineError = "Błąd. Linia ";
inline constexpr const char* kNoAdjustmentPoints
    = "Brak punktów dostosowania (plik TRANSPKT.BIN). Przeliczenie nie zostało wykonane.";
inline const std::string kTooFewAdjustmentPoints = "Za mało punktów dostosowania: wielomian "
    + std::to_string(kProgramDegree) + ". stopnia wymaga co najmniej "
    + std::to_string(kMinimumAdjustmentPoints)
    + " punktów o różnych położeniach. Przeliczenie nie zostało wykonane.";
inline constexpr const char* kSingularFit
    = "Układ równań transformacji jest osobliwy: punkty dostosowania nie wyznaczają "
      "transformacji. Przeliczenie nie zostało wykonane.";

// The failure message of a run: kLineError with the line, and the file and the reason (or
// what else went wrong) on the next line when known.
std::string FailureMessage(std::int64_t line, const std::string& failure);

// A failure that is none of the program's own errors (no memory, a fault of the program):
// kInternalError and the failure's own text.
inline constexpr const char* kInternalError = "Błąd wewnętrzny programu: ";
std::string InternalErrorText(const std::exception& e);

// Lines of a block, and the bytes after which a block takes no further line: the unit of work
// of the worker threads, small enough that the blocks in flight keep memory flat.
inline constexpr size_t kRunBlockLines = 2048;
inline constexpr size_t kRunBlockBytes = size_t { 128 } << 10;
// Workers by default: one per core, at most this many.
inline constexpr unsigned kMaximumDefaultWorkers = 16;
// The workers a run uses when asked for requested (0: one per core).
unsigned RunWorkers(unsigned requested);

// How one run goes.
struct RunSettings
{
    vorida::Direction Direction = Direction::LocalToNational;
    std::int32_t Digits = 2; // decimals of the results and of dl (any value is used)
    // The threads that convert the lines: 0 one per core; 1 converts on the calling thread.
    // Whatever the number, the files and the messages are the same.
    unsigned Workers = 0;
    // The command-line tool's way with files: the outputs written whole or not at all (on a
    // failure the old files stay as they were), a FIFO read as a stream, a folder given as the
    // input refused with its reason. Off: the window's way.
    bool CommandLineFiles = false;
    // Other files the run must never write (the area file), by their identity when the run
    // opens its outputs.
    std::vector<std::string> OtherInputs;
    // Called on the calling thread as the run goes on (RunProgress); empty for none.
    std::function<void(const RunProgress&)> Progress;
    // Told of each defective point line as the run writes it; empty for none.
    DefectListener Defects;
    // Where the run's messages go and whose clock dates the report; nullptr: CurrentPlatform().
    Platform* Messages = nullptr;
    // For tests: smaller blocks, so that small files span several; a floating-point fault
    // raised while converting the point on one input line (0: none); and a write fault the
    // report and the result meet (a full disk where the system has no /dev/full).
    size_t BlockLines = kRunBlockLines, BlockBytes = kRunBlockBytes;
    std::int64_t FaultLine = 0;
    WriteFault DiskFault;
};

// What a run came to.
struct RunOutcome
{
    bool Complete = false; // the files are written and the closing message shown
    // After a failure: the line naming the file and the system's reason, when a file failed;
    // what went wrong after another of the program's own errors; InternalErrorText after a
    // failure that is none of them; empty when a point's conversion failed (FloatingPointError).
    std::string Failure;
    // The counters; after a failure LinesRead is the line of the failure (0 before the first).
    RunCounts Counts;
};

// Converts files.Input in area into files.Result and files.Report, and shows the closing
// message, or the message of what went wrong (the missing input, a refusal of the fit, the
// line of a failure). A refusal leaves every file untouched; an output that is the input, or the
// other output, is refused with the failure message of line 0. Throws FloatingPointError when
// the fit itself fails (for example on coordinates that are not numbers); then no file has been
// touched.
RunOutcome RunConversion(const RunArea& area, const RunFiles& files, const RunSettings& settings);

} // namespace vorida
