// What the area verbs (fit, verify, plot) share beyond the common options: --tolerance MM,
// --exclude NAME[,NAME...], --scale N and --center NAME read into numbers and names, and the one
// preamble that loads the area, leaves the excluded points out and fits the rest.
#pragma once

#include "AreaFiles.h"
#include "Extended.h"
#include "UTrKonfAf.h"
#include "VerbTable.h"

#include <optional>
#include <string>
#include <vector>

namespace vorida::cli {

struct AreaOptions
{
    std::optional<Extended> Tolerance; // metres
    std::vector<std::string> Exclude; // names as given (UTF-8)
    std::optional<Extended> Scale; // the map scale's denominator
    std::optional<std::string> Center; // the name of the point the map is centred on (UTF-8)
};

// The area options of o as numbers and names; nullopt after a usage message when a value is
// wrong.
std::optional<AreaOptions> ReadAreaOptions(VerbStreams& io, const VerbRow& verb, const Options& o);

// The area a verb works on once the preamble is through.
struct PreparedArea
{
    RunArea Whole; // the area file as read: every adjustment point, the area's name and code
    std::vector<bool> Excluded; // by adjustment point of Whole, --exclude
    TPktDostosowania Kept; // the adjustment points not excluded
    TTrKonfAf Fit; // fitted on Kept for the verb's direction
};

// The preamble of fit, verify and plot: loads the area file (areaPath) with its extents, marks
// the points of --exclude, fits the rest for the direction as the run does (FitArea; its words
// for a refusal on standard error) and prints the area's warnings. ExitStatus::Ok when area is
// ready; otherwise the status, after the message. Everything the verb works on is in area, so
// verbs on different areas may run in one process at the same time.
ExitStatus PrepareArea(VerbStreams& io, const Options& o, const AreaOptions& options,
    Direction direction, PreparedArea& area);

// Marks in excluded (sized to points) every adjustment point named in names. False after a
// message on standard error when a name is no adjustment point's.
bool MarkExcluded(VerbStreams& io, const TPktDostosowania& points,
    const std::vector<std::string>& names, std::vector<bool>& excluded);

// The points not marked.
TPktDostosowania WithoutExcluded(const TPktDostosowania& points, const std::vector<bool>& excluded);

// ComputationFailureText of the error on standard error; ExitStatus::Failure.
ExitStatus ComputationFailed(VerbStreams& io, const Error& e);

} // namespace vorida::cli
