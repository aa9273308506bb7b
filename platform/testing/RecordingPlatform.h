// The platform of the tests: it records every message and question, answers from a script
// and has a fixed clock. Linked by the tests and the fuzz targets (vorida_platform_testing),
// never by the programs.
#pragma once

#include "Platform.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {

class RecordingPlatform : public Platform
{
public:
    struct Shown
    {
        std::string Kind; // "message", "okcancel", "yesnocancel", "open", "save", "address",
                          // "start", "folder" (the folder dialog), "openfolder"
        std::string Text;
        std::string Caption;
    };

    std::vector<Shown> Log;
    std::deque<Answer> Answers; // consumed by the questions; Cancel when empty
    std::deque<std::optional<std::string>> ChosenFiles; // consumed by the file dialogs
    std::deque<std::optional<std::string>> ChosenFolders; // consumed by the folder dialog
    std::string ExeDirectory = ".";
    LocalDateTime Clock { 2024, 3, 5, 14, 7, 9 };

    // The texts of the message boxes shown so far (ShowMessage only).
    std::vector<std::string> Messages() const;

    void ShowMessage(std::string_view text) override;
    Answer AskOkCancel(std::string_view text, std::string_view caption) override;
    Answer AskYesNoCancel(std::string_view text, std::string_view caption) override;
    std::optional<std::string> ChooseFileToOpen(
        std::string_view caption, std::string_view directory) override;
    std::optional<std::string> ChooseFileToSave(
        std::string_view caption, std::string_view suggestedPath) override;
    std::string ExecutableDirectory() override { return ExeDirectory; }
    bool RegularFileExists(const std::string& path) override;
    LocalDateTime Now() override { return Clock; }
    // Fixed forms: "2024-03-05" and "14:07:09".
    std::string ShortDate(const LocalDateTime& when) override;
    std::string LongTime(const LocalDateTime& when) override;
    void OpenAddress(std::string_view address) override;
    std::optional<std::string> ChooseFolder(
        std::string_view caption, std::string_view directory) override;
    bool OpenFolder(const std::string& directory) override;
    // Recorded as "start": the name, then each argument on a line of its own.
    bool StartProgram(std::string_view name, const std::vector<std::string>& arguments) override;

private:
    Answer NextAnswer();
};

} // namespace vorida
