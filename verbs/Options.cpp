#include "Options.h"

#include "VerbTable.h"

#include "System.h"

#include "Numbers.h"

#include <algorithm>

namespace vorida::cli {

namespace {

// On Windows a backslash before a closing quote escapes it: --dir "C:\Pomiary\" takes the
// quote and every later argument into the path. A Windows path never holds a quote.
bool quoteSwallowed(const std::string& value)
{
    return kPathSeparator == '\\' && value.find('"') != std::string::npos;
}

const char* const kQuoteHelp
    = "Ścieżka zawiera cudzysłów, a dalsze opcje stały się jej częścią: ukośnik odwrotny tuż\n"
      "przed zamykającym cudzysłowem (\"C:\\Pomiary\\\") wyłącza ten cudzysłów. Napisz katalog\n"
      "bez końcowego ukośnika (\"C:\\Pomiary\") albo z podwójnym (\"C:\\Pomiary\\\\\").\n";

const OptionRow* findOption(const VerbRow& verb, std::string_view name)
{
    for (const OptionRow& spec : verb.Table)
        if (spec.Name == name)
            return &spec;
    return nullptr;
}

// Characters, not bytes: a Polish letter takes one column.
size_t columns(std::string_view utf8)
{
    return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(),
        [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// words joined into lines of at most width columns, the first starting at column start, every
// later one indented by indent blanks.
std::string wrap(const std::vector<std::string>& words, size_t start, size_t indent, size_t width)
{
    std::string text;
    size_t column = start;
    bool lineEmpty = true;
    for (const std::string& word : words) {
        if (!lineEmpty && column + 1 + columns(word) > width) {
            text += '\n' + std::string(indent, ' ');
            column = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            text += ' ';
            ++column;
        }
        text += word;
        column += columns(word);
        lineEmpty = false;
    }
    return text;
}

std::vector<std::string> wordsOf(std::string_view text)
{
    std::vector<std::string> words;
    size_t start = 0;
    while (start < text.size()) {
        const size_t blank = std::min(text.find_first_of(" \n", start), text.size());
        if (blank > start)
            words.emplace_back(text.substr(start, blank - start));
        start = blank + 1;
    }
    return words;
}

constexpr size_t kOptionColumn = 24;

} // namespace

std::optional<Options> ParseOptions(
    VerbStreams& io, const std::vector<std::string>& args, const VerbRow& verb)
{
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string a = args[i];
        if (a.empty() || a[0] != '-' || a == "-") {
            if (a.empty()) {
                Usage(io, verb, "Pusta nazwa pliku.");
                return std::nullopt;
            }
            if (quoteSwallowed(a)) {
                Usage(io, verb, a + "\n" + kQuoteHelp);
                return std::nullopt;
            }
            o.Operands.push_back(a);
            continue;
        }
        // --opt=value: the value after the first "=".
        std::optional<std::string> attached;
        if (const size_t equals = a.find('=');
            a.size() > 2 && a.compare(0, 2, "--") == 0 && equals != std::string::npos) {
            attached = a.substr(equals + 1);
            a.resize(equals);
        }
        const OptionRow* spec = findOption(verb, a);
        if (spec == nullptr) {
            Usage(io, verb, "Nieznana opcja: " + a);
            return std::nullopt;
        }
        const auto flag = std::get_if<bool Options::*>(&spec->Field);
        const auto turn = std::get_if<vorida::Direction Options::*>(&spec->Field);
        if (flag != nullptr || turn != nullptr) {
            if (attached) {
                Usage(io, verb, "Opcja " + a + " nie przyjmuje wartości");
                return std::nullopt;
            }
            if (flag != nullptr)
                o.** flag = true;
            else
                o.** turn = Direction::NationalToLocal;
            continue;
        }
        if (!attached && i + 1 >= args.size()) {
            Usage(io, verb, "Brak wartości opcji " + a);
            return std::nullopt;
        }
        const std::string value = attached ? *attached : args[++i];
        if (spec->Path && value.empty()) {
            Usage(io, verb, "Opcja " + a + ": pusta nazwa pliku lub katalogu.");
            return std::nullopt;
        }
        if (spec->Path && quoteSwallowed(value)) {
            Usage(io, verb, "Opcja " + a + ": " + value + "\n" + kQuoteHelp);
            return std::nullopt;
        }
        if (const auto text = std::get_if<std::optional<std::string> Options::*>(&spec->Field))
            o.** text = value;
        else
            (o.*std::get<std::vector<std::string> Options::*>(spec->Field)).push_back(value);
    }
    return o;
}

OptionRow DirOption()
{
    return { "--dir", "KATALOG", &Options::Dir,
        "katalog plików: TRANSPKT.BIN stąd (domyślnie z bieżącego katalogu, a gdy go tam nie "
        "ma, plik obok programu)",
        true };
}

OptionRow AreaOption()
{
    return { "--area", "PLIK", &Options::Area, "ten plik obszaru zamiast TRANSPKT.BIN", true };
}

OptionRow ToLocalOption()
{
    return { "--to-local", "", &Options::Direction,
        "kierunek krajowy -> lokalny (domyślnie lokalny -> krajowy)" };
}

OptionRow ExcludeOption(std::string help)
{
    return { "--exclude", "NAZWA[,NAZWA...]", &Options::Exclude,
        std::move(help) + "; przecinek w nazwie jako \\," };
}

OptionRow ToleranceOption(std::string help)
{
    return { "--tolerance", "MM", &Options::Tolerance, std::move(help) };
}

OptionRow ThreadsOption(std::string help)
{
    return { "--threads", "N", &Options::Threads, std::move(help) };
}

OptionRow DigitsOption(std::string help)
{
    return { "--digits", "N", &Options::Digits, std::move(help) };
}

std::optional<unsigned> ReadThreads(VerbStreams& io, const VerbRow& verb, const Options& o)
{
    if (!o.Threads)
        return 0u;
    const auto n = ParseInt32(*o.Threads);
    if (!n || *n < 1 || *n > kMaximumThreads) {
        Usage(io, verb, "Niepoprawna liczba wątków: " + *o.Threads);
        return std::nullopt;
    }
    return static_cast<unsigned>(*n);
}

std::string Wrapped(std::string_view text, size_t indent, size_t width)
{
    return wrap(wordsOf(text), indent, indent, width);
}

std::string SynopsisText(const VerbRow& verb, size_t indent, size_t width)
{
    std::vector<std::string> words;
    if (!verb.Operands.empty())
        words.emplace_back(verb.Operands);
    for (const OptionRow& spec : verb.Table) {
        std::string word(spec.Name);
        if (!spec.Value.empty()) {
            word += ' ';
            word += spec.Value;
        }
        words.push_back(spec.Required ? word : "[" + word + "]");
    }
    const std::string head = "vorida-cli " + std::string(verb.Name);
    return head + " " + wrap(words, indent + columns(head) + 1, indent + columns(head) + 1, width);
}

std::string HelpText(const VerbRow& verb)
{
    std::string help = "Użycie: " + SynopsisText(verb, 8, kHelpWidth) + "\n" + verb.Description;
    if (verb.Table.empty())
        return help;
    help += "Opcje:\n";
    for (const OptionRow& spec : verb.Table) {
        std::string head = "  " + std::string(spec.Name);
        if (!spec.Value.empty()) {
            head += ' ';
            head += spec.Value;
        }
        if (columns(head) + 2 > kOptionColumn)
            head += "\n" + std::string(kOptionColumn, ' ');
        else
            head += std::string(kOptionColumn - columns(head), ' ');
        help += head + wrap(wordsOf(spec.Help), kOptionColumn, kOptionColumn, kHelpWidth) + "\n";
    }
    return help;
}

} // namespace vorida::cli
