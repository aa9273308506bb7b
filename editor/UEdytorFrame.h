// The panel that fills an editor window: a strip of twelve flat toolbar buttons above the text
// area, the text area's context menu, the paste action that owns Ctrl+V, saving, bringing in
// another file, printing and the search dialog.
#pragma once

#include "TextFile.h"

#include <QPointer>
#include <QWidget>

#include <exception>
#include <string>

class QAction;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QMenu;
class QToolButton;

namespace vorida::editor {

class DiskWatch;
class TextArea;
class TForm_Szukaj;
class TForm_Zamien;

class TEdytorFrame : public QWidget
{
    Q_OBJECT
public:
    explicit TEdytorFrame(QWidget* parent = nullptr);
    ~TEdytorFrame() override;

    // The file that "Zapisz" writes and the close question saves to.
    const QString& FileName() const { return fileName_; }
    // Loads the file at `path` when one is there (else the text stays as it is) and binds the
    // frame to it. Throws TextFileError; nothing changes then.
    void OpenFile(const QString& path);
    // Replaces the text by a file's bytes, in the encoding they hold, which the strip shows.
    void LoadText(std::string_view bytes);

    // The file on disk against the text: when another writer has changed it, an unmodified
    // text is loaded again at once (the caret's line and the view kept as far as they still
    // exist), and a modified one asks whether to load it. Runs on its own when the watch sees
    // a change (once the file has stood still for a moment), when the window is activated and
    // when the last DiskCheckHold goes.
    void CheckDisk();

    TextArea* Editor() const { return TextArea1; }
    // Created on the first "Szukaj"; destroyed with the frame.
    TForm_Szukaj* SearchDialog() const;

    // Writes the text to FileName; without a FileName asks for one first and keeps it.
    // False when that question was cancelled. Throws TextFileError; the old file then stays as it
    // was and the modified flag stays set.
    bool SaveFile();
    // Every tab becomes spaces up to the next tab stop, undoably; leaves the modified flag as
    // it was.
    void ExpandTabs();
    // Ctrl+V: pastes, and expands tabs when the pasted text holds any; the caret ends at the
    // start of the pasted text.
    void PasteExpandingTabs();

    // The toolbar, the action and the context menu.
    void ToolbarButton974Click(); // Wyczyść
    void ToolbarButton975Click(); // Otwórz
    void ToolbarButton976Click(); // Zapisz
    void ToolbarButton977Click(); // Drukuj
    void ToolbarButton971Click(); // Zaznaczanie zwykłe
    void ToolbarButton972Click(); // Zaznaczanie całych linii
    void ToolbarButton973Click(); // Zaznaczanie kolumnowe
    void ToolbarButton978Click(); // Kopiuj
    void ToolbarButton979Click(); // Wytnij
    void ToolbarButton9711Click(); // Cofnij
    void ToolbarButton9712Click(); // Szukaj
    void wklejajExecute();
    // F3 and Shift+F3: the search dialog's text once more, downward or upward; without a text
    // to find, the search dialog.
    void FindAgain(bool down);
    // Ctrl+H: the replace dialog, created on first use, destroyed with the frame.
    void ShowReplace();
    TForm_Zamien* ReplaceDialog() const;
    // Ctrl+G "Przejdź do wiersza": asks for a line number, then GoToLine.
    void AskGoToLine();
    // The caret at the start of line `line` (from 1, kept within the text), scrolled into view.
    void GoToLine(int line);
    void Cofnij1Click();
    void Wytnij1Click();
    void Kopiuj1Click();
    void Wklej1Click();

    // The window, brought to the front before a question about it.
    void BringToFront();

    QAction* wklejaj = nullptr;
    QMenu* PopupMenu1 = nullptr;

signals:
    // A FileName chosen in the save dialog, for the window's caption.
    void FileNameChanged(const QString& path);

private:
    void reloadKeepingView(std::string_view bytes);
    void showEncoding();
    // The parts of the strip built by the constructor.
    void buildToolbar(QWidget* strip);
    void buildContextMenu();
    void buildKeys();
    // "zmieniony" beside the encoding label, shown while the modified flag is set.
    void buildModifiedMark(QHBoxLayout& strip);

    QString fileName_;
    DiskWatch* diskWatch_ = nullptr;
    QLabel* encodingLabel_ = nullptr;
    QLabel* modifiedLabel_ = nullptr;
    QPointer<TForm_Zamien> replaceDialog_;
    QPointer<TForm_Szukaj> searchDialog_;
    TextArea* TextArea1 = nullptr;
    QButtonGroup* selectionModes_ = nullptr;
};

// While one lives, editors do not look at their files on disk: the main window's run is
// rewriting them. When the last one goes, every editor looks.
class DiskCheckHold
{
public:
    DiskCheckHold();
    ~DiskCheckHold();
    DiskCheckHold(const DiskCheckHold&) = delete;
    DiskCheckHold& operator=(const DiskCheckHold&) = delete;
};

// The 16 x 16 toolbar glyph with the given index (0..11).
QIcon EditorGlyph(int index);

} // namespace vorida::editor
