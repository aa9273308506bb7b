// The one option model of vorida-cli: each verb declares its options in a table (name, value,
// destination, Polish help line); one parser reads them, and the verb's help and the manual
// page are written from the same tables.
#pragma once

#include "Direction.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vorida::cli {

// What the command line gave a verb, each option as text (a verb reads its numbers itself).
struct Options
{
    std::vector<std::string> Operands; // the arguments that are no option, in order
    vorida::Direction Direction = Direction::LocalToNational; // --to-local: national to local
    bool Loo = false, Strict = false, Verbose = false;
    std::optional<std::string> Dir, Output, Area, System, Digits, Check, Threads, Report, Tolerance,
        Scale, Center;
    std::vector<std::string> Exclude; // every --exclude, in order

    // The folder of --dir, or the working directory.
    std::string Directory() const { return Dir.value_or("."); }
};

// Where an option goes: a switch (no value; one for the direction turns it to national to
// local), a value (the last one given counts), or a list (every value given).
using OptionField = std::variant<bool Options::*, vorida::Direction Options::*,
    std::optional<std::string> Options::*, std::vector<std::string> Options::*>;

struct OptionRow
{
    std::string_view Name; // "--dir", "-o"
    std::string_view Value; // the value's name in the help ("KATALOG"); empty for a switch
    OptionField Field;
    std::string Help; // one Polish sentence or a few
    bool Path = false; // the value is a file or a folder
    bool Required = false; // shown without brackets in the synopsis
};

struct VerbStreams;
struct VerbRow;

// Reads args against the verb's table, each option as "--opt value" or "--opt=value"; nullopt
// (after the complaint and the help on standard error) on wrong usage. A lone "-" is an operand
// (standard input or output).
std::optional<Options> ParseOptions(
    VerbStreams& io, const std::vector<std::string>& args, const VerbRow& verb);

// The help of a verb: its synopsis, its description and a line for each option.
std::string HelpText(const VerbRow& verb);

// The rows of the option tables that several verbs share.
OptionRow DirOption();
OptionRow AreaOption();
OptionRow ToLocalOption();
OptionRow ExcludeOption(std::string help);
OptionRow ToleranceOption(std::string help);
OptionRow ThreadsOption(std::string help);
OptionRow DigitsOption(std::string help);

// --threads N of every verb: 1 to kMaximumThreads, 0 when not given (one a core); nullopt after
// a usage message. Any count a verb accepted before is still accepted: the area verbs use at
// most one thread for 32 points, so a large count costs them nothing.
inline constexpr std::int32_t kMaximumThreads = 256;
std::optional<unsigned> ReadThreads(VerbStreams& io, const VerbRow& verb, const Options& o);

// The width of the help's lines, in characters.
inline constexpr size_t kHelpWidth = 92;

// text's words in lines of at most width characters, the later ones indented by indent blanks.
std::string Wrapped(std::string_view text, size_t indent, size_t width);

// The synopsis of a verb without the word "Użycie:" ("vorida-cli fit [--dir KATALOG] ...").
std::string SynopsisText(const VerbRow& verb, size_t indent, size_t width);

} // namespace vorida::cli
