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
#include <vector>

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
    std::optional<std::string> Output, Area, System, Digits;
};

// Parses the options a verb allows; nullopt (after a message) on wrong usage.
std::optional<Options> parseOptions(const std::vector<std::string>& args,
    const std::vector<std::string>& allowed, const char* help);

std::optional<std::int32_t> parseInt(const std::string& text);

bool readWholeFile(const std::string& path, std::string& contents);

// metres as millimetres with one decimal.
std::string millimetres(Extended metres);

// The verbs: each takes the arguments after its name.
int pack(const std::vector<std::string>& args);
int dump(const std::vector<std::string>& args);
int fit(const std::vector<std::string>& args);
int convert(const std::vector<std::string>& args);

extern const char* const kPackHelp;
extern const char* const kDumpHelp;
extern const char* const kFitHelp;
extern const char* const kConvertHelp;

} // namespace vorida::cli
