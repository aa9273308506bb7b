// The verbs of vorida-cli as a library: another program (the area window) produces the same
// bytes in memory that the tool prints.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vorida::cli {

// Runs a verb (its name and the arguments after it) as vorida-cli would, its standard output
// and standard error into out and err; returns the exit status (ExitStatus as int).
int runVerb(std::string_view verb, const std::vector<std::string>& args, std::ostream& out,
    std::ostream& err);

} // namespace vorida::cli
