#include "Common.h"

#include "CheckPoints.h"
#include "LineIO.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include <charconv>
#include <fstream>
#include <iostream>
#include <sstream>

namespace vorida::cli {

bool isHelp(const std::string& a)
{
    return a == "--help" || a == "-h";
}

int usage(const char* help, const std::string& complaint)
{
    if (!complaint.empty())
        std::cerr << complaint << '\n';
    std::cerr << help;
    return kUsage;
}

void CliPlatform::Release(std::ostream& out)
{
    for (const std::string& text : Held)
        out << ConsoleMessage(text);
    Held.clear();
}

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
            if (a == "--loo") {
                o.Loo = true;
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
            else if (a == "--threads")
                o.Threads = v;
            else if (a == "--check")
                o.Check = v;
        } else {
            o.Positional.push_back(a);
        }
    }
    return o;
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

std::string millimetres(Extended metres)
{
    return FormatDecimals(metres * 1000.0L, 1);
}

void appendCell(std::string& row, std::string_view text, size_t width)
{
    row += ' ';
    AppendRight(row, text, width);
}

void appendName(std::string& row, std::string_view utf8, size_t width)
{
    size_t letters = 0;
    for (char c : utf8)
        letters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (letters < width)
        row.append(width - letters, ' ');
    row += utf8;
}

bool loadArea(const std::string& directory)
{
    CliPlatform messages;
    ScopedPlatform scope(messages);
    LoadPointFile(PathIn(directory, kDataFileName));
    ComputeAreaExtents();
    if (messages.Held.empty())
        return true;
    messages.Release(std::cerr);
    return false;
}

bool readCheckPointFile(const std::string& path, CheckPointFile& file)
{
    try {
        file = ReadCheckPoints(path);
    } catch (const FileError&) {
        std::cerr << "Nie można odczytać pliku " << path << '\n';
        return false;
    }
    for (std::int64_t line : file.UnreadableLines)
        std::cerr << "Linia " << line << ": nieczytelny punkt kontrolny, pominięty\n";
    return true;
}

} // namespace vorida::cli
