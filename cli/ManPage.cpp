// vorida-cli-man FILE: writes the manual page of vorida-cli (roff, man(7)) from the verbs' option
// tables, so that it says what the help says.
#include "VerbTable.h"

#include <fstream>
#include <iostream>

using namespace vorida::cli;

namespace {

// Text as roff prints it: a backslash and a minus escaped, and no line taken for a request.
std::string roff(std::string_view text)
{
    std::string out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string optionHead(const OptionRow& spec)
{
    std::string head = "\\fB" + roff(spec.Name) + "\\fR";
    if (!spec.Value.empty())
        head += " \\fI" + roff(spec.Value) + "\\fR";
    return head;
}

std::string verbSection(const VerbRow& verb)
{
    std::string page = ".SS " + std::string(verb.Name) + "\n.nf\n" + roff(SynopsisText(verb, 0, 78))
        + "\n.fi\n.PP\n" + roff(verb.Description);
    for (const OptionRow& spec : verb.Table)
        page += ".TP\n" + optionHead(spec) + "\n" + roff(spec.Help) + "\n";
    return page;
}

// How the tool writes its files (docs/command-line.md says the same at length).
const char* const kFilesText
    = "Każdy plik wynikowy powstaje obok swojego miejsca pod nazwą tymczasową\n"
      "(.NAZWA.PID-HHHH-xxxxxxxx.tmp, z uprawnieniami pliku docelowego od początku) i zajmuje\n"
      "je dopiero cały; po błędzie i po sygnale kończącym program (także SIGPIPE, SIGQUIT)\n"
      "plik tymczasowy znika, a stary plik zostaje bajt w bajt. Plik tymczasowy przerwanego\n"
      "na dobre programu (SIGKILL) usuwa następny zapis tego pliku.\n"
      ".PP\n"
      "Zwykły plik użytkownika jest zastępowany przez zmianę nazwy (Windows: ReplaceFileW).\n"
      "Plik z innymi dowiązaniami twardymi, innego właściciela lub grupy albo z wpisami ACL\n"
      "jest zapisywany w miejscu: jego stara treść zostaje najpierw skopiowana obok\n"
      "(.NAZWA.PID-HHHH-xxxxxxxx.old) i wraca po błędzie; i-węzeł, dowiązania, właściciel,\n"
      "uprawnienia i ACL zostają. Plik chroniony przed zapisem jest odrzucany (\"plik tylko do\n"
      "odczytu\"). Łącze symboliczne prowadzi do pliku, który jest zastępowany; łącze\n"
      "wskazujące na brakujący katalog jest odrzucane z nazwą celu.\n"
      ".PP\n"
      "Wynik i raport to jeden wynik: oba są sprawdzane przed zajęciem miejsca, a gdy drugi nie\n"
      "może go zająć, pierwszy wraca. Tuż przed zapisem każdy plik wynikowy jest porównywany z\n"
      "otwartymi plikami wejściowymi. Pusta nazwa pliku to błąd użycia (kod 2).\n";

std::string manPage()
{
    std::string page = ".\\\" -*- coding: UTF-8 -*-\n.TH VORIDA\\-CLI 1 \"\" \""
        + roff(VersionText())
        + "\" \"Polecenia użytkownika\"\n"
          ".SH NAZWA\n"
          "vorida\\-cli \\- praca programu bez okien: pliki obszaru, ocena obszaru, przeliczenie "
          "plików punktów\n"
          ".SH SKŁADNIA\n"
          ".B vorida\\-cli\n"
          ".I POLECENIE\n"
          "[\\fIOPCJE\\fR]\n"
          ".br\n"
          ".B vorida\\-cli\n"
          "\\fIPOLECENIE\\fR \\fB\\-\\-help\\fR | \\fB\\-\\-version\\fR\n"
          ".SH OPIS\n"
          "Polecenia:\n";
    for (const VerbRow* verb : VerbTable())
        page += ".TP\n.B " + std::string(verb->Name) + "\n" + roff(verb->Summary) + "\n";
    page += ".SH POLECENIA\n";
    for (const VerbRow* verb : VerbTable())
        page += verbSection(*verb);
    page += ".SH WSPÓLNE ZASADY\n" + roff(kConventionsText) + ".SH PLIKI\n" + roff(kFilesText)
        + ".SH KODY WYJŚCIA\n";
    for (const ExitStatusText& text : ExitStatusTexts())
        page += ".TP\n.B " + std::to_string(static_cast<int>(text.Status)) + "\n" + roff(text.Whole)
            + "\n";
    return page;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "Użycie: vorida-cli-man PLIK\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << manPage();
    out.close();
    if (!out) {
        std::cerr << "Nie można zapisać pliku " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
