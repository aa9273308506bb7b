#include "Platform.h"

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

std::string ConsoleMessage(std::string_view text)
{
    std::string shown(text);
    for (char& c : shown)
        if (c == '\r')
            c = '\n';
    return shown + '\n';
}

void ConsolePlatform::ShowMessage(std::string_view text)
{
    std::cout << ConsoleMessage(text) << std::flush;
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

ScopedPlatform::ScopedPlatform(Platform& platform) : previous_(installed)
{
    installed = &platform;
}

ScopedPlatform::~ScopedPlatform()
{
    installed = previous_;
}

} // namespace vorida
