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

} // namespace vorida
