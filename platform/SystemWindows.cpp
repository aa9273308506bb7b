// The system calls of the platform layer on Windows. Texts cross the layer as UTF-8 and reach
// the system as UTF-16 through its wide-character calls.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include "SystemWindows.h"
#include "Platform.h"
#include "RemovalSlots.h"
#include "System.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#include <streambuf>
#include <windows.h>

namespace vorida {

// UTF-8 to UTF-16; nothing when the text is not valid UTF-8.
bool toWide(const std::string& text, std::wstring& wide)
{
    wide.clear();
    if (text.empty())
        return true;
    const int size = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), n)
        == n;
}

std::string toUtf8(const wchar_t* wide, size_t length)
{
    if (length == 0)
        return {};
    const int size = static_cast<int>(length);
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, size, text.data(), n, nullptr, nullptr);
    return text;
}

// The errno-style reason of a system error, for the messages that name it.
int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    default:
        return EIO;
    }
}

// A handle that asks for no access: enough to learn what the path names.
HANDLE openForQuery(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide) || wide.empty())
        return INVALID_HANDLE_VALUE;
    return CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

namespace {

SYSTEMTIME systemTime(const LocalDateTime& when)
{
    SYSTEMTIME st {};
    st.wYear = static_cast<WORD>(when.Year);
    st.wMonth = static_cast<WORD>(when.Month);
    st.wDay = static_cast<WORD>(when.Day);
    st.wHour = static_cast<WORD>(when.Hour);
    st.wMinute = static_cast<WORD>(when.Minute);
    st.wSecond = static_cast<WORD>(when.Second);
    return st;
}

UINT savedConsoleOutputCodePage = 0;

void restoreConsoleOutputCodePage()
{
    SetConsoleOutputCP(savedConsoleOutputCodePage);
}

RemovalSlots<wchar_t, 4096> removals;

BOOL WINAPI removeOnConsoleEvent(DWORD event)
{
    // Ctrl+C, Ctrl+Break, a closed console window, a logoff or shutdown: the files go (opened
    // with FILE_SHARE_DELETE, they vanish once the ending program closes them).
    removals.ForEach([](const wchar_t* path) { DeleteFileW(path); });
    // Ctrl+C ends the program at once (no exit handlers, which could wait for a lock the
    // working thread holds) with the status a shell gives a program ended by SIGINT; for the
    // others the system's handler ends it.
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        if (savedConsoleOutputCodePage != 0)
            SetConsoleOutputCP(savedConsoleOutputCodePage);
        TerminateProcess(GetCurrentProcess(), 130);
    }
    return FALSE;
}

// UTF-8 text to a console window through its wide-character interface. A sequence cut between
// two writes waits for its end.
class ConsoleBuffer : public std::streambuf
{
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) { }

protected:
    int_type overflow(int_type c) override
    {
        if (c != traits_type::eof()) {
            pending_ += static_cast<char>(c);
            if (c == '\n')
                sync();
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        pending_.append(s, static_cast<size_t>(n));
        if (pending_.find('\n') != std::string::npos)
            sync();
        return n;
    }
    int sync() override
    {
        // Up to the last whole UTF-8 sequence.
        size_t whole = pending_.size();
        size_t back = 0;
        while (back < 3 && back < whole
            && (static_cast<unsigned char>(pending_[whole - 1 - back]) & 0xC0) == 0x80)
            ++back;
        if (back < whole) {
            const unsigned char lead = static_cast<unsigned char>(pending_[whole - 1 - back]);
            const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
            if (lead >= 0xC0 && length > back + 1)
                whole -= back + 1;
        }
        if (whole == 0)
            return 0;
        const int size = static_cast<int>(whole);
        const int n = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), size, nullptr, 0);
        std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0)
            MultiByteToWideChar(CP_UTF8, 0, pending_.data(), size, wide.data(), n);
        pending_.erase(0, whole);
        DWORD written = 0;
        for (size_t done = 0; done < wide.size(); done += written) {
            if (!WriteConsoleW(console_, wide.data() + done, static_cast<DWORD>(wide.size() - done),
                    &written, nullptr)
                || written == 0)
                return -1;
        }
        return 0;
    }

private:
    HANDLE console_;
    std::string pending_;
};

// The stream writes to a console window: from now on through the wide-character interface.
void toConsoleWindow(std::ostream& stream, DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode))
        return;
    static ConsoleBuffer* buffers[2] = { nullptr, nullptr };
    ConsoleBuffer*& buffer = buffers[which == STD_OUTPUT_HANDLE ? 0 : 1];
    if (buffer == nullptr)
        buffer = new ConsoleBuffer(handle); // lives as long as the program
    stream.flush();
    stream.rdbuf(buffer);
}

} // namespace

FileKind FileKindOnDisk(const std::string& path)
{
    const HANDLE h = openForQuery(path);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                || error == ERROR_INVALID_NAME
            ? FileKind::Missing
            : FileKind::Other;
    }
    FileKind kind = FileKind::Other;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandle(h, &info))
        kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Directory
            : (info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE)     ? FileKind::Other
                                                                  : FileKind::Regular;
    CloseHandle(h);
    return kind;
}

bool SameFileOnDisk(const std::string& a, const std::string& b)
{
    const HANDLE ha = openForQuery(a);
    if (ha == INVALID_HANDLE_VALUE)
        return false;
    const HANDLE hb = openForQuery(b);
    bool same = false;
    if (hb != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION ia, ib;
        same = GetFileInformationByHandle(ha, &ia) && GetFileInformationByHandle(hb, &ib)
            && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber
            && ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
        CloseHandle(hb);
    }
    CloseHandle(ha);
    return same;
}

bool FlushFileToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (FlushFileBuffers(h))
        return true;
    errno = errnoOf(GetLastError());
    return false;
}

void InstallInterruptRemoval()
{
    SetConsoleCtrlHandler(removeOnConsoleEvent, TRUE);
}

int RemoveOnInterrupt(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide))
        return -1;
    return removals.Claim(wide.c_str(), wide.size());
}

void ReleaseOnInterrupt(int slot)
{
    removals.Release(slot);
}

bool StandardOutputIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::string ExecutableDirectoryOfProcess()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2); // cut short: try a larger buffer
    }
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return ".";
    return toUtf8(path.data(), separator);
}

bool RegularFileExistsOnDisk(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide) || wide.empty())
        return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool StandardErrorIsTerminal()
{
    DWORD mode = 0; // a console answers; a pipe or a file does not
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void UseBinaryStandardInput()
{
    _setmode(_fileno(stdin), _O_BINARY);
}

void UseBinaryStandardOutput()
{
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

LocalDateTime LocalNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    return { st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond };
}

std::string UserShortDate(const LocalDateTime& when)
{
    const SYSTEMTIME st = systemTime(when);
    wchar_t buffer[256];
    const int n = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer,
        static_cast<int>(sizeof buffer / sizeof buffer[0]), nullptr);
    return n > 0 ? toUtf8(buffer, static_cast<size_t>(n - 1)) : std::string();
}

std::string UserLongTime(const LocalDateTime& when)
{
    const SYSTEMTIME st = systemTime(when);
    wchar_t buffer[256];
    const int n = GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, buffer,
        static_cast<int>(sizeof buffer / sizeof buffer[0]));
    return n > 0 ? toUtf8(buffer, static_cast<size_t>(n - 1)) : std::string();
}

std::filesystem::path FileSystemPath(const std::string& path)
{
    std::wstring wide;
    if (!toWide(path, wide))
        return {};
    return std::filesystem::path(wide);
}

std::string PathText(const std::filesystem::path& path)
{
    const std::wstring& wide = path.native();
    return toUtf8(wide.data(), wide.size());
}

void UseUtf8Console()
{
    toConsoleWindow(std::cout, STD_OUTPUT_HANDLE);
    toConsoleWindow(std::cerr, STD_ERROR_HANDLE);
    const UINT current = GetConsoleOutputCP();
    if (current == 0 || current == CP_UTF8)
        return; // no console, or one that shows UTF-8 already
    if (SetConsoleOutputCP(CP_UTF8)) {
        savedConsoleOutputCodePage = current;
        std::atexit(restoreConsoleOutputCodePage);
    }
}

} // namespace vorida
