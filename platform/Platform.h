// The program's door to the operating system and the desktop: message boxes, questions, file
// dialogs, the executable's directory, file existence, the local clock and opening a web
// address. The core, the run and the windows go through it for all of these, so that the
// command-line tool and the tests can run without windows and a test can see (and answer) every
// message. Two things do not pass through it: the editor's print dialog and printer
// (editor/Printing.cpp, PrintService, which tests replace to print without a dialog; it comes up
// above the search dialog like every box) and the clipboard, which the editor's text area uses
// through Qt.
//
// Texts crossing this interface are UTF-8.
#pragma once

#include <cstdio>
#include <filesystem>
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

// Shared by the real platforms; each system has its own file (SystemPosix.cpp,
// SystemWindows.cpp). Paths are UTF-8 on Windows and the system's bytes elsewhere.
std::string ExecutableDirectoryOfProcess();
bool RegularFileExistsOnDisk(const std::string& path);
LocalDateTime LocalNow();
// True when standard error is a terminal (not a pipe or a file): a progress display may go there.
bool StandardErrorIsTerminal();
// Standard input and standard output as binary streams, for files read from or written to a
// pipe: on Windows the C library would otherwise drop CRs and the Ctrl-Z on reading and add a
// CR to every LF on writing; elsewhere nothing to do.
void UseBinaryStandardInput();
void UseBinaryStandardOutput();
// The date and the time of day in the user's short-date and long-time formats: the system's
// regional settings on Windows, LC_TIME from the environment elsewhere.
std::string UserShortDate(const LocalDateTime& when);
std::string UserLongTime(const LocalDateTime& when);

// The separator of the system's paths, as the user sees them.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
// path with the system's separators (each "/" becomes a backslash on Windows; elsewhere
// unchanged).
std::string NativeSeparators(std::string path);
// The file name in directory, joined by the system's separator.
std::string PathIn(const std::string& directory, std::string_view name);
// A path for the standard library's file-system calls. Windows: from UTF-8 (invalid UTF-8
// gives an empty path, which names no file); elsewhere the bytes as they are.
std::filesystem::path FileSystemPath(const std::string& path);
// The text of a standard library path in the form of the other calls (the inverse).
std::string PathText(const std::filesystem::path& path);
// ---- Files written whole or not at all (the command-line tool) ----
// What a path names, links followed.
enum class FileKind { Missing, Regular, Directory, Other }; // Other: a device, a FIFO, a socket
FileKind FileKindOnDisk(const std::string& path);
// True when both paths name one existing file by the system's identity of a file (device and
// inode; volume and file index), whatever the spelling or the links on the way.
bool SameFileOnDisk(const std::string& a, const std::string& b);
// Creates path as a new file for writing in binary mode, failing when it exists (errno tells
// why); on Windows the file may be removed while open, so that an interruption can take it away.
std::FILE* CreateNewFile(const std::string& path);
// Hands what the system holds of an open file to the disk; false (errno set) on failure.
bool FlushFileToDisk(std::FILE* file);
// Gives the new file at from the name to, replacing what was there in one step; 0 or the
// errno-style reason of the failure.
int RenameOver(const std::string& from, const std::string& to);
// Removing files when the program is interrupted: Ctrl+C, SIGTERM, a closed terminal or
// console. Once installed, every file registered and not yet released is removed before the
// program ends on such a signal (its exit status is then the signal's, 130 for Ctrl+C on
// Windows).
void InstallInterruptRemoval();
// A slot for the path (-1 when none is free, or when it is too long); Release gives it back.
int RemoveOnInterrupt(const std::string& path);
void ReleaseOnInterrupt(int slot);
// True when standard output is a console or terminal window (not a pipe or a file).
bool StandardOutputIsTerminal();

// For a console program: the console shows the UTF-8 it is given. On Windows, what std::cout
// and std::cerr write to a console window reaches it through the console's wide-character
// interface, so that Polish letters show in any code page; redirected to a file or a pipe, they
// keep their bytes. Elsewhere nothing to do.
void UseUtf8Console();

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
