// The editor's files on disk: single-byte Windows-1250 text with CR LF, LF or CR line ends.
// In the text area the text is UTF-8 with LF only; these convert both ways, so that a file
// opened and saved without edits keeps every byte.
#pragma once

#include <QString>

#include <stdexcept>
#include <string>
#include <string_view>

namespace vorida::editor {

enum class LineEnd { CrLf, Lf, Cr };

struct DecodedText
{
    std::string Utf8; // lines joined by LF
    LineEnd Convention = LineEnd::CrLf; // LF when the bytes had only LF, CR when only CR
};

// Splits on CR LF, LF and CR and decodes Windows-1250.
DecodedText DecodeText(std::string_view bytes);
// Joins the LF-separated UTF-8 text with the given line end and encodes it in Windows-1250;
// a character the code page has no byte for is written as '?'.
std::string EncodeText(std::string_view utf8, LineEnd convention);

// A file that could not be read or written; the text names the file and gives the reason.
class FileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The reason of a failed file operation as the user reads it: our own Polish wording for the
// common error codes (no such file, permission denied, no space left, is a directory,
// read-only file system), the system's text for the rest.
QString FailureReason(int errorCode, const QString& systemText);

// The whole content of a file. Throws FileError.
std::string ReadWholeFile(const QString& path);
// Replaces the file's content through a temporary file in the same directory renamed over it,
// so that on any failure the old file stays as it was. Throws FileError.
void WriteWholeFile(const QString& path, std::string_view bytes);

} // namespace vorida::editor
