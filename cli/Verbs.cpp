#include "Verbs.h"

#include "Common.h"

namespace vorida::cli {

namespace {

struct Verb
{
    const char* Name;
    const char* const* Help;
    int (*Run)(VerbStreams&, const std::vector<std::string>&);
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

int runVerb(std::string_view verb, const std::vector<std::string>& args, std::ostream& out,
    std::ostream& err)
{
    VerbStreams io { out, err };
    if (isHelp(std::string(verb))) {
        out << kMainHelp;
        return kOk;
    }
    if (verb == "--version") {
        out << versionText() << '\n';
        return kOk;
    }
    const Verb* chosen = nullptr;
    for (const Verb& v : kVerbs)
        if (verb == v.Name)
            chosen = &v;
    if (chosen == nullptr)
        return usage(io, kMainHelp, "Nieznane polecenie: " + std::string(verb));
    for (const auto& a : args) {
        if (isHelp(a)) {
            out << *chosen->Help << kConventionsHelp;
            return kOk;
        }
        if (a == "--version") {
            out << versionText() << '\n';
            return kOk;
        }
    }
    return chosen->Run(io, args);
}

} // namespace vorida::cli
