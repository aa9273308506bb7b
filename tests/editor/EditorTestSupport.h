// Shared by the editor's test suites: files in a temporary directory, a recording platform
// that answers the questions, and the text area's text as Qt strings.
#pragma once

#include "RecordingPlatform.h"
#include "TextArea.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace editortest {

// The one way the editor's tests meet a modal dialog: `open` shows it and returns when it is
// answered; meanwhile, from inside the dialog's event loop, `look` runs on it once `ready`
// holds for it (up to 15 s; without `ready`, once it is shown). A dialog `look` leaves open is
// then closed as Esc closes it. False when no dialog came up.
inline bool withNextDialog(const std::function<void()>& open,
    const std::function<void(QWidget&)>& look, const std::function<bool(QWidget&)>& ready = {})
{
    bool came = false;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = nullptr;
        const auto shown = [&] {
            dialog = QApplication::activeModalWidget();
            return dialog && dialog->isVisible();
        };
        if (!QTest::qWaitFor(shown, 15000))
            return;
        came = true;
        if (ready)
            (void)QTest::qWaitFor([&] { return shown() && ready(*dialog); }, 15000);
        QPointer<QWidget> watched(dialog);
        look(*dialog);
        if (watched && watched->isVisible())
            QMetaObject::invokeMethod(watched, "reject", Qt::QueuedConnection);
    });
    open();
    return came;
}

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

// A recording platform and one editor window, active, with the focus in its text area: what
// the suites that drive a whole window set up before each case and take down after it.
struct EditorWindowFixture
{
    std::unique_ptr<vorida::RecordingPlatform> platform;
    std::unique_ptr<vorida::ScopedPlatform> scope;
    QPointer<vorida::editor::TEdytorF> window;
    vorida::editor::TEdytorFrame* frame = nullptr;
    vorida::editor::TextArea* area = nullptr;

    // False when the window did not become active.
    bool openWindow()
    {
        platform = std::make_unique<vorida::RecordingPlatform>();
        scope = std::make_unique<vorida::ScopedPlatform>(*platform);
        window = new vorida::editor::TEdytorF;
        frame = window->Frame();
        area = frame->Editor();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            return false;
        area->setFocus();
        return true;
    }

    void closeWindow()
    {
        delete window.data();
        scope.reset();
        platform.reset();
    }
};

} // namespace editortest
