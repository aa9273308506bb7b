// The frame's file handling: "Otwórz", "Zapisz", "Wyczyść", the window's own file opened and
// saved, and what the frame does when the disk watch sees that file changed (reload, or ask).
#include "UEdytorFrame.h"

#include "DiskWatch.h"
#include "Failure.h"
#include "Platform.h"
#include "TextArea.h"
#include "TextFile.h"

#include "QtPlatform.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace vorida::editor {

namespace {

int diskCheckHolds = 0;

// The file's path on a line of its own above a question about it.
std::string aboutFile(const QString& path, const char* question)
{
    return (QDir::toNativeSeparators(path) + QStringLiteral("\r\r") + QString::fromUtf8(question))
        .toStdString();
}

const char* const kReloadQuestion
    = "Plik na dysku został zmieniony, a tekst w oknie edytora nie jest zapisany.\r"
      "Wczytać plik z dysku? Zmiany wprowadzone w oknie zostaną utracone.\r"
      "(Nie: w oknie zostaje jego tekst.)";
const char* const kOverwriteQuestion
    = "Plik na dysku został zmieniony od chwili wczytania lub zapisu.\r"
      "Zapisać tekst z okna w miejsce zmienionego pliku?";
const char* const kDeletedQuestion
    = "Plik został usunięty z dysku od chwili wczytania lub zapisu.\r"
      "Zapisać go ponownie?";

} // namespace

// ---- Files ----

bool TEdytorFrame::SaveFile()
{
    TextArea1->FinishEditing();
    const std::string bytes = TextArea1->SavedBytes();
    if (fileName_.isEmpty()) {
        // Only a window whose file could not be read has no name: ask for one and keep it.
        const QtPlatform::DialogOwner owner(window());
        auto chosen = CurrentPlatform().ChooseFileToSave("", "");
        if (!chosen)
            return false;
        const QString path = QString::fromStdString(*chosen);
        WriteWholeFile(path, bytes);
        fileName_ = path;
        diskWatch_->SetPath(path);
        emit FileNameChanged(path);
    } else {
        std::string onDisk;
        const DiskWatch::Change change = diskWatch_->Compare(onDisk);
        if (change != DiskWatch::Change::None) {
            BringToFront();
            const QtPlatform::DialogOwner owner(window());
            if (CurrentPlatform().AskYesNo(
                    aboutFile(fileName_,
                        change == DiskWatch::Change::Deleted ? kDeletedQuestion
                                                             : kOverwriteQuestion),
                    "Ostrzeżenie")
                != Answer::Yes)
                return false;
        }
        WriteWholeFile(fileName_, bytes);
    }
    diskWatch_->Rebase(DiskVersionOf(fileName_), bytes);
    TextArea1->SetModified(false);
    return true;
}

void TEdytorFrame::LoadText(std::string_view bytes)
{
    TextArea1->LoadBytes(bytes);
    showEncoding();
}

void TEdytorFrame::showEncoding()
{
    const TextEncoding encoding = TextArea1->Encoding();
    encodingLabel_->setText(encoding == TextEncoding::Cp1250 ? QStringLiteral("Windows-1250")
                                                             : QStringLiteral("UTF-8"));
    encodingLabel_->setToolTip(encoding == TextEncoding::Utf8Bom
            ? QStringLiteral("Kodowanie pliku: UTF-8 ze znacznikiem BOM")
            : encoding == TextEncoding::Utf8 ? QStringLiteral("Kodowanie pliku: UTF-8")
                                             : QStringLiteral("Kodowanie pliku: Windows-1250"));
}

// ---- The file on disk ----

void TEdytorFrame::OpenFile(const QString& path)
{
    // The version before reading: a change while reading shows as a change later.
    const DiskVersion version = DiskVersionOf(path);
    std::string bytes;
    if (version.Exists) {
        bytes = ReadWholeFile(path);
        LoadText(bytes);
    }
    fileName_ = path;
    diskWatch_->SetPath(path);
    diskWatch_->Rebase(version, bytes);
}

void TEdytorFrame::CheckDisk()
{
    static bool asking = false;
    if (fileName_.isEmpty() || diskCheckHolds > 0)
        return; // the last hold looks again
    if (asking || QApplication::activeModalWidget()) {
        diskWatch_->RetryLater(); // one question at a time
        return;
    }
    std::string bytes;
    DiskVersion version;
    if (diskWatch_->Look(bytes, version) != DiskWatch::Change::Changed)
        return; // a deleted file is asked about when it is saved
    if (TextArea1->Modified()) {
        BringToFront();
        const QtPlatform::DialogOwner owner(window());
        asking = true;
        const Answer answer
            = CurrentPlatform().AskYesNo(aboutFile(fileName_, kReloadQuestion), "Ostrzeżenie");
        asking = false;
        if (answer != Answer::Yes) {
            // The text stays; "Zapisz" replaces this version unasked.
            diskWatch_->Rebase(version, bytes);
            return;
        }
    }
    reloadKeepingView(bytes);
    diskWatch_->Rebase(version, bytes);
}

void TEdytorFrame::reloadKeepingView(std::string_view bytes)
{
    TextArea& area = *TextArea1;
    const int line = area.CaretLine();
    const int column = area.CaretColumn();
    const int firstVisible = area.firstVisibleLine();
    const long xOffset = area.SendScintilla(QsciScintillaBase::SCI_GETXOFFSET);
    LoadText(bytes);
    const int lastLine = area.LineCount();
    const int newLine = std::min(line, lastLine);
    area.SetCaret(newLine, std::min(column, area.LineEndColumn(newLine)));
    area.setFirstVisibleLine(std::min(firstVisible, lastLine - 1));
    area.SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, static_cast<unsigned long>(xOffset));
}

void TEdytorFrame::BringToFront()
{
    QWidget* top = window();
    if (top->isMinimized())
        top->showNormal();
    top->raise();
    top->activateWindow();
}

DiskCheckHold::DiskCheckHold()
{
    ++diskCheckHolds;
}

DiskCheckHold::~DiskCheckHold()
{
    if (--diskCheckHolds > 0)
        return;
    for (QWidget* widget : QApplication::allWidgets())
        if (auto* frame = qobject_cast<TEdytorFrame*>(widget))
            QTimer::singleShot(0, frame, &TEdytorFrame::CheckDisk);
}

void TEdytorFrame::ToolbarButton975Click()
{
    const QtPlatform::DialogOwner owner(window());
    ShowingFailure([this] {
        auto chosen = CurrentPlatform().ChooseFileToOpen("", "");
        if (!chosen)
            return;
        // Read first: a file that cannot be read leaves everything as it was.
        std::string bytes = ReadWholeFile(QString::fromStdString(*chosen));
        // Over unsaved edits one undo step gives back the text before it. The tabs are
        // expanded on the way in, under the hourglass.
        TextArea& area = *TextArea1;
        area.viewport()->setCursor(Qt::WaitCursor);
        area.setUpdatesEnabled(false);
        area.OpenBytes(std::move(bytes));
        area.setUpdatesEnabled(true);
        area.viewport()->setCursor(Qt::IBeamCursor);
        showEncoding();
        area.SetModified(true); // the text now differs from the window's own file
    });
}

void TEdytorFrame::ToolbarButton976Click()
{
    const QtPlatform::DialogOwner owner(window());
    ShowingFailure([this] { SaveFile(); });
}

void TEdytorFrame::ToolbarButton974Click()
{
    TextArea1->ClearUndoably(); // Ctrl+Z gives the text back
}

} // namespace vorida::editor
