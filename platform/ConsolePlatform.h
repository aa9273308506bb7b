// The platform of the command-line tool: no windows, messages on standard output.
#pragma once

#include "Platform.h"

#include <optional>
#include <string>
#include <string_view>

namespace vorida {

// For the command-line tool: messages go to standard output, questions are answered with their
// default (Cancel), the date and time use the user's formats (UserShortDate, UserLongTime).
class ConsolePlatform : public Platform
{
public:
    void ShowMessage(std::string_view text) override;
    Answer AskOkCancel(std::string_view text, std::string_view caption) override;
    Answer AskYesNoCancel(std::string_view text, std::string_view caption) override;
    std::optional<std::string> ChooseFileToOpen(
        std::string_view caption, std::string_view directory) override;
    std::optional<std::string> ChooseFileToSave(
        std::string_view caption, std::string_view suggestedPath) override;
    std::string ExecutableDirectory() override;
    bool RegularFileExists(const std::string& path) override;
    LocalDateTime Now() override;
    std::string ShortDate(const LocalDateTime& when) override;
    std::string LongTime(const LocalDateTime& when) override;
    void OpenAddress(std::string_view address) override;
};

// A message as a console shows it: its line breaks (CR in a message box) become LF, and a final
// LF ends it.
std::string ConsoleMessage(std::string_view text);

} // namespace vorida
