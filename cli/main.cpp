// vorida-cli: the program's work without windows. Verbs: pack, dump, fit, convert, verify,
// plot. docs/command-line.md describes each.
// Exit status: 0 success, 1 failure, 2 wrong usage, 3 (convert --strict) defective points.
#include "Common.h"

#include <iostream>
#include <string>
#include <vector>

using namespace vorida::cli;

namespace {

const char* const kMainHelp = "Użycie: vorida-cli POLECENIE [OPCJE]\n"
                              "Polecenia:\n"
                              "  pack     tekst punktów dostosowania -> TRANSPKT.BIN\n"
                              "  dump     TRANSPKT.BIN -> tekst\n"
                              "  fit      dopasowanie transformacji i odchyłki na punktach\n"
                              "  convert  przeliczenie pliku punktów (jak przycisk programu)\n"
                              "  verify   dokładność przeliczenia na punktach kontrolnych\n"
                              "  plot     rysunek obszaru (SVG) z odchyłkami\n"
                              "Pomoc polecenia: vorida-cli POLECENIE --help\n"
                              "Wersja programu: vorida-cli --version\n";

struct Verb
{
    const char* Name;
    const char* const* Help;
    int (*Run)(const std::vector<std::string>&);
};

const Verb kVerbs[] = {
    { "pack", &kPackHelp, pack },
    { "dump", &kDumpHelp, dump },
    { "fit", &kFitHelp, fit },
    { "convert", &kConvertHelp, convert },
    { "verify", &kVerifyHelp, verify },
    { "plot", &kPlotHelp, plot },
};

} // namespace

int main(int argc, char** argv)
{
    vorida::UseUtf8Console();
    watchStandardOutput();
    // A file being written whole goes away with the program when it is interrupted.
    vorida::InstallInterruptRemoval();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage(kMainHelp);
    const std::string verb = args[0];
    args.erase(args.begin());
    if (isHelp(verb)) {
        std::cout << kMainHelp;
        return finishStandardOutput(kOk);
    }
    if (verb == "--version") {
        std::cout << versionText() << '\n';
        return finishStandardOutput(kOk);
    }
    const Verb* chosen = nullptr;
    for (const Verb& v : kVerbs)
        if (verb == v.Name)
            chosen = &v;
    if (chosen == nullptr)
        return usage(kMainHelp, "Nieznane polecenie: " + verb);
    for (const auto& a : args) {
        if (isHelp(a)) {
            std::cout << *chosen->Help << kConventionsHelp;
            return finishStandardOutput(kOk);
        }
        if (a == "--version") {
            std::cout << versionText() << '\n';
            return finishStandardOutput(kOk);
        }
    }
    return finishStandardOutput(chosen->Run(args));
}
