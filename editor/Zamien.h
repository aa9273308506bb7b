// The replace dialog of an editor frame (Ctrl+H): a text and its replacement, with the search
// dialog's options; "Zamień" replaces the hit selected and selects the next one, "Zamień
// wszystko" replaces every hit (in the selection with "Tylko zaznaczenie") as one undo step and
// says how many.
#pragma once

#include "TextSearch.h"

#include <QWidget>

class QCheckBox;
class QLineEdit;

namespace vorida::editor {

class TextArea;

// Every hit of `needle` becomes `replacement`, from the start, a replacement never searched
// again: in the whole text, or with SelectedOnly inside the selection while there is one (a
// rectangle's rows, a whole-lines selection's lines; it stays selected, now around the replaced
// text); one undo step. Returns the number of hits replaced.
int ReplaceAll(TextArea& area, const QString& needle, const QString& replacement,
    const SearchOptions& options);

// When the selection is a hit of `needle`, it becomes `replacement` (one undo step) and the
// caret goes after it; then the next hit downward is selected. Returns whether one was.
bool ReplaceNext(TextArea& area, const QString& needle, const QString& replacement,
    const SearchOptions& options);

class TForm_Zamien : public QWidget
{
    Q_OBJECT
public:
    // Shows itself at once, with the keyboard focus in its text field.
    explicit TForm_Zamien(QWidget* owner = nullptr);

    // The text area worked on; not owned.
    TextArea* TargetEditor = nullptr;

    // Shown again by the frame: visible, active, the text field focused and all of it selected.
    void ShowAgain();

    QLineEdit* Edit1 = nullptr; // "Tekst:"
    QLineEdit* Edit2 = nullptr; // "Zamień na:"
    QCheckBox* CheckBox1 = nullptr; // "Uwzględniaj wielkość liter"
    QCheckBox* CheckBox2 = nullptr; // "Tylko całe wyrazy"
    QCheckBox* CheckBox3 = nullptr; // "Tylko zaznaczenie"

    void ZamienClick();
    void ZamienWszystkoClick();

private:
    SearchOptions options() const;
};

} // namespace vorida::editor
