// The program's door to the operating system and the desktop: message boxes, questions, file
// dialogs, the executable's directory, file existence, the local clock and opening a web
// address. The core, the run and the windows go through it for all of these, so that the
// command-line tool and the tests can run without windows and a test can see (and answer) every
// message. Two things do not pass through it: the editor's print dialog and printer
// (editor/Printing.cpp, PrintService, which tests replace to print without a dialog; it comes up
// above the search dialog like every box) and the clipboard, which the editor's text area uses
// through Qt.
//
// This header is the interface and the platform in use. ConsolePlatform.h has the platform of
// the command-line tool, qt/QtPlatform.h the one of the windows, testing/RecordingPlatform.h the
// tests' one; System.h has the system calls the platforms and the file handling share.
//
// Texts crossing this interface are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorida {

enum class Answer { Ok, Cancel, Yes, No };

struct LocalDateTime
{
    int Year = 0, Month = 0, Day = 0; // Month and Day from 1
    int Hour = 0, Minute = 0, Second = 0;
};

class Platform
{
public:
    virtual ~Platform();

    // A modal message with an OK button, captioned with the application's title.
    virtual void ShowMessage(std::string_view text) = 0;
    // The report of a failed operation: ShowMessage with the error icon where boxes have icons.
    virtual void ShowError(std::string_view text) { ShowMessage(text); }
    // A modal question with OK and Cancel and no icon: Answer::Ok or Answer::Cancel.
    virtual Answer AskOkCancel(std::string_view text, std::string_view caption) = 0;
    // A modal warning with Yes, No and Cancel, Yes the default.
    virtual Answer AskYesNoCancel(std::string_view text, std::string_view caption) = 0;
    // A modal warning with Yes and No, No the default (Esc or closing the box: No). Platforms
    // without a box of their own ask with Yes, No and Cancel, Cancel counting as No.
    virtual Answer AskYesNo(std::string_view text, std::string_view caption)
    {
        return AskYesNoCancel(text, caption) == Answer::Yes ? Answer::Yes : Answer::No;
    }

    // Standard file dialogs; nothing when the user cancels.
    virtual std::optional<std::string> ChooseFileToOpen(
        std::string_view caption, std::string_view directory)
        = 0;
    virtual std::optional<std::string> ChooseFileToSave(
        std::string_view caption, std::string_view suggestedPath)
        = 0;

    // The directory holding the running executable, without a trailing separator.
    virtual std::string ExecutableDirectory() = 0;
    // True only for a regular file (a directory of that name counts as missing).
    virtual bool RegularFileExists(const std::string& path) = 0;

    // The local date and time, and their forms in the user's short-date and long-time formats.
    virtual LocalDateTime Now() = 0;
    virtual std::string ShortDate(const LocalDateTime& when) = 0;
    virtual std::string LongTime(const LocalDateTime& when) = 0;

    // Opens a web address in the desktop's default browser.
    virtual void OpenAddress(std::string_view address) = 0;

    // ---- Folders (the windows' work folder) ----
    // The standard folder dialog, opened on directory (among its neighbours where the dialog
    // can show them); nothing when the user cancels. A
    // platform without windows chooses nothing.
    virtual std::optional<std::string> ChooseFolder(
        std::string_view caption, std::string_view directory)
    {
        (void)caption;
        (void)directory;
        return std::nullopt;
    }
    // Shows directory in the desktop's file manager; false when it could not be shown.
    virtual bool OpenFolder(const std::string& directory)
    {
        (void)directory;
        return false;
    }

    // ---- Starting another of the program's executables ----
    // Starts the executable `name` from the program's directory (".exe" added on Windows)
    // with the arguments, without waiting for it; false when it could not be started. A
    // platform without windows starts nothing.
    virtual bool StartProgram(std::string_view name, const std::vector<std::string>& arguments)
    {
        (void)name;
        (void)arguments;
        return false;
    }
};

// The platform in use. Until one is installed this is a ConsolePlatform.
Platform& CurrentPlatform();
// Installs another platform (not owned); nullptr goes back to the console one.
void InstallPlatform(Platform* platform);

// Installs a platform for the life of a scope (the command-line tool, tests).
class ScopedPlatform
{
public:
    explicit ScopedPlatform(Platform& platform);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* previous_;
};

} // namespace vorida
