// Shared by the editor's test suites: files in a temporary directory, a recording platform
// that answers the questions, and the text area's text as Qt strings.
#pragma once

#include "RecordingPlatform.h"
#include "TextArea.h"

#include <QFile>
#include <QKeyEvent>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <string>

namespace editortest {

inline QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

inline QString text(const vorida::editor::TextArea& area)
{
    std::string_view utf8 = area.Utf8();
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline void setText(vorida::editor::TextArea& area, const QString& utf16)
{
    area.LoadBytes(
        vorida::editor::EncodeText(utf16.toUtf8().toStdString(), vorida::editor::LineEnd::CrLf));
}

// Types text key by key, Polish letters included (QTest::keyClicks knows ASCII only).
inline void typeText(QWidget* widget, const QString& keys)
{
    for (QChar c : keys) {
        if (c == u'\t') {
            QTest::keyClick(widget, Qt::Key_Tab);
        } else if (c.unicode() < 0x80) {
            QTest::keyClick(widget, static_cast<char>(c.unicode()));
        } else {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(widget, &press);
            QCoreApplication::sendEvent(widget, &release);
        }
    }
}

// The kinds of everything the platform was asked to show, in order.
inline QStringList kinds(const vorida::RecordingPlatform& platform)
{
    QStringList out;
    for (const auto& shown : platform.Log)
        out << QString::fromStdString(shown.Kind);
    return out;
}

inline QString lastText(const vorida::RecordingPlatform& platform)
{
    return platform.Log.empty() ? QString() : QString::fromStdString(platform.Log.back().Text);
}

} // namespace editortest
