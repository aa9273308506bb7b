#include "UEdytorF.h"

#include "Platform.h"
#include "TextArea.h"
#include "TextFile.h"
#include "UEdytorFrame.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QVBoxLayout>

namespace vorida::editor {

TEdytorF::TEdytorF(QWidget* owner) : QWidget(owner, Qt::Window)
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
    show();
    EdytorFrame1->Editor()->setFocus();
}

void TEdytorF::OpenFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        // Not a file to edit, and no name to save under: the window stays empty and unbound.
        CurrentPlatform().ShowMessage((QStringLiteral("\"") + QDir::toNativeSeparators(path)
            + QStringLiteral("\" jest katalogiem, nie plikiem."))
                                          .toStdString());
        return;
    }
    if (info.isFile()) {
        try {
            EdytorFrame1->Editor()->LoadBytes(ReadWholeFile(path));
        } catch (const std::exception& error) {
            CurrentPlatform().ShowMessage(error.what());
            return;
        }
    }
    setWindowTitle(QDir::toNativeSeparators(path));
    EdytorFrame1->SetFileName(path);
}

bool TEdytorF::FormCloseQuery()
{
    // An owner already gone means the program is ending: its editors go without asking.
    if (parentWidget() && !parentWidget()->isVisible())
        return true;
    if (!EdytorFrame1->Editor()->Modified())
        return true;
    switch (CurrentPlatform().AskYesNoCancel("Plik nie został zapisany. Zapisać?", "Ostrzeżenie")) {
    case Answer::Yes:
        try {
            return EdytorFrame1->SaveFile();
        } catch (const std::exception& error) {
            CurrentPlatform().ShowMessage(error.what());
            return false; // the old file is intact; the window stays open with the text
        }
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void TEdytorF::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

} // namespace vorida::editor
