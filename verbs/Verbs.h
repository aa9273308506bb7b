// The verbs of vorida-cli as a library: the program (cli/main.cpp) and the tests run a verb with
// its arguments and two streams.
#pragma once

#include "VerbStreams.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vorida::cli {

// Runs a verb (its name and the arguments after it) as vorida-cli would, its standard output
// and standard error into out and err; returns the exit status (ExitStatus as int).
int RunVerb(std::string_view verb, const std::vector<std::string>& args, std::ostream& out,
    std::ostream& err);
// The same on io, which keeps what the verb said of its standard output.
int RunVerb(std::string_view verb, const std::vector<std::string>& args, VerbStreams& io);

} // namespace vorida::cli
