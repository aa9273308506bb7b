#include "PrzyciskLok.h"

#include "Platform.h"
#include "UEdytorF.h"

#include <QApplication>

namespace vorida::ui {

TPrzyciskLok::TPrzyciskLok(QWidget* parent)
    : QToolButton(parent),
      baseDirectory_(QString::fromStdString(CurrentPlatform().ExecutableDirectory()))
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setIconSize(QSize(24, 24));
    setIcon(FileAbsentGlyph());
    connect(this, &QToolButton::clicked, this, &TPrzyciskLok::OpenInEditor);
}

void TPrzyciskLok::SetNazwaPliku(const QString& name)
{
    if (text() == objectName() || text() == nazwaPliku_)
        setText(name);
    nazwaPliku_ = name;
}

const QIcon& TPrzyciskLok::FilePresentGlyph()
{
    static const QIcon glyph(QStringLiteral(":/vorida/ui/Plik_JEST_24.png"));
    return glyph;
}

const QIcon& TPrzyciskLok::FileAbsentGlyph()
{
    static const QIcon none;
    return none;
}

void TPrzyciskLok::Repaint()
{
    present_ = CurrentPlatform().RegularFileExists(FilePath().toStdString());
    setIcon(present_ ? FilePresentGlyph() : FileAbsentGlyph());
    repaint();
}

void TPrzyciskLok::enterEvent(QEnterEvent* event)
{
    QToolButton::enterEvent(event);
    Repaint();
}

void TPrzyciskLok::leaveEvent(QEvent* event)
{
    QToolButton::leaveEvent(event);
    Repaint();
}

void TPrzyciskLok::OpenInEditor()
{
    // Each click opens a further window, also on a file already open elsewhere; the window
    // belongs to the main window and deletes itself when closed.
    auto* editor = new editor::TEdytorF(window());
    // A closed editor window may have saved a file: the buttons show it at once.
    connect(editor, &QObject::destroyed, window(), &RefreshFileButtons, Qt::QueuedConnection);
    // The new window keeps the keyboard: it opened to be worked in.
    editor->OpenFile(FilePath());
}

void RefreshFileButtons()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->parent() != nullptr)
            continue; // searched under its owner
        QList<TPrzyciskLok*> buttons = qobject_cast<TPrzyciskLok*>(top)
            ? QList<TPrzyciskLok*> { qobject_cast<TPrzyciskLok*>(top) }
            : FindComponentsOfClass<TPrzyciskLok>(top);
        for (TPrzyciskLok* button : buttons)
            if (!button->isHidden())
                button->Repaint();
    }
}

} // namespace vorida::ui
