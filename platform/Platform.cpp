#include "Platform.h"

#include <cstdio>
#include <iostream>

namespace vorida {

Platform::~Platform() = default;

namespace {

Platform* installed = nullptr;

ConsolePlatform& consolePlatform()
{
    static ConsolePlatform console;
    return console;
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

std::string NativeSeparators(std::string path)
{
    if (kPathSeparator != '/')
        for (char& c : path)
            if (c == '/')
                c = kPathSeparator;
    return path;
}

std::string PathIn(const std::string& directory, std::string_view name)
{
    std::string path = directory;
    path += kPathSeparator;
    path += name;
    return path;
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
    return UserShortDate(when);
}

std::string ConsolePlatform::LongTime(const LocalDateTime& when)
{
    return UserLongTime(when);
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
