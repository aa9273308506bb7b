// The names of a run's files: "-" for the standard streams, the program's fixed file names, and
// the files of one run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Direction.h"

namespace vorida {

// "-" stands for standard input where a file is read and for standard output where one is
// written.
inline constexpr std::string_view kStandardStream = "-";
bool IsStandardStream(const std::string& path);

// The program's fixed file names: the local point files and the report; the national ones are
// named after the national system's tag (SystemNames.h).
inline constexpr std::string_view kLocalInputName = "xy_LOK";
inline constexpr std::string_view kLocalResultName = "xy_LOK.1";
inline constexpr std::string_view kReportName = "Raport.txt";
inline constexpr std::string_view kDataFileName = "TRANSPKT.BIN";

// The files of one run. "-" reads standard input (Input) or writes standard output (Result,
// Report); an empty Report writes no report.
struct RunFiles
{
    std::string Input, Result, Report;
};
// The files of the run of one direction under the fixed names in directory, for the national
// system systemCode.
RunFiles FixedRunFiles(Direction direction, const std::string& directory, std::int32_t systemCode);

} // namespace vorida
