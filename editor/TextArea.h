// The editor's text area: QScintilla, with what the editor needs on top of it.
//
// - Text is UTF-8 inside and, on disk, in the encoding of the file last loaded (Windows-1250,
//   or UTF-8 with or without its byte-order mark: LoadBytes, SavedBytes, Encoding), with the
//   line-end convention of that file.
// - Our own modified flag: set by every change made through the text area (typing, deleting,
//   cutting, pasting, dropping, undo), left alone by changes made under an OwnChange, and
//   cleared again when undo or redo come back to the text as loaded or saved.
// - A selection mode that sticks: Scintilla drops back to a stream selection on every click and
//   every Shift+arrow, so the mode lives here and is applied again after each of them.
// - Tab advances to below the next word start of the nearest non-blank line above, Backspace in
//   leading blanks goes back to the previous indentation level; Tab never inserts a tab.
// - Trailing blanks are removed from every line the user edits; the caret keeps its column in
//   virtual space. Blank keys are grouped with their trimming into one undo step; after other
//   keys the caret's own line is trimmed only once the caret has left it, so that Scintilla
//   still coalesces the typing of a word into one undo step.
// - Search on the text itself, so that case folding knows Polish letters (TextSearch).
//
// TextArea.cpp holds the settings, lines and caret, the selection mode and the whole text in
// and out (loading, saving, clearing, tab expansion); TextAreaInput.cpp the keys, mouse, focus
// and input-method answers, the whole-lines clipboard, the change notices and the modified
// flag. Its collaborators: LineTrimmer (the trimming), PieceHistory ("Zamień wszystko"'s undo
// steps), Indentation (tabs, smart Tab and Backspace), TextSearch (the search).
#pragma once

#include "Indentation.h"
#include "LineTrimmer.h"
#include "PieceHistory.h"
#include "TextFile.h"
#include "TextSearch.h"

#include <Qsci/qsciscintilla.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QMenu;

namespace vorida::editor {

class TextArea : public QsciScintilla
{
    Q_OBJECT
public:
    enum class SelectionMode { Normal, Lines, Column };

    using SearchOptions = editor::SearchOptions;

    // Changes made while one of these lives are the frame's own: they leave the modified flag
    // as it is and are not trimmed.
    class OwnChange
    {
    public:
        explicit OwnChange(TextArea& area) : area_(area) { ++area_.ownChanges_; }
        ~OwnChange() { --area_.ownChanges_; }
        OwnChange(const OwnChange&) = delete;
        OwnChange& operator=(const OwnChange&) = delete;

    private:
        TextArea& area_;
    };

    // Changes made while one of these lives send no change notification out of Scintilla: the
    // frame's own, or trimming, whose text was already marked modified.
    class QuietChange
    {
    public:
        explicit QuietChange(TextArea& area);
        ~QuietChange();
        QuietChange(const QuietChange&) = delete;
        QuietChange& operator=(const QuietChange&) = delete;

    private:
        TextArea& area_;
        long mask_;
    };

    explicit TextArea(QWidget* parent = nullptr);

    // Replaces the whole text by a file's bytes: modified flag clear, undo history empty, caret
    // at line 1, column 1.
    void LoadBytes(std::string_view bytes);
    // The whole text as the bytes of a file, with the line ends of the file last loaded.
    std::string SavedBytes() const;

    // The whole text as UTF-8 with LF line ends. This moves Scintilla's gap to the end, a copy
    // of everything after it: never call it once per line or per hit.
    std::string_view Utf8() const;
    // A copy of the bytes [start, end) of the text (clamped); moves the gap only when it lies
    // inside them.
    std::string Bytes(long start, long end) const;

    // Text, undo and redo history and the modified flag.
    void ClearAll();
    void EmptyUndoHistory();
    // "Wyczyść": the text goes as one undo step (undo gives it back with the caret) and the
    // modified flag is cleared.
    void ClearUndoably();
    // "Otwórz": the text becomes that of `bytes`, in the encoding they hold, with every tab
    // expanded, the caret at the start; the modified flag stays as it is. Over unsaved work
    // (UnsavedWork) it is one undo step that gives that work back. Otherwise there is nothing
    // to lose: the text goes in as a file button loads it, with no copy for the undo history,
    // which stays empty. The bytes are let go once decoded, so that a big file is held as few
    // times as possible.
    void OpenBytes(std::string bytes);
    // Whether the text holds what its file may not: the modified flag is set, or the undo or
    // redo history leads to another text (the one before "Wyczyść", which clears the flag).
    bool UnsavedWork() const;

    // The changes made while one lives are one undo step. They nest.
    class UndoStep
    {
    public:
        explicit UndoStep(TextArea& area) : area_(area) { area_.scintilla(SCI_BEGINUNDOACTION); }
        ~UndoStep() { area_.scintilla(SCI_ENDUNDOACTION); }
        UndoStep(const UndoStep&) = delete;
        UndoStep& operator=(const UndoStep&) = delete;

    private:
        TextArea& area_;
    };

    bool Modified() const { return modified_; }
    // Clearing it marks the text as its file's (loaded or saved): undo or redo back to this
    // text clear it again.
    void SetModified(bool modified);
    // The bytes [start, end) become `utf8` as one undo step, the modified flag set; the caret
    // and the selection move with the text.
    void ReplaceUndoably(long start, long end, std::string_view utf8);

    // Pieces of the text replaced as one undo step that holds only the pieces (PieceHistory).
    using Pieces = TextPieces;
    void ReplacePieces(Pieces pieces) { pieces_.Replace(std::move(pieces)); }
    // The whole lines the selection touches, with the line end after the last: [start, end).
    std::pair<long, long> SelectedLines() const;
    void undo() override;
    void redo() override;

    SelectionMode GetSelectionMode() const { return mode_; }
    void SetSelectionMode(SelectionMode mode);
    // Sets the mode and leaves the selection as it is (a search hit stays the hit); the mode
    // shapes the selection again from the next key or click on.
    void RestoreSelectionMode(SelectionMode mode) { mode_ = mode; }

    // The clipboard. In whole-lines mode a cut or copy takes the whole lines the selection
    // touches, with their line ends, and a paste inserts whole lines before the caret's line
    // (replacing the selected lines, if any), leaving the caret at the start of that line.
    void cut() override;
    void copy() override;
    void paste() override;
    // The font, and room above each line for the accents of capitals ("Ó", "Ź", "Ż"), which
    // rise above the font's ascent: without it they are drawn into the line above, where any
    // redraw of that line alone (the caret's) cuts them off, and the first line's are cut.
    void SetTextFont(const QFont& font);
    // Where paste() puts the start of the pasted text (the caret's virtual space aside).
    long PastePosition() const;

    int LineCount() const;
    // Line `index` (from 0) without its line end.
    QString Line(int index) const;
    // Replaces line `index` (from 0); the frame's own change.
    void ReplaceLine(int index, const QString& text);

    // Caret line and column, from 1; the column counts virtual space beyond the line's end.
    int CaretLine() const;
    int CaretColumn() const;
    void SetCaret(int line, int column);
    // The column just after the last character of `line` (from 1).
    int LineEndColumn(int line) const;

    // Positions in the document (bytes of the UTF-8 text).
    long SelectionStartPosition() const;
    long SelectionEndPosition() const;
    long CaretPosition() const;
    // Moves the caret to `position`, leaving nothing selected.
    void SetCaretPosition(long position);
    // Virtual space of the caret beyond its line's end, in columns.
    int CaretVirtualSpace() const;
    // Line and display column (tabs expanded), both from 0, of a position, and back.
    int LineOf(long position) const;
    int ColumnOf(long position) const;
    long PositionAt(int line, int column) const;

    // The search (TextSearch): from the caret, with the options match case, whole words,
    // selected text only and backwards.
    int Find(const QString& text, const SearchOptions& options)
    {
        return search_.Find(text, options);
    }
    bool SearchStartsAtEdge(const SearchOptions& options) const
    {
        return search_.StartsAtEdge(options);
    }
    void RestartSearch(const SearchOptions& options) { search_.Restart(options); }
    // Selects [anchor, caret) or [caret, anchor) and scrolls it into view, caret end first.
    void SelectAndShow(long anchor, long caret);
    // Counts the changes of the text.
    unsigned TextVersion() const { return textVersion_; }

    // Every tab of the text becomes blanks up to the next tab stop, in one pass over the text and
    // one change of the buffer, from the first line holding a tab to the last. The frame's own
    // change: one undo step (with the change before it inside an UndoStep), modified flag
    // untouched. The caret keeps its line and
    // display column. False when there was no tab.
    bool ExpandAllTabs();

    // Trims the line still being typed in (before saving or printing).
    void FinishEditing() { trimmer_.FinishEditing(); }

    // The menu shown on the right mouse button (not owned).
    void SetContextMenu(QMenu* menu) { contextMenu_ = menu; }

signals:
    // The modified flag went on or off.
    void ModifiedChanged(bool modified);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    long scintilla(unsigned int message, unsigned long wParam = 0, long lParam = 0) const
    {
        return SendScintilla(message, wParam, lParam);
    }
    // The text goes into a document without a style byte for each character (the area draws
    // all text alike), which saves as much memory as the text takes.
    void useStylelessDocument();
    // The whole text replaced as one undo step, the frame's own change; the caret at the start.
    void replaceAllUndoably(std::string_view utf8);
    // The whole text replaced by that of a file's bytes (its tabs expanded when asked) with no
    // undo record, the undo history emptied, the caret at the start: the frame's own change.
    void loadPlainly(std::string_view bytes, bool expandTabs);
    // Which change notices Scintilla sends: those before each change, and those after it only
    // while an assistive technology listens (QScintilla counts characters for each of them).
    void setChangeNotifications();
    friend class PieceHistory;
    // After a change of the whole text outside the undo history: no edit to trim.
    void forgetEdits() { trimmer_.Forget(); }
    // The flag as the undo history has it, after an undo or redo.
    void modifiedAsTheUndoHistorySays();
    // The flag itself, and its signal.
    void setModifiedFlag(bool modified);
    void onModified(int position, int type, const char* text, int length, int linesAdded, int line,
        int, int, int, int);
    void applySelectionMode(bool forceLines);
    // Sets Scintilla's selection mode without letting plain caret moves extend the selection.
    void setScintillaSelectionMode(int mode);
    // The keys: Shift with a movement key in column mode extends the rectangle; the editor's
    // own clipboard keys (Ctrl+C, Ctrl+X, Shift+Delete, Ctrl+Insert) take whole
    // lines in whole-lines mode, like the menu and the toolbar; every other key is an edit,
    // with smart Tab and Backspace, trimming, and the blank keys grouped with their trimming
    // into one undo step. The first two tell whether they took the key.
    bool extendRectangle(int key, Qt::KeyboardModifiers modifiers);
    bool linesClipboard(int key, Qt::KeyboardModifiers modifiers);
    void editingKey(QKeyEvent* event, Qt::KeyboardModifiers modifiers);
    void setClipboardLines(long start, long end);
    bool smartTab();
    bool smartBackspace();
    // Line `index` with tabs expanded to the tab width.
    QString expandedLine(int index) const;
    void setCaretAt(long position, int virtualSpace);

    SelectionMode mode_ = SelectionMode::Normal;
    LineEnd lineEnd_ = LineEnd::CrLf;
    bool modified_ = false;
    bool savePointIsTheFile_ = true; // Scintilla's save point stands for the file's text
    int ownChanges_ = 0;
    bool textChangedQueued_ = false;
    QPoint pressPoint_;
    long pressCaret_ = 0; // where a click put the caret, before whole-lines mode took the line
    int pressVirtual_ = 0;
    unsigned textVersion_ = 0; // counts the changes of the text
    TextSearch search_ { *this };
    PieceHistory pieces_ { *this };
    friend class LineTrimmer;
    LineTrimmer trimmer_ { *this };
    QMenu* contextMenu_ = nullptr;

public:
    // The encoding of the file last loaded, which saving keeps.
    TextEncoding Encoding() const { return encoding_; }

private:
    TextEncoding encoding_ = TextEncoding::Cp1250;
};

} // namespace vorida::editor
