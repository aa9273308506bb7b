// vorida-cli: the program's work without windows. Verbs: pack, dump, fit, convert, verify,
// plot (the library vorida_verbs in verbs/); docs/command-line.md describes each, and ExitStatus
// in VerbStreams.h the exit statuses.
#include "VerbStreams.h"
#include "VerbTable.h"
#include "Verbs.h"

#include "System.h"

#include <iostream>
#include <string>
#include <vector>

using namespace vorida::cli;

int main(int argc, char** argv)
{
    vorida::UseUtf8Console();
    StandardOutput standardOutput;
    // A file being written whole goes away with the program when it is interrupted.
    vorida::InstallInterruptRemoval();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        VerbStreams io { std::cout, std::cerr };
        return static_cast<int>(Usage(io, MainHelp()));
    }
    const std::string verb = args[0];
    args.erase(args.begin());
    VerbStreams io { std::cout, std::cerr };
    return standardOutput.Finish(RunVerb(verb, args, io), io);
}
