// The system calls of the platform layer on Windows. Texts cross the layer as UTF-8 and reach
// the system as UTF-16 through its wide-character calls.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include "Platform.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace vorida {

namespace {

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

} // namespace

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
    const UINT current = GetConsoleOutputCP();
    if (current == 0 || current == CP_UTF8)
        return; // no console, or one that shows UTF-8 already
    if (SetConsoleOutputCP(CP_UTF8)) {
        savedConsoleOutputCodePage = current;
        std::atexit(restoreConsoleOutputCodePage);
    }
}

} // namespace vorida
