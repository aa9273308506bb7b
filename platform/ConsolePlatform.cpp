#include "ConsolePlatform.h"

#include "System.h"

#include <iostream>

namespace vorida {

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

} // namespace vorida
