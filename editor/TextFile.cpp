#include "TextFile.h"

#include "Cp1250.h"

#include <cerrno>
#include <system_error>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vorida::editor {

DecodedText DecodeText(std::string_view bytes)
{
    bool sawCrLf = false, sawLf = false, sawCr = false;
    std::string joined;
    joined.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                sawCrLf = true;
                ++i;
            } else {
                sawCr = true;
            }
            joined += '\n';
        } else {
            if (c == '\n')
                sawLf = true;
            joined += c;
        }
    }
    DecodedText decoded;
    decoded.Utf8 = Cp1250ToUtf8(joined);
    if (sawLf && !sawCr && !sawCrLf)
        decoded.Convention = LineEnd::Lf;
    else if (sawCr && !sawLf && !sawCrLf)
        decoded.Convention = LineEnd::Cr;
    else
        decoded.Convention = LineEnd::CrLf;
    return decoded;
}

std::string EncodeText(std::string_view utf8, LineEnd convention)
{
    std::string bytes = Utf8ToCp1250(utf8, '?');
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

std::string ReadWholeFile(const QString& path)
{
    QFile file(path);
    clearError();
    if (!file.open(QIODevice::ReadOnly)) {
        const int code = lastError();
        throw FileError(describe("Nie można otworzyć pliku", path, code, file.errorString()));
    }
    clearError();
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        const int code = lastError();
        throw FileError(describe("Błąd odczytu pliku", path, code, file.errorString()));
    }
    return content.toStdString();
}

void WriteWholeFile(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    clearError();
    if (!file.open(QIODevice::WriteOnly)) {
        const int code = lastError();
        throw FileError(describe("Nie można utworzyć pliku", path, code, file.errorString()));
    }
    const qint64 size = static_cast<qint64>(bytes.size());
    clearError();
    if (file.write(bytes.data(), size) != size) {
        const int code = lastError();
        QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(describe("Błąd zapisu pliku", path, code, reason));
    }
    // Flush before committing: QSaveFile::commit does not see a write that the disk cut short
    // while flushing (a full disk, a file-size limit) and would put the truncated file in place.
    clearError();
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        const int code = lastError();
        QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(describe("Błąd zapisu pliku", path, code, reason));
    }
    clearError();
    if (!file.commit()) {
        const int code = lastError();
        throw FileError(describe("Błąd zapisu pliku", path, code, file.errorString()));
    }
}

} // namespace vorida::editor
