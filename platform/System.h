// The system calls the platforms and the file handling share, one implementation per system
// (SystemPosix.cpp, SystemWindows.cpp), and the path helpers that hold for both (System.cpp).
// Paths are UTF-8 on Windows and the system's bytes elsewhere.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace vorida {

struct LocalDateTime; // Platform.h

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
// why), with the permission bits mode (POSIX; the umask applies) from the start; on Windows the
// file may be removed while open, so that an interruption can take it away.
std::FILE* CreateNewFile(const std::string& path, unsigned mode = 0666);
// An existing file opened for writing from its start, emptied, keeping its identity (inode,
// owner, links, ACL); nullptr with errno set on failure.
std::FILE* OpenToRewrite(const std::string& path);
// A file opened for reading in binary mode; nullptr with errno set on failure.
std::FILE* OpenToRead(const std::string& path);
// Hands what the system holds of an open file to the disk; false (errno set) on failure.
bool FlushFileToDisk(std::FILE* file);
// Gives the new file at from the name to, replacing what was there in one step; 0 or the
// errno-style reason of the failure. On Windows an existing file is replaced by the system's
// ReplaceFileW, which keeps its attributes, owner and ACL.
int RenameOver(const std::string& from, const std::string& to);

// The identity of a file: device and inode; volume and file index on Windows.
struct FileIdentity
{
    unsigned long long Device = 0, Index = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
// The identity of the file path names, links followed; false when it names none.
bool IdentityOnDisk(const std::string& path, FileIdentity& identity);
// The identity of an open file; false when the system does not tell it.
bool IdentityOfOpenFile(std::FILE* file, FileIdentity& identity);
// True when the existing file path may not be written by the user: the process has no write
// permission (the administrator, who passes every check: nobody has), or on Windows the
// read-only attribute.
bool WriteProtectedOnDisk(const std::string& path);
// True when renaming a new file over the existing file path would lose what the file is: other
// hard links to it, an owner or a group other than a new file gets, ACL entries. On Windows only
// other hard links (the replacement keeps the rest).
bool RenameLosesIdentity(const std::string& path);
// The id of this process, and whether a process of that id is running on this computer; the
// computer's name.
long CurrentProcessId();
std::string ComputerName();
bool ProcessRunning(long id);
// While held, the signals that end the program wait (POSIX; on the calling thread), so that a
// file being put back into place is never left half-written by them. Nothing on Windows.
void HoldInterrupts(bool hold);

// Removing files when the program is interrupted: Ctrl+C, SIGTERM, a closed terminal or
// console, and every other signal that ends a program without a core of its own making
// (SIGPIPE, SIGQUIT, SIGXFSZ, SIGUSR1 ...). Once installed, every file registered and not yet
// released is removed before the program ends on such a signal (its exit status is then the
// signal's, 130 for Ctrl+C on Windows).
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

} // namespace vorida
