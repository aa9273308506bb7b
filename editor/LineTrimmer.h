// The trailing blanks of the lines the user edits, removed. The lines a change of the user's
// touches are noted from the text area's change notices and trimmed after the key (outside a
// key, once the change is complete), in one change of the buffer and one undo step; the line
// still being typed in is trimmed only once the caret has left it, so that Scintilla still
// coalesces the typing of a word into one undo step. The caret keeps its column in virtual
// space, a selection its text.
#pragma once

#include <QObject>

#include <set>
#include <utility>
#include <vector>

namespace vorida::editor {

class TextArea;

class LineTrimmer : public QObject
{
public:
    explicit LineTrimmer(TextArea& area) : area_(area) { }

    // A change of the user's is about to be made: an insertion of `length` bytes at `position`
    // or a deletion there.
    void Noted(long position, long length, bool insertion);
    // The last insertion is made: its lines are touched.
    void InsertionMade();
    // A key is being handled: what it changes is trimmed by the key's own Trim.
    void BeginKey() { inKey_ = true; }
    void EndKey() { inKey_ = false; }
    // Trims the touched lines, the caret's own only with `includeCaretLine`.
    void Trim(bool includeCaretLine);
    // Trims the line still being typed in (before saving or printing).
    void FinishEditing();
    // The line typed in, trimmed once the caret has left it.
    void FlushPendingLine();
    // The text was replaced as a whole: nothing of it to trim.
    void Forget();

private:
    using Cuts = std::vector<std::pair<long, long>>; // ascending [start, end) ranges
    // Where `position` lands once the ranges `cuts` are taken out of the text.
    static long positionAfterCuts(long position, const Cuts& cuts);
    struct Selection
    {
        bool Empty = true, Rectangular = false;
        int Line = 1, Column = 1; // the caret's, from 1, virtual space counted
        long Anchor = 0, Caret = 0, AnchorVirtual = 0, CaretVirtual = 0;
    };
    Selection saveSelection() const;
    void restoreSelection(const Selection& before, const Cuts& cuts);

    TextArea& area_;
    bool inKey_ = false;
    bool trimming_ = false;
    bool queued_ = false;
    std::set<int> touched_;
    std::pair<long, long> pendingInsert_ { -1, 0 }; // position and length of an insertion
    int pendingLine_ = -1; // edited by typing and not yet trimmed: the caret is still on it
};

} // namespace vorida::editor
