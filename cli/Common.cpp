#include "Common.h"

#include "CheckPoints.h"
#include "LineIO.h"
#include "Numbers.h"
#include "UTransPkt.h"

#include "VoridaVersion.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
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

const char* const kConventionsHelp
    = "Każdą opcję z wartością można też podać jako --opcja=wartość. Zamiast pliku\n"
      "wejściowego lub wynikowego \"-\" oznacza standardowe wejście lub wyjście.\n"
      "vorida-cli --version: wersja programu.\n";

std::string versionText()
{
    return std::string("vorida-cli ") + kVoridaVersion;
}

bool isStandardStream(const std::string& path)
{
    return path == "-";
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
        std::string a = args[i];
        // --opt=value: the value after the first "=".
        std::optional<std::string> attached;
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            const size_t equals = a.find('=');
            if (equals != std::string::npos) {
                attached = a.substr(equals + 1);
                a.resize(equals);
            }
        }
        auto value = [&]() -> std::optional<std::string> {
            if (attached)
                return attached;
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        if (!a.empty() && a[0] == '-' && a != "-") {
            if (!allows(a)) {
                usage(help, "Nieznana opcja: " + a);
                return std::nullopt;
            }
            bool* flag = a == "--to-local" ? &o.ToLocal
                : a == "--loo"             ? &o.Loo
                : a == "--strict"          ? &o.Strict
                : a == "--verbose"         ? &o.Verbose
                                           : nullptr;
            if (flag != nullptr) {
                if (attached) {
                    usage(help, "Opcja " + a + " nie przyjmuje wartości");
                    return std::nullopt;
                }
                *flag = true;
                continue;
            }
            auto v = value();
            if (!v) {
                usage(help, "Brak wartości opcji " + a);
                return std::nullopt;
            }
            if (a == "--dir") {
                o.Directory = *v;
                o.DirectoryGiven = true;
            } else if (a == "--report")
                o.Report = v;
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
    if (isStandardStream(path)) {
        UseBinaryStandardInput();
        contents.clear();
        char buffer[1 << 16];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0)
            contents.append(buffer, n);
        return !std::ferror(stdin);
    }
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    contents = ss.str();
    return !in.bad();
}

bool writeWholeFile(const std::string& path, std::string_view bytes)
{
    try {
        OutputFile out;
        if (isStandardStream(path)) {
            std::cout.flush();
            out.CreateStandardOutput();
        } else {
            out.Create(path);
        }
        out.Write(bytes);
        out.Close();
    } catch (const LineFileError&) {
        std::cerr << "Nie można zapisać pliku " << path << '\n';
        return false;
    }
    return true;
}

InputPath::InputPath(const std::string& path) : path_(path)
{
    if (!isStandardStream(path))
        return;
    namespace fs = std::filesystem;
    std::string contents;
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    if (!ec && readWholeFile(path, contents)) {
        const fs::path file = folder / ("vorida-stdin-" + std::to_string(std::random_device {}()));
        path_ = PathText(file);
        temporary_ = true;
        std::ofstream out(file, std::ios::binary);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.close();
        ready_ = static_cast<bool>(out);
    } else {
        ready_ = false;
    }
    if (!ready_)
        std::cerr << "Nie można odczytać standardowego wejścia\n";
}

InputPath::~InputPath()
{
    if (temporary_) {
        std::error_code ec;
        std::filesystem::remove(FileSystemPath(path_), ec);
    }
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

std::string areaPath(const Options& o)
{
    if (o.Area)
        return *o.Area;
    if (o.DirectoryGiven)
        return PathIn(o.Directory, kDataFileName);
    std::string path = PathIn(".", kDataFileName);
    if (!RegularFileExistsOnDisk(path)) {
        const std::string besideProgram = PathIn(ExecutableDirectoryOfProcess(), kDataFileName);
        if (RegularFileExistsOnDisk(besideProgram))
            path = besideProgram;
    }
    std::cerr << "Plik obszaru: " << NativeSeparators(path) << '\n';
    return path;
}

bool loadArea(const Options& o)
{
    const std::string path = areaPath(o);
    CliPlatform messages;
    ScopedPlatform scope(messages);
    LoadPointFile(path);
    ComputeAreaExtents();
    if (messages.Held.empty())
        return true;
    messages.Release(std::cerr);
    return false;
}

bool fitOrRefuse(TTrKonfAf& t, const TPktDostosowania& points, bool toLocal)
{
    const AreaFitStatus status = FitArea(t, points, toLocal);
    if (status == AreaFitStatus::Fitted)
        return true;
    std::cerr << RefusalText(status) << '\n';
    return false;
}

bool readCheckPointFile(const std::string& path, CheckPointFile& file)
{
    try {
        file = ReadCheckPoints(path);
    } catch (const LineFileError&) {
        std::cerr << "Nie można odczytać pliku " << path << '\n';
        return false;
    } catch (const CheckPointFileError& e) {
        std::cerr << e.what() << '\n';
        return false;
    }
    for (std::int64_t line : file.UnreadableLines)
        std::cerr << "Linia " << line << ": nieczytelny punkt kontrolny, pominięty\n";
    return true;
}

} // namespace vorida::cli
