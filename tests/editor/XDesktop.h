// What the window manager really shows, read from the X server with xprop and xwininfo: the
// stacking order, the active window, a window's frame on the screen. For the suites that run
// under openbox (under-openbox.sh).
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <algorithm>

namespace xdesktop {

inline QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(5000);
    return QString::fromLatin1(process.readAllStandardOutput());
}

// The numbers an X property of `window` (or of the root) lists, in order.
inline QList<qulonglong> numbersOf(const QString& property, WId window = 0)
{
    QStringList args;
    if (window)
        args << QStringLiteral("-id") << QString::number(window);
    else
        args << QStringLiteral("-root");
    args << property;
    const QString out = run(QStringLiteral("xprop"), args);
    QList<qulonglong> numbers;
    const qsizetype start = std::max(out.indexOf(QLatin1Char('#')), out.indexOf(QLatin1Char('=')));
    if (start < 0)
        return numbers;
    static const QRegularExpression number(QStringLiteral("0x[0-9a-f]+|\\b[0-9]+\\b"));
    for (const auto& match : number.globalMatch(out.mid(start)))
        numbers << match.captured().toULongLong(nullptr, 0);
    return numbers;
}

// The windows the window manager stacks, bottom first.
inline QList<qulonglong> stacking()
{
    return numbersOf(QStringLiteral("_NET_CLIENT_LIST_STACKING"));
}

inline WId activeWindow()
{
    const QList<qulonglong> active = numbersOf(QStringLiteral("_NET_ACTIVE_WINDOW"));
    return active.isEmpty() ? 0 : active.constFirst();
}

// Whether a window manager runs, waiting up to 10 s for one to come up.
inline bool windowManagerUp()
{
    QElapsedTimer waited;
    waited.start();
    while (numbersOf(QStringLiteral("_NET_SUPPORTING_WM_CHECK")).isEmpty()) {
        if (waited.elapsed() > 10000)
            return false;
        QTest::qWait(50);
    }
    return true;
}

// The window's frame as the window manager drew it, on the screen; empty before it framed it.
inline QRect realFrame(const QWidget& window)
{
    const QList<qulonglong> extents
        = numbersOf(QStringLiteral("_NET_FRAME_EXTENTS"), window.winId()); // left right top bottom
    if (extents.size() != 4)
        return {};
    const QString info = run(
        QStringLiteral("xwininfo"), { QStringLiteral("-id"), QString::number(window.winId()) });
    const auto field = [&info](const char* name) {
        const QRegularExpression re(QString::fromLatin1(name) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    const QRect client(field("Absolute upper-left X"), field("Absolute upper-left Y"),
        field("Width"), field("Height"));
    return client.adjusted(-static_cast<int>(extents[0]), -static_cast<int>(extents[2]),
        static_cast<int>(extents[1]), static_cast<int>(extents[3]));
}

// Every window of the program drawn now, and `window` standing still where the window
// manager put it (its frame the same on two reads in a row): ready for a screenshot.
inline void settle(const QWidget& window)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible())
            top->repaint();
    QRect before = realFrame(window);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000) {
        QTest::qWait(50);
        const QRect now = realFrame(window);
        if (now == before)
            return;
        before = now;
    }
}

// Waits (up to 15 s: the machine may be busy) until the window manager has framed `window` and
// made it the active one.
inline bool framedAndActive(const QWidget& window)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 15000) {
        if (!realFrame(window).isEmpty() && activeWindow() == window.winId())
            return true;
        QTest::qWait(50);
    }
    return false;
}

} // namespace xdesktop
