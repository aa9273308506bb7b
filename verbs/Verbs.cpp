#include "Verbs.h"

#include "VerbTable.h"

#include "Error.h"
#include "Run.h"
#include "VoridaVersion.h"

#include <exception>
#include <ostream>

namespace vorida::cli {

bool IsHelp(const std::string& a)
{
    return a == "--help" || a == "-h";
}

ExitStatus Usage(VerbStreams& io, std::string_view help, const std::string& complaint)
{
    if (!complaint.empty())
        io.Err << complaint << '\n';
    io.Err << help;
    return ExitStatus::Usage;
}

ExitStatus Usage(VerbStreams& io, const VerbRow& verb, const std::string& complaint)
{
    return Usage(io, HelpText(verb), complaint);
}

const char* const kConventionsText
    = "Każdą opcję z wartością można też podać jako --opcja=wartość. Zamiast pliku\n"
      "wejściowego lub wynikowego \"-\" oznacza standardowe wejście lub wyjście.\n"
      "vorida-cli --version: wersja programu.\n";

std::string ConventionsHelp()
{
    std::string statuses = "Kody wyjścia:";
    for (const ExitStatusText& text : ExitStatusTexts())
        statuses += (text.Status == ExitStatus::Ok ? " " : ", ")
            + std::to_string(static_cast<int>(text.Status)) + " " + std::string(text.Short);
    return kConventionsText + Wrapped(statuses + ".", 0, kHelpWidth) + "\n";
}

std::string VersionText()
{
    return std::string("vorida-cli ") + kVoridaVersion;
}

const std::vector<const VerbRow*>& VerbTable()
{
    static const std::vector<const VerbRow*> verbs
        = { &PackVerb(), &DumpVerb(), &FitVerb(), &ConvertVerb(), &VerifyVerb(), &PlotVerb() };
    return verbs;
}

std::string MainHelp()
{
    std::string help = "Użycie: vorida-cli POLECENIE [OPCJE]\nPolecenia:\n";
    for (const VerbRow* verb : VerbTable()) {
        std::string name(verb->Name);
        name.resize(9, ' ');
        help += "  " + name + std::string(verb->Summary) + "\n";
    }
    return help
        + "Pomoc polecenia: vorida-cli POLECENIE --help\n"
          "Wersja programu: vorida-cli --version\n";
}

namespace {

ExitStatus run(VerbStreams& io, std::string_view name, const std::vector<std::string>& args)
{
    if (IsHelp(std::string(name))) {
        io.Out << MainHelp();
        return ExitStatus::Ok;
    }
    if (name == "--version") {
        io.Out << VersionText() << '\n';
        return ExitStatus::Ok;
    }
    const VerbRow* verb = nullptr;
    for (const VerbRow* v : VerbTable())
        if (name == v->Name)
            verb = v;
    if (verb == nullptr)
        return Usage(io, MainHelp(), "Nieznane polecenie: " + std::string(name));
    for (const auto& a : args) {
        if (IsHelp(a)) {
            io.Out << HelpText(*verb) << ConventionsHelp();
            return ExitStatus::Ok;
        }
        if (a == "--version") {
            io.Out << VersionText() << '\n';
            return ExitStatus::Ok;
        }
    }
    const auto options = ParseOptions(io, args, *verb);
    if (!options)
        return ExitStatus::Usage;
    return verb->Run(io, *options);
}

} // namespace

int RunVerb(std::string_view verb, const std::vector<std::string>& args, VerbStreams& io)
{
    try {
        return static_cast<int>(run(io, verb, args));
    } catch (const Error& e) {
        // Each verb shows its own errors where they happen; one that got through is still ours.
        io.Err << e.what() << '\n';
    } catch (const std::exception& e) {
        io.Err << kInternalError << e.what() << '\n';
    }
    return static_cast<int>(ExitStatus::Failure);
}

int RunVerb(std::string_view verb, const std::vector<std::string>& args, std::ostream& out,
    std::ostream& err)
{
    VerbStreams io { out, err };
    return RunVerb(verb, args, io);
}

} // namespace vorida::cli
