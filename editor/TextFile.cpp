#include "TextFile.h"

#include "Cp1250.h"

#include <QDir>
#include <QFile>
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

namespace {

std::string describe(const char* what, const QString& path, const QString& reason)
{
    return (QString::fromUtf8(what) + QStringLiteral(" \"") + QDir::toNativeSeparators(path)
        + QStringLiteral("\".\n") + reason)
        .toUtf8()
        .toStdString();
}

} // namespace

std::string ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(describe("Nie można otworzyć pliku", path, file.errorString()));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(describe("Błąd odczytu pliku", path, file.errorString()));
    return content.toStdString();
}

void WriteWholeFile(const QString& path, std::string_view bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(describe("Nie można utworzyć pliku", path, file.errorString()));
    const qint64 size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(describe("Błąd zapisu pliku", path, reason));
    }
    // Flush before committing: QSaveFile::commit does not see a write that the disk cut short
    // while flushing (a full disk, a file-size limit) and would put the truncated file in place.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(describe("Błąd zapisu pliku", path, reason));
    }
    if (!file.commit())
        throw FileError(describe("Błąd zapisu pliku", path, file.errorString()));
}

} // namespace vorida::editor
