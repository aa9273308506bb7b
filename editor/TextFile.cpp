#include "TextFile.h"

#include "Cp1250.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vorida::editor {

namespace {

// UTF-8 as it is; a byte outside any well-formed sequence as its Windows-1250 character.
std::string utf8Mending(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t start = i;
        if (DecodeUtf8(bytes, i) < 0)
            out += Cp1250ToUtf8(bytes.substr(i++, 1));
        else
            out.append(bytes.substr(start, i - start));
    }
    return out;
}

// The UTF-8 of a Windows-1250 byte from 0x80 up.
std::string_view cp1250Utf8(unsigned char byte)
{
    static const std::array<std::string, 128> table = [] {
        std::array<std::string, 128> utf8;
        for (size_t i = 0; i < utf8.size(); ++i)
            utf8[i] = Cp1250ToUtf8(std::string(1, static_cast<char>(0x80 + i)));
        return utf8;
    }();
    return table[byte - 0x80];
}

// The first byte from `i` on that is a CR or, when `highStops`, from 0x80 up; the size when
// there is none. Eight bytes are looked at a time.
size_t nextStop(std::string_view bytes, size_t i, bool highStops)
{
    constexpr uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        const uint64_t cr = word ^ (ones * '\r'); // a zero byte where a CR is
        if ((((cr - ones) & ~cr) | (highStops ? word : 0)) & highs)
            break;
    }
    while (i < bytes.size() && bytes[i] != '\r'
        && !(highStops && static_cast<unsigned char>(bytes[i]) >= 0x80))
        ++i;
    return i;
}

} // namespace

DecodedText DecodeText(std::string_view bytes)
{
    TextDecoder decoder(bytes);
    DecodedText decoded;
    decoder.Decode(decoder.Text(), decoded.Utf8);
    decoded.Convention = decoder.Convention();
    decoded.Encoding = decoder.Encoding();
    return decoded;
}

TextDecoder::TextDecoder(std::string_view bytes) : text_(bytes), encoding_(DetectEncoding(bytes))
{
    if (encoding_ == TextEncoding::Utf8Bom)
        text_.remove_prefix(kUtf8ByteOrderMark.size());
}

void TextDecoder::Decode(std::string_view piece, std::string& out)
{
    std::string mended;
    std::string& to = encoding_ == TextEncoding::Utf8Bom ? mended : out;
    // Windows-1250 letters are decoded on the way, so that the text is copied once.
    const bool cp1250 = encoding_ == TextEncoding::Cp1250;
    to.reserve(to.size() + piece.size() + (cp1250 ? piece.size() / 8 : 0));
    // Runs of ASCII without a carriage return go over whole; a CR LF or a lone CR becomes LF.
    for (size_t i = 0; i < piece.size();) {
        const size_t end = nextStop(piece, i, cp1250);
        const std::string_view run = piece.substr(i, end - i);
        sawLf_ = sawLf_ || run.find('\n') != std::string_view::npos;
        to.append(run);
        if (end == piece.size())
            break;
        if (piece[end] != '\r') {
            to.append(cp1250Utf8(static_cast<unsigned char>(piece[end])));
            i = end + 1;
            continue;
        }
        if (end + 1 < piece.size() && piece[end + 1] == '\n') {
            sawCrLf_ = true;
            i = end + 2;
        } else {
            sawCr_ = true;
            i = end + 1;
        }
        to += '\n';
    }
    if (encoding_ == TextEncoding::Utf8Bom)
        out += utf8Mending(mended);
}

LineEnd TextDecoder::Convention() const
{
    if (sawLf_ && !sawCr_ && !sawCrLf_)
        return LineEnd::Lf;
    if (sawCr_ && !sawLf_ && !sawCrLf_)
        return LineEnd::Cr;
    return LineEnd::CrLf;
}

std::string EncodeText(std::string_view utf8, LineEnd convention, TextEncoding encoding)
{
    std::string bytes;
    if (encoding == TextEncoding::Cp1250)
        bytes = Utf8ToCp1250(utf8, '?');
    else
        bytes
            = (encoding == TextEncoding::Utf8Bom ? std::string(kUtf8ByteOrderMark) : std::string())
            + std::string(utf8);
    if (convention == LineEnd::Lf)
        return bytes;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (char c : bytes) {
        if (c != '\n')
            out += c;
        else if (convention == LineEnd::Cr)
            out += '\r';
        else
            out += "\r\n";
    }
    return out;
}

QString FailureReason(int errorCode, const QString& systemText)
{
    switch (static_cast<std::errc>(errorCode)) {
    case std::errc::no_such_file_or_directory:
        return QStringLiteral("Nie ma takiego pliku ani katalogu.");
    case std::errc::permission_denied:
    case std::errc::operation_not_permitted:
        return QStringLiteral("Brak uprawnień dostępu.");
    case std::errc::no_space_on_device:
        return QStringLiteral("Brak miejsca na dysku.");
    case std::errc::is_a_directory:
        return QStringLiteral("To jest katalog, nie plik.");
    case std::errc::read_only_file_system:
        return QStringLiteral("System plików jest tylko do odczytu.");
    default:
        return systemText;
    }
}

namespace {

// The error code of the call that has just failed; 0 when that call set none.
int lastError()
{
    return errno;
}

// Starts a call whose failure lastError() reads.
void clearError()
{
    errno = 0;
}

std::string describe(const char* what, const QString& path, const QString& reason)
{
    return (QString::fromUtf8(what) + QStringLiteral(" \"") + QDir::toNativeSeparators(path)
        + QStringLiteral("\".\n") + reason)
        .toUtf8()
        .toStdString();
}

std::string describe(const char* what, const QString& path, int errorCode, const QString& text)
{
    // A directory in the way has no error code of its own in every Qt path (a save says
    // "Filename refers to a directory").
    if (QFileInfo(path).isDir())
        errorCode = static_cast<int>(std::errc::is_a_directory);
    return describe(what, path, FailureReason(errorCode, text));
}

} // namespace

DiskVersion DiskVersionOf(const QString& path)
{
    const QFileInfo info(path);
    DiskVersion version;
    version.Exists = info.isFile();
    if (version.Exists) {
        version.Size = info.size();
        version.Modified = info.lastModified().toMSecsSinceEpoch();
    }
    return version;
}

size_t ContentHash(std::string_view bytes)
{
    return std::hash<std::string_view> {}(bytes);
}

std::string ReadWholeFile(const QString& path)
{
    QFile file(path);
    clearError();
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = lastError();
        throw TextFileError(describe("Nie można otworzyć pliku", path, code, file.errorString()));
    }
    clearError();
    // Read straight into the string of the size the file has, so that a big file is not held
    // twice; whatever follows (the file grew, or has no size: a pipe) is read in pieces.
    std::string content(static_cast<size_t>(std::max<qint64>(file.size(), 0)), '\0');
    qint64 got = content.empty() ? 0 : file.read(content.data(), qint64(content.size()));
    content.resize(static_cast<size_t>(std::max<qint64>(got, 0)));
    std::array<char, 1 << 16> piece;
    while (got >= 0 && (got = file.read(piece.data(), qint64(piece.size()))) > 0)
        content.append(piece.data(), static_cast<size_t>(got));
    if (got < 0 || file.error() != QFileDevice::NoError) {
        const int code = lastError();
        throw TextFileError(describe("Błąd odczytu pliku", path, code, file.errorString()));
    }
    return content;
}

void WriteWholeFile(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    const QFileInfo existing(path);
    const QFileDevice::Permissions anyWrite
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (existing.isFile() && (!existing.isWritable() || !(existing.permissions() & anyWrite))) {
        // Replacing it through a new file would succeed in a writable directory and quietly
        // drop the protection. Marked read-only for everyone, it stays so for the superuser
        // too, as Windows keeps its read-only attribute for administrators.
        throw TextFileError(describe(
            "Nie można zapisać pliku", path, QStringLiteral("Plik jest tylko do odczytu.")));
    }
    clearError();
    if (!file.open(QIODevice::WriteOnly)) {
        const int code = lastError();
        throw TextFileError(
            describe(existing.isFile() ? "Nie można zapisać pliku" : "Nie można utworzyć pliku",
                path, code, file.errorString()));
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    clearError();
    if (file.write(bytes.data(), size) != size) {
        const int code = lastError();
        QString reason = file.errorString();
        file.cancelWriting();
        throw TextFileError(describe("Błąd zapisu pliku", path, code, reason));
    }
    // Flush before committing: QSaveFile::commit does not see a write that the disk cut short
    // while flushing (a full disk, a file-size limit) and would put the truncated file in place.
    clearError();
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const int code = lastError();
        QString reason = file.errorString();
        file.cancelWriting();
        throw TextFileError(describe("Błąd zapisu pliku", path, code, reason));
    }
    clearError();
    if (!file.commit()) {
        const int code = lastError();
        throw TextFileError(describe("Błąd zapisu pliku", path, code, file.errorString()));
    }
}

} // namespace vorida::editor
