// The options the area verbs (fit, verify, plot) share beyond the common ones: --tolerance MM,
// --exclude NAME[,NAME...] and --scale N. Each verb takes its own out of the arguments before the
// common parsing.
#pragma once

#include "Common.h"
#include "Extended.h"
#include "UTrKonfAf.h"

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

// Takes the options named in wanted ("--tolerance", "--exclude", "--scale"), as "--opt VALUE"
// or "--opt=VALUE", out of args. Nullopt after a usage message when a value is missing or
// wrong.
std::optional<AreaOptions> takeAreaOptions(VerbStreams& io, std::vector<std::string>& args,
    const std::vector<std::string>& wanted, const char* help);

// Marks in excluded (sized to points) every adjustment point named in names. False after a
// message on standard error when a name is no adjustment point's.
bool markExcluded(VerbStreams& io, const TPktDostosowania& points,
    const std::vector<std::string>& names, std::vector<bool>& excluded);

// The points not marked.
TPktDostosowania withoutExcluded(const TPktDostosowania& points, const std::vector<bool>& excluded);

// The names of the marked points (UTF-8), joined by ", ".
std::string excludedNames(const TPktDostosowania& points, const std::vector<bool>& excluded);

// --threads N of the area verbs (1 to 16); nullopt after a usage message.
std::optional<unsigned> parseAreaThreads(
    VerbStreams& io, const std::optional<std::string>& text, const char* help);

} // namespace vorida::cli
