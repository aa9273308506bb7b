// The panel that fills an editor window: a strip of twelve flat toolbar buttons above the text
// area, the text area's context menu, the paste action that owns Ctrl+V, saving, bringing in
// another file, printing and the search dialog.
#pragma once

#include <QPointer>
#include <QWidget>

#include <exception>

class QAction;
class QButtonGroup;
class QMenu;
class QToolButton;

namespace vorida::editor {

class TextArea;
class TForm_Szukaj;

class TEdytorFrame : public QWidget
{
    Q_OBJECT
public:
    explicit TEdytorFrame(QWidget* parent = nullptr);
    ~TEdytorFrame() override;

    // The file that "Zapisz" writes and the close question saves to.
    const QString& FileName() const { return fileName_; }
    void SetFileName(const QString& path) { fileName_ = path; }

    TextArea* Editor() const { return TextArea1; }
    // Created on the first "Szukaj"; destroyed with the frame.
    TForm_Szukaj* SearchDialog() const;

    // Writes the text to FileName; without a FileName asks for one first and keeps it.
    // False when that question was cancelled. Throws FileError; the old file then stays as it
    // was and the modified flag stays set.
    bool SaveFile();
    // Every tab becomes spaces up to the next tab stop; clears the undo history and leaves the
    // modified flag as it was.
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
    void Cofnij1Click();
    void Wytnij1Click();
    void Kopiuj1Click();
    void Wklej1Click();

    QAction* wklejaj = nullptr;
    QMenu* PopupMenu1 = nullptr;

signals:
    // A FileName chosen in the save dialog, for the window's caption.
    void FileNameChanged(const QString& path);

private:
    // Shows the message of a failed operation, as the application's error report does.
    static void report(const std::exception& error);

    QString fileName_;
    QPointer<TForm_Szukaj> searchDialog_;
    TextArea* TextArea1 = nullptr;
    QButtonGroup* selectionModes_ = nullptr;
};

// The 16 x 16 toolbar glyph with the given index (0..11).
QIcon EditorGlyph(int index);

} // namespace vorida::editor
