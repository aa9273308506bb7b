// vorida-cli: the program's work without windows. Verbs: pack, dump, fit, convert, verify,
// plot (the library vorida_verbs); docs/command-line.md describes each, and ExitStatus in
// Common.h the exit statuses.
#include "Common.h"
#include "Verbs.h"

#include <iostream>
#include <string>
#include <vector>

using namespace vorida::cli;

int main(int argc, char** argv)
{
    vorida::UseUtf8Console();
    watchStandardOutput();
    // A file being written whole goes away with the program when it is interrupted.
    vorida::InstallInterruptRemoval();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        VerbStreams io { std::cout, std::cerr };
        return static_cast<int>(usage(io, mainHelp()));
    }
    const std::string verb = args[0];
    args.erase(args.begin());
    return finishStandardOutput(runVerb(verb, args, std::cout, std::cerr));
}
