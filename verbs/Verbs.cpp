#include "Verbs.h"

#include "Common.h"

namespace vorida::cli {

const std::vector<const VerbSpec*>& allVerbs()
{
    static const std::vector<const VerbSpec*> verbs
        = { &packVerb(), &dumpVerb(), &fitVerb(), &convertVerb(), &verifyVerb(), &plotVerb() };
    return verbs;
}

std::string mainHelp()
{
    std::string help = "Użycie: vorida-cli POLECENIE [OPCJE]\nPolecenia:\n";
    for (const VerbSpec* verb : allVerbs()) {
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
    if (isHelp(std::string(name))) {
        io.Out << mainHelp();
        return ExitStatus::Ok;
    }
    if (name == "--version") {
        io.Out << versionText() << '\n';
        return ExitStatus::Ok;
    }
    const VerbSpec* verb = nullptr;
    for (const VerbSpec* v : allVerbs())
        if (name == v->Name)
            verb = v;
    if (verb == nullptr)
        return usage(io, mainHelp(), "Nieznane polecenie: " + std::string(name));
    for (const auto& a : args) {
        if (isHelp(a)) {
            io.Out << helpText(*verb) << conventionsHelp();
            return ExitStatus::Ok;
        }
        if (a == "--version") {
            io.Out << versionText() << '\n';
            return ExitStatus::Ok;
        }
    }
    const auto options = parseOptions(io, args, *verb);
    if (!options)
        return ExitStatus::Usage;
    return verb->Run(io, *options);
}

} // namespace

int runVerb(std::string_view verb, const std::vector<std::string>& args, std::ostream& out,
    std::ostream& err)
{
    VerbStreams io { out, err };
    try {
        return static_cast<int>(run(io, verb, args));
    } catch (const Error& e) {
        // Each verb shows its own errors where they happen; one that got through is still ours.
        err << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "Błąd wewnętrzny programu: " << e.what() << '\n';
    }
    return static_cast<int>(ExitStatus::Failure);
}

} // namespace vorida::cli
