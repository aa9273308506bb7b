// vorida-cli: the program's work without windows. Verbs: pack, dump, fit, convert.
// Exit status: 0 success, 1 failure, 2 wrong usage.
#include "Cp1250.h"
#include "Numbers.h"
#include "Platform.h"
#include "TranspktText.h"
#include "UTransPkt.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace vorida;

namespace {

constexpr int kOk = 0, kFailure = 1, kUsage = 2;

const char* const kMainHelp = "Użycie: vorida-cli POLECENIE [OPCJE]\n"
                              "Polecenia:\n"
                              "  pack     tekst punktów dostosowania -> TRANSPKT.BIN\n"
                              "  dump     TRANSPKT.BIN -> tekst\n"
                              "  fit      dopasowanie transformacji i odchyłki na punktach\n"
                              "  convert  przeliczenie pliku punktów (jak przycisk programu)\n"
                              "Pomoc polecenia: vorida-cli POLECENIE --help\n";

const char* const kPackHelp
    = "Użycie: vorida-cli pack PUNKTY.txt -o TRANSPKT.BIN [--area NAZWA] [--system KOD]\n"
      "Tworzy plik TRANSPKT.BIN z tekstu UTF-8: jeden punkt w linii,\n"
      "  nazwa<TAB>x lok.<TAB>y lok.<TAB>x kraj.<TAB>y kraj.  (bez tabulatorów: odstępy),\n"
      "linie nagłówka @area<TAB>nazwa obszaru, @system<TAB>kod, @skipped<TAB>liczba,\n"
      "linie puste i komentarze # są pomijane. Opcje zastępują nagłówki.\n";

const char* const kDumpHelp = "Użycie: vorida-cli dump TRANSPKT.BIN\n"
                              "Wypisuje plik jako tekst polecenia pack (dokładne wartości).\n";

const char* const kFitHelp
    = "Użycie: vorida-cli fit [--dir KATALOG] [--to-local]\n"
      "Dopasowuje wielomian 3. stopnia na punktach KATALOG/TRANSPKT.BIN (domyślnie bieżący\n"
      "katalog), kierunek lokalny -> krajowy (--to-local: odwrotnie), i wypisuje odchyłki\n"
      "vx, vy, v w milimetrach oraz błąd średni m0.\n";

const char* const kConvertHelp
    = "Użycie: vorida-cli convert [--dir KATALOG] [--to-local] [--digits N]\n"
      "Przelicza plik punktów w KATALOGU (domyślnie bieżący) tak jak przycisk programu:\n"
      "xy_LOK -> xy2000.1 (--to-local: xy2000 -> xy_LOK.1) i Raport.txt; N miejsc po\n"
      "przecinku (domyślnie 2).\n";

bool isHelp(const std::string& a)
{
    return a == "--help" || a == "-h";
}

int usage(const char* help, const std::string& complaint = {})
{
    if (!complaint.empty())
        std::cerr << complaint << '\n';
    std::cerr << help;
    return kUsage;
}

// Messages are held until the outcome is known: the closing message of a complete run goes to
// standard output, everything else to standard error.
class CliPlatform : public ConsolePlatform
{
public:
    std::vector<std::string> Held;
    void ShowMessage(std::string_view text) override { Held.emplace_back(text); }
    void Release(std::ostream& out)
    {
        for (std::string text : Held) {
            for (char& c : text)
                if (c == '\r')
                    c = '\n';
            out << text << '\n';
        }
        Held.clear();
    }
};

struct Options
{
    std::vector<std::string> Positional;
    std::string Directory = ".";
    bool ToLocal = false;
    std::optional<std::string> Output, Area, System, Digits;
};

// Parses the options a verb allows; nullopt (after a message) on wrong usage.
std::optional<Options> parseOptions(
    const std::vector<std::string>& args, const std::vector<std::string>& allowed, const char* help)
{
    Options o;
    auto allows = [&](const std::string& name) {
        for (const auto& a : allowed)
            if (a == name)
                return true;
        return false;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (!a.empty() && a[0] == '-' && a != "-") {
            if (!allows(a)) {
                usage(help, "Nieznana opcja: " + a);
                return std::nullopt;
            }
            if (a == "--to-local") {
                o.ToLocal = true;
                continue;
            }
            auto v = value();
            if (!v) {
                usage(help, "Brak wartości opcji " + a);
                return std::nullopt;
            }
            if (a == "--dir")
                o.Directory = *v;
            else if (a == "-o")
                o.Output = v;
            else if (a == "--area")
                o.Area = v;
            else if (a == "--system")
                o.System = v;
            else if (a == "--digits")
                o.Digits = v;
        } else {
            o.Positional.push_back(a);
        }
    }
    return o;
}

std::optional<std::int32_t> parseInt(const std::string& text)
{
    std::int32_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return v;
}

bool readWholeFile(const std::string& path, std::string& contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    contents = ss.str();
    return !in.bad();
}

int pack(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "-o", "--area", "--system" }, kPackHelp);
    if (!o)
        return kUsage;
    if (o->Positional.size() != 1 || !o->Output)
        return usage(kPackHelp, "Podaj plik tekstowy i -o TRANSPKT.BIN.");
    std::string text;
    if (!readWholeFile(o->Positional[0], text)) {
        std::cerr << "Nie można odczytać pliku " << o->Positional[0] << '\n';
        return kFailure;
    }
    TranspktFile contents;
    try {
        contents = ParseTranspktText(text);
        if (o->Area)
            contents.AreaName = Utf8ToCp1250(*o->Area);
    } catch (const std::exception& e) {
        std::cerr << o->Positional[0] << ": " << e.what() << '\n';
        return kFailure;
    }
    if (o->System) {
        auto code = parseInt(*o->System);
        if (!code)
            return usage(kPackHelp, "Niepoprawny kod układu: " + *o->System);
        contents.SystemCode = *code;
    }
    if (!WriteTranspktFile(*o->Output, contents)) {
        std::cerr << "Nie można zapisać pliku " << *o->Output << '\n';
        return kFailure;
    }
    return kOk;
}

int dump(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, {}, kDumpHelp);
    if (!o)
        return kUsage;
    if (o->Positional.size() != 1)
        return usage(kDumpHelp, "Podaj jeden plik TRANSPKT.BIN.");
    TranspktFile contents;
    try {
        TPktBIN loader;
        loader.ReadFile(o->Positional[0], contents);
    } catch (const TranspktReadError&) {
        std::cerr << kTranspktReadError << '\n';
        return kFailure;
    }
    std::cout << DumpTranspktText(contents);
    return std::cout.good() ? kOk : kFailure;
}

std::string millimetres(Extended metres)
{
    return FormatDecimals(metres * 1000.0L, 1);
}

int fit(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--to-local" }, kFitHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kFitHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    CliPlatform messages;
    ScopedPlatform scope(messages);
    LoadPointFile(PathIn(o->Directory, kDataFileName));
    if (!messages.Held.empty()) {
        messages.Release(std::cerr);
        return kFailure;
    }
    try {
        TrKonfAf.Fit(AdjustmentPoints, 3, o->ToLocal, 1);
    } catch (const std::exception& e) {
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    const TTrKonfAf& t = TrKonfAf;
    std::cout << "Obszar: " << Cp1250ToUtf8(AreaName) << '\n';
    std::cout << "Kierunek: " << (o->ToLocal ? "krajowy -> lokalny" : "lokalny -> krajowy") << '\n';
    std::cout << "Punktów dostosowania: " << t.PointCount << '\n';
    std::cout << "Układ osobliwy: " << (t.Singular ? "tak" : "nie") << '\n';
    std::string header;
    AppendRight(header, "nazwa", 16);
    AppendRight(header, "vx [mm]", 10);
    AppendRight(header, "vy [mm]", 10);
    AppendRight(header, "v [mm]", 10);
    std::cout << header << '\n';
    for (std::int32_t i = 1; i <= t.PointCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const Extended vx = t.ResidualX[k], vy = t.ResidualY[k];
        std::string row;
        AppendRight(row, Cp1250ToUtf8(AdjustmentPoints[k - 1].Name), 16);
        AppendRight(row, millimetres(vx), 10);
        AppendRight(row, millimetres(vy), 10);
        AppendRight(row, millimetres(std::sqrt(vx * vx + vy * vy)), 10);
        std::cout << row << '\n';
    }
    // Entry 1 of the solved equations is the sum of the squared residuals.
    const std::int32_t redundant = 2 * t.PointCount - 2 * (t.Degree + 1);
    if (redundant > 0 && !t.Singular)
        std::cout << "m0 = "
                  << millimetres(std::sqrt(t.Coefficients[1] / static_cast<Extended>(redundant)))
                  << " mm\n";
    else
        std::cout << "m0 = -\n";
    return t.Singular ? kFailure : kOk;
}

int convert(const std::vector<std::string>& args)
{
    auto o = parseOptions(args, { "--dir", "--to-local", "--digits" }, kConvertHelp);
    if (!o)
        return kUsage;
    if (!o->Positional.empty())
        return usage(kConvertHelp, "Nieoczekiwany argument: " + o->Positional[0]);
    std::int32_t digits = 2;
    if (o->Digits) {
        auto d = parseInt(*o->Digits);
        if (!d)
            return usage(kConvertHelp, "Niepoprawna liczba miejsc: " + *o->Digits);
        digits = *d;
    }
    CliPlatform messages;
    ScopedPlatform scope(messages);
    // As at the program's start: load the area (a failure shows its message and goes on).
    LoadPointFile(PathIn(o->Directory, kDataFileName));
    ComputeAreaExtents();
    RoundingDigits = digits;
    bool complete = false;
    try {
        complete = TransPkt.TransformFile(!o->ToLocal, o->Directory);
    } catch (const std::exception& e) {
        messages.Release(std::cerr);
        std::cerr << "Błąd obliczeń: " << e.what() << '\n';
        return kFailure;
    }
    messages.Release(complete ? std::cout : std::cerr);
    return complete ? kOk : kFailure;
}

} // namespace

int main(int argc, char** argv)
{
    UseUtf8Console();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage(kMainHelp);
    const std::string verb = args[0];
    args.erase(args.begin());
    if (isHelp(verb)) {
        std::cout << kMainHelp;
        return kOk;
    }
    const char* help = verb == "pack" ? kPackHelp
        : verb == "dump"              ? kDumpHelp
        : verb == "fit"               ? kFitHelp
        : verb == "convert"           ? kConvertHelp
                                      : nullptr;
    if (help == nullptr)
        return usage(kMainHelp, "Nieznane polecenie: " + verb);
    for (const auto& a : args)
        if (isHelp(a)) {
            std::cout << help;
            return kOk;
        }
    if (verb == "pack")
        return pack(args);
    if (verb == "dump")
        return dump(args);
    if (verb == "fit")
        return fit(args);
    return convert(args);
}
