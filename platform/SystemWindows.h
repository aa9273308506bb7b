// What the Windows system calls share (SystemWindows.cpp, SystemWindowsFiles.cpp): texts
// between UTF-8 and UTF-16, the errno-style reasons of system errors, and a handle that only
// asks what a path names.
#pragma once

#include <string>
#include <windows.h>

namespace vorida {

// UTF-8 to UTF-16; false when the text is not valid UTF-8.
bool toWide(const std::string& text, std::wstring& wide);
std::string toUtf8(const wchar_t* wide, size_t length);
// The errno-style reason of a system error, for the messages that name it.
int errnoOf(DWORD error);
// A handle that asks for no access: enough to learn what the path names.
HANDLE openForQuery(const std::string& path);

} // namespace vorida
