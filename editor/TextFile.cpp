#include "TextFile.h"

#include "Cp1250.h"

#include <algorithm>
#include <cerrno>
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

} // namespace

DecodedText DecodeText(std::string_view bytes)
{
    DecodedText decoded;
    decoded.Encoding = DetectEncoding(bytes);
    if (decoded.Encoding == TextEncoding::Utf8Bom)
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    bool sawCrLf = false, sawLf = false, sawCr = false;
    std::string joined;
    joined.reserve(bytes.size());
    // Runs between carriage returns go over whole; a CR LF or a lone CR becomes LF.
    for (size_t i = 0; i < bytes.size();) {
        const size_t cr = std::min(bytes.find('\r', i), bytes.size());
        const std::string_view run = bytes.substr(i, cr - i);
        sawLf = sawLf || run.find('\n') != std::string_view::npos;
        joined.append(run);
        if (cr == bytes.size())
            break;
        if (cr + 1 < bytes.size() && bytes[cr + 1] == '\n') {
            sawCrLf = true;
            i = cr + 2;
        } else {
            sawCr = true;
            i = cr + 1;
        }
        joined += '\n';
    }
    switch (decoded.Encoding) {
    case TextEncoding::Cp1250:
        decoded.Utf8 = Cp1250ToUtf8(joined);
        break;
    case TextEncoding::Utf8:
        decoded.Utf8 = std::move(joined);
        break;
    case TextEncoding::Utf8Bom:
        decoded.Utf8 = utf8Mending(joined);
        break;
    }
    if (sawLf && !sawCr && !sawCrLf)
        decoded.Convention = LineEnd::Lf;
    else if (sawCr && !sawLf && !sawCrLf)
        decoded.Convention = LineEnd::Cr;
    else
        decoded.Convention = LineEnd::CrLf;
    return decoded;
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
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int code = lastError();
        throw TextFileError(describe("Błąd odczytu pliku", path, code, file.errorString()));
    }
    return content.toStdString();
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
