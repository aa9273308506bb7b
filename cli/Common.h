// What the verbs of vorida-cli share: exit statuses, option parsing, the held messages and
// number helpers. Each verb lives in a source file of its own and only parses options and
// prints; the work is done by the libraries.
#pragma once

#include "Extended.h"
#include "Platform.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {
struct CheckPointFile;
}

namespace vorida::cli {

constexpr int kOk = 0, kFailure = 1, kUsage = 2;

bool isHelp(const std::string& a);

// Prints the complaint (when any) and the help to standard error; returns kUsage.
int usage(const char* help, const std::string& complaint = {});

// Messages are held until the outcome is known: the closing message of a complete run goes to
// standard output, everything else to standard error.
class CliPlatform : public ConsolePlatform
{
public:
    std::vector<std::string> Held;
    void ShowMessage(std::string_view text) override { Held.emplace_back(text); }
    void Release(std::ostream& out);
};

struct Options
{
    std::vector<std::string> Positional;
    std::string Directory = ".";
    bool ToLocal = false;
    bool Loo = false;
    std::optional<std::string> Output, Area, System, Digits, Check, Threads;
};

// Parses the options a verb allows; nullopt (after a message) on wrong usage.
std::optional<Options> parseOptions(const std::vector<std::string>& args,
    const std::vector<std::string>& allowed, const char* help);

bool readWholeFile(const std::string& path, std::string& contents);

// metres as millimetres with one decimal.
std::string millimetres(Extended metres);

// A table cell: a blank, then text right-aligned in width columns, so that wide values never
// run together.
void appendCell(std::string& row, std::string_view text, size_t width);
// The first cell of a row: a name (UTF-8) right-aligned in width characters, a Polish letter
// counting once. A name may hold blanks: a reader takes the cells after it from the right.
void appendName(std::string& row, std::string_view utf8, size_t width);

// Loads DIRECTORY/TRANSPKT.BIN into the program-wide values and computes the area's extents;
// false (after the message on standard error) when it cannot be read.
bool loadArea(const std::string& directory);

// Reads a check-point file; reports each unreadable line on standard error. False (after a
// message) when the file cannot be read.
bool readCheckPointFile(const std::string& path, CheckPointFile& file);

// The verbs: each takes the arguments after its name.
int pack(const std::vector<std::string>& args);
int dump(const std::vector<std::string>& args);
int fit(const std::vector<std::string>& args);
int convert(const std::vector<std::string>& args);
int verify(const std::vector<std::string>& args);
int plot(const std::vector<std::string>& args);

extern const char* const kPackHelp;
extern const char* const kDumpHelp;
extern const char* const kFitHelp;
extern const char* const kConvertHelp;
extern const char* const kVerifyHelp;
extern const char* const kPlotHelp;

} // namespace vorida::cli
