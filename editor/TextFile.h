// The editor's files on disk: single-byte Windows-1250 text with CR LF, LF or CR line ends, or
// UTF-8 (with or without its byte-order mark) as Windows Notepad saves it. In the text area the
// text is UTF-8 with LF only; these convert both ways, so that a file opened and saved without
// edits keeps every byte.
#pragma once

#include "Error.h"
#include "TextEncoding.h"

#include <QString>

#include <string>
#include <string_view>

namespace vorida::editor {

enum class LineEnd { CrLf, Lf, Cr };

struct DecodedText
{
    std::string Utf8; // lines joined by LF
    LineEnd Convention = LineEnd::CrLf; // LF when the bytes had only LF, CR when only CR
    TextEncoding Encoding = TextEncoding::Cp1250;
};

// Splits on CR LF, LF and CR and decodes by DetectEncoding. A byte-order mark is not part of
// the text. Behind a byte-order mark, a byte that is no part of a well-formed UTF-8 sequence
// is read as Windows-1250 (a Notepad file a single-byte program has added to), so that saving
// writes the whole file in UTF-8.
DecodedText DecodeText(std::string_view bytes);

// The same piece by piece, for a file too big to be held decoded whole beside its bytes.
class TextDecoder
{
public:
    // The encoding is that of all of `bytes`.
    explicit TextDecoder(std::string_view bytes);
    // The bytes of the text: without the byte-order mark.
    std::string_view Text() const { return text_; }
    TextEncoding Encoding() const { return encoding_; }
    // Appends the UTF-8 of a piece of Text(), the pieces in their order. A piece ends just
    // after a LF, or at the end of the text: never between a CR and its LF, nor inside a
    // UTF-8 sequence.
    void Decode(std::string_view piece, std::string& out);
    // The line-end convention of the pieces decoded so far.
    LineEnd Convention() const;

private:
    std::string_view text_;
    TextEncoding encoding_;
    bool sawCrLf_ = false, sawLf_ = false, sawCr_ = false;
};
// Joins the LF-separated UTF-8 text with the given line end and encodes it: in Windows-1250,
// where a character the code page has no byte for is written as '?', or in UTF-8, after the
// byte-order mark for Utf8Bom.
std::string EncodeText(
    std::string_view utf8, LineEnd convention, TextEncoding encoding = TextEncoding::Cp1250);

// A file that could not be read or written; the text names the file and gives the reason.
class TextFileError : public Error
{
public:
    using Error::Error;
};

// The reason of a failed file operation as the user reads it: our own Polish wording for the
// common error codes (no such file, permission denied, no space left, is a directory,
// read-only file system), the system's text for the rest.
QString FailureReason(int errorCode, const QString& systemText);

// What the editor remembers of its file on disk, to tell whether another writer has changed it
// since: whether a file is there, its size and its time of last change.
struct DiskVersion
{
    bool Exists = false;
    qint64 Size = -1;
    qint64 Modified = 0; // milliseconds since the epoch
    bool operator==(const DiskVersion&) const = default;
};
DiskVersion DiskVersionOf(const QString& path);
// A fingerprint of a file's bytes, to tell a rewrite with the same text from a change.
size_t ContentHash(std::string_view bytes);

// The whole content of a file. Throws TextFileError.
std::string ReadWholeFile(const QString& path);
// Replaces the file's content through a temporary file in the same directory renamed over it,
// so that on any failure the old file stays as it was. Throws TextFileError: "Nie można zapisać
// pliku" when a file is there that cannot be replaced (read-only), "Nie można utworzyć pliku"
// when none is there and none can be made.
void WriteWholeFile(const QString& path, std::string_view bytes);

} // namespace vorida::editor
