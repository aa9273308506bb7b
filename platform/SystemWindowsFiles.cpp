// The file calls of the platform layer on Windows: creating, rewriting and replacing files
// keeping what they are, their identity, and the processes that made temporary files.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include "System.h"
#include "SystemWindows.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace vorida {

namespace {
// A C stream over a handle opened for writing; the handle is closed (and, when remove, the file
// removed) when the stream cannot be made.
std::FILE* writingStream(HANDLE h, const std::wstring& wide, bool remove)
{
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        if (remove)
            DeleteFileW(wide.c_str());
        errno = EIO;
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) {
        _close(fd);
        if (remove)
            DeleteFileW(wide.c_str());
        errno = EIO;
    }
    return file;
}
} // namespace

std::FILE* CreateNewFile(const std::string& path, unsigned)
{
    std::wstring wide;
    if (!toWide(path, wide) || wide.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return nullptr;
    }
    return writingStream(h, wide, true);
}

std::FILE* OpenToRewrite(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide) || wide.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
        TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        errno = errnoOf(GetLastError());
        return nullptr;
    }
    return writingStream(h, wide, false);
}

std::FILE* OpenToRead(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide) || wide.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    return _wfopen(wide.c_str(), L"rb");
}

namespace {
bool identityOf(HANDLE h, FileIdentity& identity, DWORD* links = nullptr)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info))
        return false;
    identity = { info.dwVolumeSerialNumber,
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow };
    if (links != nullptr)
        *links = info.nNumberOfLinks;
    return true;
}
} // namespace

bool IdentityOnDisk(const std::string& path, FileIdentity& identity)
{
    const HANDLE h = openForQuery(path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool known = identityOf(h, identity);
    CloseHandle(h);
    return known;
}

bool IdentityOfOpenFile(std::FILE* file, FileIdentity& identity)
{
    if (file == nullptr)
        return false;
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return h != INVALID_HANDLE_VALUE && identityOf(h, identity);
}

bool WriteProtectedOnDisk(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide) || wide.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0
        && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool RenameLosesIdentity(const std::string& path)
{
    const HANDLE h = openForQuery(path);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FileIdentity identity;
    DWORD links = 1;
    const bool known = identityOf(h, identity, &links);
    CloseHandle(h);
    return known && links > 1;
}

long CurrentProcessId()
{
    return static_cast<long>(GetCurrentProcessId());
}

std::string ComputerName()
{
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &size) ? toUtf8(name, size) : std::string();
}

bool ProcessRunning(long id)
{
    if (id <= 0)
        return false;
    const HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (h == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return running;
}

void HoldInterrupts(bool) { }

namespace {
// The full form of a path: the replacement takes no path relative to the working folder.
std::wstring fullPath(const std::wstring& path)
{
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n)
        return path;
    full.resize(written);
    return full;
}
} // namespace

int RenameOver(const std::string& from, const std::string& to)
{
    std::wstring wideFrom, wideTo;
    if (!toWide(from, wideFrom) || !toWide(to, wideTo))
        return ENOENT;
    wideFrom = fullPath(wideFrom);
    wideTo = fullPath(wideTo);
    // An existing file is replaced keeping its attributes, owner and ACL.
    const DWORD attributes = GetFileAttributesW(wideTo.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (ReplaceFileW(wideTo.c_str(), wideFrom.c_str(), nullptr,
                REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
            return 0;
        const DWORD error = GetLastError();
        // The replacement could not take the old file's place: the new file still stands
        // beside it (ERROR_UNABLE_TO_REMOVE_REPLACED and the like); fall back to the move.
        if (error != ERROR_UNABLE_TO_REMOVE_REPLACED && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT
            && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && error != ERROR_INVALID_PARAMETER
            && error != ERROR_NOT_SUPPORTED && error != ERROR_CALL_NOT_IMPLEMENTED)
            return errnoOf(error);
    }
    if (MoveFileExW(
            wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return errnoOf(GetLastError());
}

} // namespace vorida
