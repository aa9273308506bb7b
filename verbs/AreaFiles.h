// The files of the area verbs: which area file a verb reads and how it is loaded, and the
// check-point file.
#pragma once

#include "CliPlatform.h"
#include "Options.h"
#include "VerbStreams.h"

#include "Run.h"

#include <string>

namespace vorida {
struct CheckPointFile;
}

namespace vorida::cli {

// The message of an area file that cannot be read, naming it and the reason.
std::string AreaReadFailure(const std::string& path);

// The area file of a verb: --area FILE; else TRANSPKT.BIN in --dir; else TRANSPKT.BIN in the
// working directory, and when there is none there, the one beside the executable (the one
// looked up is named on standard error unless tell is false).
std::string AreaPath(VerbStreams& io, const Options& o, bool tell = true);

// Loads the area file (areaPath) into area with its extents; false (after the message on
// standard error) when it cannot be read.
bool LoadArea(VerbStreams& io, const Options& o, RunArea& area);

// Loads the area file at path into area with its extents, its read failure held in messages
// with the file named.
void LoadAreaFile(VerbStreams& io, const std::string& path, CliPlatform& messages, RunArea& area);

// Reads a check-point file; reports each unreadable line on standard error. False (after a
// message) when the file cannot be read.
bool ReadCheckPointFile(VerbStreams& io, const std::string& path, CheckPointFile& file);

} // namespace vorida::cli
