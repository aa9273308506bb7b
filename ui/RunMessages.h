// The messages of the window's run: its failure line "Błąd. Linia N" held back while the run
// goes on and shown when it has returned, with the file and the system's reason that stopped it
// on the next line ("Nie można zapisać pliku …\Raport.txt: system plików tylko do odczytu"), so
// that a work folder on a read-only medium or a share that went away says what happened. Every
// other message, question and call passes through unchanged.
#pragma once

#include "Platform.h"

namespace vorida::ui {

class RunMessages final : public Platform
{
public:
    explicit RunMessages(Platform& next) : next_(next) { }

    // Shows the failure line held back, if any, with failure (the run's LastFailure) below it
    // unless the line says it already.
    void ShowHeldFailure(const std::string& failure);

    void ShowMessage(std::string_view text) override { next_.ShowMessage(text); }
    void ShowError(std::string_view text) override;
    Answer AskOkCancel(std::string_view text, std::string_view caption) override
    {
        return next_.AskOkCancel(text, caption);
    }
    Answer AskYesNoCancel(std::string_view text, std::string_view caption) override
    {
        return next_.AskYesNoCancel(text, caption);
    }
    Answer AskYesNo(std::string_view text, std::string_view caption) override
    {
        return next_.AskYesNo(text, caption);
    }
    std::optional<std::string> ChooseFileToOpen(
        std::string_view caption, std::string_view directory) override
    {
        return next_.ChooseFileToOpen(caption, directory);
    }
    std::optional<std::string> ChooseFileToSave(
        std::string_view caption, std::string_view suggestedPath) override
    {
        return next_.ChooseFileToSave(caption, suggestedPath);
    }
    std::string ExecutableDirectory() override { return next_.ExecutableDirectory(); }
    bool RegularFileExists(const std::string& path) override
    {
        return next_.RegularFileExists(path);
    }
    LocalDateTime Now() override { return next_.Now(); }
    std::string ShortDate(const LocalDateTime& when) override { return next_.ShortDate(when); }
    std::string LongTime(const LocalDateTime& when) override { return next_.LongTime(when); }
    void OpenAddress(std::string_view address) override { next_.OpenAddress(address); }
    bool StartProgram(std::string_view name, const std::vector<std::string>& arguments) override
    {
        return next_.StartProgram(name, arguments);
    }
    std::optional<std::string> ChooseFolder(
        std::string_view caption, std::string_view directory) override
    {
        return next_.ChooseFolder(caption, directory);
    }
    bool OpenFolder(const std::string& directory) override { return next_.OpenFolder(directory); }

private:
    Platform& next_;
    std::string held_;
};

} // namespace vorida::ui
