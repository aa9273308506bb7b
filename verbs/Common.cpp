#include "Common.h"

#include "AreaReport.h"
#include "CheckPoints.h"
#include "LineIO.h"
#include "Numbers.h"

#include "VoridaVersion.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <streambuf>

namespace vorida::cli {

bool isHelp(const std::string& a)
{
    return a == "--help" || a == "-h";
}

ExitStatus usage(VerbStreams& io, std::string_view help, const std::string& complaint)
{
    if (!complaint.empty())
        io.Err << complaint << '\n';
    io.Err << help;
    return ExitStatus::Usage;
}

ExitStatus usage(VerbStreams& io, const VerbSpec& verb, const std::string& complaint)
{
    return usage(io, helpText(verb), complaint);
}

const std::vector<ExitStatusText>& exitStatusTexts()
{
    static const std::vector<ExitStatusText> texts = {
        { ExitStatus::Ok, "wykonane", "wykonane" },
        { ExitStatus::Failure, "błąd",
            "błąd: pliku nie można odczytać ani zapisać (także standardowego wyjścia), obszar "
            "odrzucony, przeliczenie nieudane albo błąd wewnętrzny programu" },
        { ExitStatus::Usage, "złe użycie",
            "złe użycie (skarga i pomoc polecenia na standardowym wyjściu błędów) albo plik "
            "wynikowy, który jest plikiem wejściowym (sama skarga)" },
        { ExitStatus::Shortfall,
            "punkty z defektem (convert --strict) albo ponad tolerancję (verify --tolerance)",
            "wszystko wykonane i zapisane, ale convert --strict napotkał punkt z defektem "
            "(nieczytelny albo poza obszarem), albo verify --tolerance punkt kontrolny w obszarze "
            "ponad tolerancję" },
    };
    return texts;
}

void CliPlatform::Release(std::ostream& out)
{
    for (const std::string& text : Held)
        out << ConsoleMessage(text);
    Held.clear();
}

const char* const kConventionsText
    = "Każdą opcję z wartością można też podać jako --opcja=wartość. Zamiast pliku\n"
      "wejściowego lub wynikowego \"-\" oznacza standardowe wejście lub wyjście.\n"
      "vorida-cli --version: wersja programu.\n";

std::string conventionsHelp()
{
    std::string statuses = "Kody wyjścia:";
    for (const ExitStatusText& text : exitStatusTexts())
        statuses += (text.Status == ExitStatus::Ok ? " " : ", ")
            + std::to_string(static_cast<int>(text.Status)) + " " + std::string(text.Short);
    return kConventionsText + wrapped(statuses + ".", 0, kHelpWidth) + "\n";
}

std::string versionText()
{
    return std::string("vorida-cli ") + kVoridaVersion;
}

bool readWholeFile(const std::string& path, std::string& contents)
{
    if (IsStandardStream(path) || FileKindOnDisk(path) == FileKind::Other) {
        std::FILE* stream = stdin;
        if (IsStandardStream(path))
            UseBinaryStandardInput();
        else if ((stream = std::fopen(path.c_str(), "rb")) == nullptr)
            return false;
        contents.clear();
        char buffer[1 << 16];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
            contents.append(buffer, n);
        const bool ok = !std::ferror(stream);
        if (stream != stdin)
            std::fclose(stream);
        return ok;
    }
    std::ifstream in(FileSystemPath(path), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    contents = ss.str();
    return !in.bad();
}

bool writeWholeFile(VerbStreams& io, const std::string& path, std::string_view bytes)
{
    if (IsStandardStream(path) && &io.Out != &std::cout) {
        io.Out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return true;
    }
    try {
        io.Out.flush();
        WriteWholeFile(path, bytes, WriteMode::WholeOrNothing);
    } catch (const LineFileError& e) {
        io.Err << e.what() << '\n';
        return false;
    }
    return true;
}

std::optional<ExitStatus> refuseClash(VerbStreams& io, const FilePlan& plan)
{
    if (const auto clash = plan.FirstClash()) {
        io.Err << FilePlan::ClashText(*clash) << '\n';
        return ExitStatus::Usage;
    }
    return std::nullopt;
}

namespace {
// Standard output's bytes, straight to the C library's stream (so that they keep their order
// with the files written there), with the reason of the first failure kept for the end.
class StandardOutputBuffer : public std::streambuf
{
public:
    int Error = 0;

protected:
    int_type overflow(int_type c) override
    {
        if (c == traits_type::eof())
            return traits_type::not_eof(c);
        const char byte = static_cast<char>(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        errno = 0;
        const size_t done = std::fwrite(s, 1, static_cast<size_t>(n), stdout);
        if (done < static_cast<size_t>(n) && Error == 0)
            Error = errno == 0 ? EIO : errno;
        return static_cast<std::streamsize>(done);
    }
    int sync() override
    {
        errno = 0;
        if (std::fflush(stdout) == 0)
            return 0;
        if (Error == 0)
            Error = errno == 0 ? EIO : errno;
        return -1;
    }
};

StandardOutputBuffer* standardOutput = nullptr;
bool standardOutputFailureShown = false;
} // namespace

void standardOutputFailureReported()
{
    standardOutputFailureShown = true;
}

void watchStandardOutput()
{
    if (StandardOutputIsTerminal())
        return; // a console window has a writer of its own
    // Never destroyed: std::cout is flushed once more as the program ends, after every static.
    standardOutput = new StandardOutputBuffer;
    std::cout.rdbuf(standardOutput);
}

int finishStandardOutput(int status)
{
    std::cout.flush();
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    int error = flushed ? 0 : errno;
    if (standardOutput != nullptr && standardOutput->Error != 0)
        error = standardOutput->Error;
    if (!flushed || std::ferror(stdout) || !std::cout.good()) {
        if (error == EPIPE || standardOutputFailureShown)
            // the reader has all it wanted
            return error == EPIPE ? status : static_cast<int>(ExitStatus::Failure);
        std::cerr << WriteFailureText("-", error == 0 ? EIO : error) << '\n';
        return static_cast<int>(ExitStatus::Failure);
    }
    return status;
}

std::string areaReadFailure(const std::string& path)
{
    const FileKind kind = FileKindOnDisk(path);
    const std::string reason = kind == FileKind::Missing ? ReasonText(ENOENT)
        : kind == FileKind::Directory                    ? ReasonText(DirectoryError())
                                      : "uszkodzony albo nie jest plikiem obszaru";
    return "Błąd odczytu pliku " + PathForMessage(path) + ": " + reason;
}

InputPath::InputPath(VerbStreams& io, const std::string& path) : path_(path)
{
    if (!IsStandardStream(path) && FileKindOnDisk(path) != FileKind::Other)
        return;
    namespace fs = std::filesystem;
    std::string contents;
    std::error_code ec;
    const fs::path folder = fs::temp_directory_path(ec);
    if (!ec && readWholeFile(path, contents)) {
        const fs::path file = folder / ("vorida-stdin-" + std::to_string(std::random_device {}()));
        path_ = PathText(file);
        temporary_ = true;
        removalSlot_ = RemoveOnInterrupt(path_);
        std::ofstream out(file, std::ios::binary);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        out.close();
        ready_ = static_cast<bool>(out);
    } else {
        ready_ = false;
    }
    if (!ready_)
        io.Err << ReadFailureText(path, EIO) << '\n';
}

InputPath::~InputPath()
{
    if (temporary_) {
        std::error_code ec;
        std::filesystem::remove(FileSystemPath(path_), ec);
        ReleaseOnInterrupt(removalSlot_);
    }
}

std::string areaPath(VerbStreams& io, const Options& o, bool tell)
{
    if (o.Area)
        return *o.Area;
    if (o.Dir)
        return PathIn(*o.Dir, kDataFileName);
    std::string path = PathIn(".", kDataFileName);
    if (!RegularFileExistsOnDisk(path)) {
        const std::string besideProgram = PathIn(ExecutableDirectoryOfProcess(), kDataFileName);
        if (RegularFileExistsOnDisk(besideProgram))
            path = besideProgram;
    }
    if (tell)
        io.Err << "Plik obszaru: " << NativeSeparators(path) << '\n';
    return path;
}

void loadAreaFile(VerbStreams& io, const std::string& path, CliPlatform& messages, RunArea& area)
{
    const InputPath input(io, path);
    // The program's words name TRANSPKT.BIN; here the file may have any name.
    if (!LoadRunArea(input.Path(), area))
        messages.ShowMessage(areaReadFailure(path));
}

bool loadArea(VerbStreams& io, const Options& o, RunArea& area)
{
    const std::string path = areaPath(io, o);
    CliPlatform messages;
    loadAreaFile(io, path, messages, area);
    if (messages.Held.empty())
        return true;
    messages.Release(io.Err);
    return false;
}

bool readCheckPointFile(VerbStreams& io, const std::string& path, CheckPointFile& file)
{
    try {
        file = ReadCheckPoints(path);
    } catch (const LineFileError& e) {
        io.Err << e.what() << '\n';
        return false;
    } catch (const CheckPointFileError& e) {
        io.Err << e.what() << '\n';
        return false;
    }
    for (std::int64_t line : file.UnreadableLines)
        io.Err << UnreadableCheckLine(line) << '\n';
    return true;
}

} // namespace vorida::cli
