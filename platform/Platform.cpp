#include "Platform.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vorida {

Platform::~Platform() = default;

namespace {

Platform* installed = nullptr;

ConsolePlatform& consolePlatform()
{
    static ConsolePlatform console;
    return console;
}

// strftime in the user's LC_TIME from the environment, without touching the process locale.
std::string formatLocal(const LocalDateTime& when, const char* format)
{
    std::tm tm {};
    tm.tm_year = when.Year - 1900;
    tm.tm_mon = when.Month - 1;
    tm.tm_mday = when.Day;
    tm.tm_hour = when.Hour;
    tm.tm_min = when.Minute;
    tm.tm_sec = when.Second;
    tm.tm_isdst = -1;
    locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    char buffer[256];
    size_t n = strftime_l(buffer, sizeof buffer, format, &tm, loc);
    freelocale(loc);
    return std::string(buffer, n);
}

} // namespace

Platform& CurrentPlatform()
{
    return installed ? *installed : consolePlatform();
}

void InstallPlatform(Platform* platform)
{
    installed = platform;
}

std::string ExecutableDirectoryOfProcess()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return ".";
    return exe.parent_path().string();
}

bool RegularFileExistsOnDisk(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

LocalDateTime LocalNow()
{
    std::time_t t = std::time(nullptr);
    std::tm tm {};
    localtime_r(&t, &tm);
    return { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec };
}

// ---- ConsolePlatform ----

void ConsolePlatform::ShowMessage(std::string_view text)
{
    std::ostream& out = messagesToStderr_ ? std::cerr : std::cout;
    std::string shown(text);
    for (char& c : shown)
        if (c == '\r')
            c = '\n';
    out << shown << '\n';
    out.flush();
}

Answer ConsolePlatform::AskOkCancel(std::string_view text, std::string_view)
{
    ShowMessage(text);
    return Answer::Cancel;
}

Answer ConsolePlatform::AskYesNoCancel(std::string_view text, std::string_view)
{
    ShowMessage(text);
    return Answer::Cancel;
}

std::optional<std::string> ConsolePlatform::ChooseFileToOpen(std::string_view, std::string_view)
{
    return std::nullopt;
}

std::optional<std::string> ConsolePlatform::ChooseFileToSave(std::string_view, std::string_view)
{
    return std::nullopt;
}

std::string ConsolePlatform::ExecutableDirectory()
{
    return ExecutableDirectoryOfProcess();
}

bool ConsolePlatform::RegularFileExists(const std::string& path)
{
    return RegularFileExistsOnDisk(path);
}

LocalDateTime ConsolePlatform::Now()
{
    return LocalNow();
}

std::string ConsolePlatform::ShortDate(const LocalDateTime& when)
{
    return formatLocal(when, "%x");
}

std::string ConsolePlatform::LongTime(const LocalDateTime& when)
{
    return formatLocal(when, "%X");
}

void ConsolePlatform::OpenAddress(std::string_view address)
{
    std::cout << std::string(address) << '\n';
}

// ---- RecordingPlatform ----

std::vector<std::string> RecordingPlatform::Messages() const
{
    std::vector<std::string> texts;
    for (const auto& s : Log)
        if (s.Kind == "message")
            texts.push_back(s.Text);
    return texts;
}

Answer RecordingPlatform::NextAnswer()
{
    if (Answers.empty())
        return Answer::Cancel;
    Answer a = Answers.front();
    Answers.pop_front();
    return a;
}

void RecordingPlatform::ShowMessage(std::string_view text)
{
    Log.push_back({ "message", std::string(text), {} });
}

Answer RecordingPlatform::AskOkCancel(std::string_view text, std::string_view caption)
{
    Log.push_back({ "okcancel", std::string(text), std::string(caption) });
    return NextAnswer();
}

Answer RecordingPlatform::AskYesNoCancel(std::string_view text, std::string_view caption)
{
    Log.push_back({ "yesnocancel", std::string(text), std::string(caption) });
    return NextAnswer();
}

std::optional<std::string> RecordingPlatform::ChooseFileToOpen(
    std::string_view caption, std::string_view directory)
{
    Log.push_back({ "open", std::string(directory), std::string(caption) });
    if (ChosenFiles.empty())
        return std::nullopt;
    auto f = ChosenFiles.front();
    ChosenFiles.pop_front();
    return f;
}

std::optional<std::string> RecordingPlatform::ChooseFileToSave(
    std::string_view caption, std::string_view suggestedPath)
{
    Log.push_back({ "save", std::string(suggestedPath), std::string(caption) });
    if (ChosenFiles.empty())
        return std::nullopt;
    auto f = ChosenFiles.front();
    ChosenFiles.pop_front();
    return f;
}

bool RecordingPlatform::RegularFileExists(const std::string& path)
{
    return RegularFileExistsOnDisk(path);
}

std::string RecordingPlatform::ShortDate(const LocalDateTime& when)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", when.Year, when.Month, when.Day);
    return buffer;
}

std::string RecordingPlatform::LongTime(const LocalDateTime& when)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", when.Hour, when.Minute, when.Second);
    return buffer;
}

void RecordingPlatform::OpenAddress(std::string_view address)
{
    Log.push_back({ "address", std::string(address), {} });
}

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(installed)
{
    installed = &platform;
}

ScopedPlatform::~ScopedPlatform()
{
    installed = previous_;
}

} // namespace vorida
