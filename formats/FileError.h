// A file that could not be read or written, and the Polish words that say so: the path as a
// message shows it, the system's reason, and the failure lines of a read and of a write.
#pragma once

#include "Error.h"

#include <string>

namespace vorida {

// A file that could not be read or written. The text is the Polish line that names the file
// and the system's reason ("Nie można zapisać pliku wynik.txt: brak miejsca na dysku").
class FileError : public Error
{
public:
    using Error::Error;
};

// A path in a message (UTF-8), with the system's separators. A path whose bytes are not UTF-8 (a
// name from an old single-byte system) is read as Windows-1250, so that the message is valid
// UTF-8 either way.
std::string PathForMessage(const std::string& path);
// Reasons of the program's own beside the errno values: a file the user may not write, and an
// empty file name.
inline constexpr int kReadOnlyFileError = -1001;
inline constexpr int kEmptyNameError = -1002;
// The system's reason for an errno value, in Polish ("brak miejsca na dysku"); an uncommon one as
// "błąd systemu N" with the system's own words after it.
std::string ReasonText(int error);
// "Nie można zapisać pliku PATH: REASON"; for "-" the standard output is named instead.
std::string WriteFailureText(const std::string& path, int error);
// "Nie można odczytać pliku PATH: REASON"; for "-" the standard input.
std::string ReadFailureText(const std::string& path, int error);
// The errno value of a directory where a file was expected.
int DirectoryError();

} // namespace vorida
