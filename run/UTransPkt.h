// The window's run: the program-wide values filled at start-up (RoundingDigits before each run)
// and the run object over them, a thin facade over the reentrant run of Run.h. The layout of the
// files is in RunLayout, the conversion of the lines in RunBlocks, the names of the systems in
// SystemNames.
#pragma once

#include "Numbers.h"
#include "Run.h"
#include "SystemNames.h"

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
// The area of the program-wide values, for a reentrant run.
RunArea ProgramArea();

class TTransPkt
{
public:
    static constexpr size_t kBlockLines = kRunBlockLines;
    static constexpr size_t kBlockBytes = kRunBlockBytes;

    // The run of RunConversion on the program-wide area with RoundingDigits, for the point
    // file of the direction (true: local to national) in directory: the result file and
    // Raport.txt there. True after a complete run.
    bool TransformFile(bool localToNational, const std::string& directory);
    // The same run on files of any name.
    bool Transform(Direction direction, const RunFiles& files);

    // After a failed run: the line naming the file and the system's reason, when a file failed
    // (empty otherwise).
    const std::string& LastFailure() const { return lastFailure_; }

    // Called on the calling thread as the run goes on (RunProgress); empty for none.
    void SetProgress(std::function<void(const RunProgress&)> progress)
    {
        progress_ = std::move(progress);
    }

    // For tests: the write fault the run's files meet (RunSettings::DiskFault).
    void SetDiskFault(WriteFault fault) { diskFault_ = std::move(fault); }

    // The number of characters after the first "." of a coordinate word; 0 without one.
    static int DecimalsOf(std::string_view word) { return vorida::DecimalsOf(word); }

    // The message texts of the run (UTF-8).
    static constexpr const char* kMissingInput = vorida::kMissingInput;
    static constexpr const char* kLineError = vorida::kLineError;
    static constexpr const char* kNoAdjustmentPoints = vorida::kNoAdjustmentPoints;
    static inline const std::string kTooFewAdjustmentPoints = vorida::kTooFewAdjustmentPoints;
    static constexpr const char* kSingularFit = vorida::kSingularFit;

private:
    std::string lastFailure_;
    std::function<void(const RunProgress&)> progress_;
    WriteFault diskFault_;
};

extern TTransPkt TransPkt;

} // namespace vorida
