#include "UEdytorF.h"

#include "Cascade.h"
#include "Failure.h"
#include "Platform.h"
#include "QtPlatform.h"
#include "System.h"
#include "TextArea.h"
#include "TextFile.h"
#include "UEdytorFrame.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace vorida::editor {

// A separate window with its own caption, owned by `owner`. Of a plain owned window the X11
// desktops learn nothing (Qt writes WM_TRANSIENT_FOR only for dialog-like windows), so it is
// typed as a dialog, with the buttons of an ordinary sizeable window: it then stays in front
// of its owner, has no taskbar entry and is minimized with it there as on Windows.
TEdytorF::TEdytorF(QWidget* owner)
    : QWidget(owner,
        owner ? Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint
              : Qt::Window)
{
    FormCreate();
}

void TEdytorF::FormCreate()
{
    setAttribute(Qt::WA_DeleteOnClose); // destroyed after closing, not merely hidden
    EdytorFrame1 = new TEdytorFrame(this);
    EdytorFrame1->setObjectName(QStringLiteral("EdytorFrame1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(EdytorFrame1);
    connect(EdytorFrame1, &TEdytorFrame::FileNameChanged, this,
        [this](const QString& path) { setWindowTitle(QDir::toNativeSeparators(path)); });
    setWindowTitle(QStringLiteral("---"));
    EdytorFrame1->Editor()->ClearAll();
    resize(447, 345);
    placeCascaded();
    show();
    // Opened to be worked in: in front and active, the keyboard in its text.
    raise();
    activateWindow();
    EdytorFrame1->Editor()->setFocus();
}

namespace {

// The editor windows in the order they were opened; closed ones drop out by themselves.
QList<QPointer<TEdytorF>>& openedEditors()
{
    static QList<QPointer<TEdytorF>> editors;
    return editors;
}

// The frame the window manager draws around `window`'s client area; none before it has.
QMargins frameOf(const QWidget& window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    return { inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
        outer.bottom() - inner.bottom() };
}

// The first place for an editor, whole in `room`: clear of the main window's file buttons (its
// tool buttons) and covering as little of it as may be: to its right, to its left, below or
// above it, else in a corner of the screen; of these the first that covers least.
QPoint firstPlace(const QWidget& owner, const QRect& room, const QSize& outer)
{
    const QRect main = owner.frameGeometry();
    const auto onScreen = [&room, &outer](QPoint place) {
        return QPoint(std::clamp(place.x(), room.left(),
                          std::max(room.left(), room.right() + 1 - outer.width())),
            std::clamp(
                place.y(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height())));
    };
    QRect buttons;
    for (const QToolButton* button : owner.findChildren<QToolButton*>())
        if (button->isVisible())
            buttons |= QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    const auto covered = [&outer](QPoint place, const QRect& what) {
        const QRect common = QRect(place, outer).intersected(what);
        return qint64(common.width()) * common.height();
    };
    const QPoint candidates[] = {
        { main.right() + 1, main.top() },
        { main.left() - outer.width(), main.top() },
        { main.left(), main.bottom() + 1 },
        { main.left(), main.top() - outer.height() },
        { room.left(), room.top() },
        { room.left(), room.bottom() + 1 - outer.height() },
        { room.right() + 1 - outer.width(), room.top() },
        { room.right() + 1 - outer.width(), room.bottom() + 1 - outer.height() },
    };
    QPoint first;
    std::pair<qint64, qint64> least { -1, -1 };
    for (const QPoint& candidate : candidates) {
        const QPoint place = onScreen(candidate);
        const std::pair<qint64, qint64> cost { covered(place, buttons), covered(place, main) };
        if (least.first < 0 || cost < least) {
            least = cost;
            first = place;
        }
    }
    return first;
}

QMargins& lastEditorFrame()
{
    static QMargins frame;
    return frame;
}

} // namespace

void TEdytorF::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    const QMargins frame = frameOf(*this);
    if (frame.isNull() || !askedPlace_)
        return;
    // Framed by the window manager: the frame is known from now on, and the window goes whole
    // onto the screen where a guessed frame left it hanging over an edge.
    lastEditorFrame() = frame;
    const QRect room = parentWidget() && parentWidget()->screen()
        ? parentWidget()->screen()->availableGeometry()
        : QRect();
    const QRect outer = frameGeometry();
    askedPlace_.reset();
    if (room.isEmpty() || room.contains(outer))
        return;
    const QPoint place(std::clamp(outer.left(), room.left(),
                           std::max(room.left(), room.right() + 1 - outer.width())),
        std::clamp(
            outer.top(), room.top(), std::max(room.top(), room.bottom() + 1 - outer.height())));
    askedPlace_ = place;
    move(place);
}

void TEdytorF::placeCascaded()
{
    QList<QPointer<TEdytorF>>& editors = openedEditors();
    editors.removeAll(nullptr);
    QWidget* owner = parentWidget();
    CascadeRoom room;
    // The frame of an editor as the window manager drew the last one; before any, the main
    // window's (which may lack the border of a sizeable window, made good once shown).
    QMargins frame = lastEditorFrame();
    if (frame.isNull() && owner)
        frame = frameOf(*owner);
    for (const QPointer<TEdytorF>& editor : editors) {
        if (!editor->isVisible() || editor->parentWidget() != owner)
            continue;
        // Where it really is once the window manager has framed it, and where it was asked to
        // be (the window manager may not have placed it yet, or may have moved it since).
        const QPoint real = editor->frameGeometry().topLeft();
        room.Taken << real;
        if (editor->askedPlace_)
            room.Taken << *editor->askedPlace_;
        room.Last = real;
    }
    editors.append(this);
    if (!owner || !owner->isVisible())
        return; // the system places it
    const QScreen* screen = owner->screen();
    if (!screen)
        return;
    room.Screen = screen->availableGeometry();
    room.Frame = size().grownBy(frame);
    room.First = firstPlace(*owner, room.Screen, room.Frame);
    askedPlace_ = CascadePlace(room);
    move(*askedPlace_);
}

void TEdytorF::OpenFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        // Not a file to edit, and no name to save under: the window stays empty and unbound.
        CurrentPlatform().ShowError((QStringLiteral("\"") + QDir::toNativeSeparators(path)
            + QStringLiteral("\" jest katalogiem, nie plikiem."))
                                        .toStdString());
        return;
    }
    if (!ShowingFailure([&] { EdytorFrame1->OpenFile(path); }))
        return;
    setWindowTitle(QDir::toNativeSeparators(path));
}

bool TEdytorF::FormCloseQuery()
{
    // An owner already gone means the program is ending: its editors go without asking.
    if (parentWidget() && !parentWidget()->isVisible())
        return true;
    if (!EdytorFrame1->Editor()->Modified())
        return true;
    // In front, so that the user sees which text is meant, and named on a line of its own.
    EdytorFrame1->BringToFront();
    const QtPlatform::DialogOwner boxOwner(this);
    const QString question = QStringLiteral("Plik nie został zapisany. Zapisać?");
    const QString file = EdytorFrame1->FileName();
    switch (CurrentPlatform().AskYesNoCancel(
        (file.isEmpty() ? question
                        : QDir::toNativeSeparators(file) + QStringLiteral("\r\r") + question)
            .toStdString(),
        "Ostrzeżenie")) {
    case Answer::Yes: {
        // A failed save leaves the old file intact; the window stays open with the text.
        bool saved = false;
        ShowingFailure([&] { saved = EdytorFrame1->SaveFile(); });
        return saved;
    }
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void TEdytorF::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Activated again: the file may have changed meanwhile (after the handler, so that the
    // question does not open inside the activation).
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QTimer::singleShot(0, EdytorFrame1, &TEdytorFrame::CheckDisk);
}

void TEdytorF::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

} // namespace vorida::editor
