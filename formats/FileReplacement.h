// The steps of replacing a file that the writer of output files (OutputFile) takes: where a
// path's links lead, the temporary files beside a target (named as ours, with the process and
// the computer that made them), copying a file's bytes, and holding the ending signals while a
// file is put in place.
#pragma once

#include "System.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace vorida {

// The file a path ends at, links followed (a relative link from its own folder); the path
// itself when it is no link. dangling: the link's last target, when that is missing.
std::string FollowLinks(const std::string& path, std::string& dangling);
// Removes the temporary files of target that processes of this computer left when they were
// killed (their process is gone).
void RemoveStaleTemporaries(const std::filesystem::path& target);
// A new file beside target, named as ours (".NAME.PID-HOST-RANDOM" and suffix), with the
// permission bits mode; its name in made. nullptr with errno set on failure.
std::FILE* CreateBeside(
    const std::filesystem::path& target, const char* suffix, unsigned mode, std::string& made);
// Copies the file at from into to and hands it to the disk; 0 or the errno-style reason.
int CopyInto(const std::string& from, std::FILE* to);
// Removes the file at path (when not empty) and gives its interruption slot back.
void RemoveFile(const std::string& path, int& slot);
// The permission bits of a file, 0 when it is missing.
unsigned PermissionsOf(const std::string& path);

// The signals that end the program wait while files are being put in place; nested holds
// release them with the outermost.
class InterruptsHeld
{
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

} // namespace vorida
