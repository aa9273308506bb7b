// The text area's change notices, its modified flag, and the trimming of the trailing blanks
// of the lines a change touched.
#include "TextArea.h"

#include <QAccessible>

#include <algorithm>

namespace vorida::editor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

void TextArea::setChangeNotifications()
{
    // QScintilla answers every insertion and deletion Scintilla reports with a count of the
    // characters before it, from the start of the text, for assistive technology: at the end
    // of a 10 MB text that is some 30 ms a key. The text area only needs the notices Scintilla
    // sends before a change, which QScintilla passes on as they are; the others are asked for
    // only while an assistive technology listens.
    const long mask = QAccessible::isActive()
        ? SC_MODEVENTMASKALL
        : SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE | SC_MOD_CONTAINER;
    scintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask));
}

void TextArea::onModified(
    int position, int type, const char*, int length, int, int, int, int, int token, int)
{
    if (type & SC_MOD_CONTAINER) {
        pieces_.Noted(token, (type & SC_PERFORMED_UNDO) != 0);
        return;
    }
    if (!(type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)))
        return;
    touchInsertedLines(); // the change before this one is complete
    ++textVersion_;
    if (!textChangedQueued_) {
        // QsciScintilla's own textChanged() comes with the notices masked off: sent once the
        // change is complete.
        textChangedQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                textChangedQueued_ = false;
                emit textChanged();
            },
            Qt::QueuedConnection);
    }
    if (!(type & (SC_PERFORMED_UNDO | SC_PERFORMED_REDO)))
        pieces_.DropUndone(); // a new step: what was undone cannot be redone
    if (ownChanges_ > 0)
        return;
    setModifiedFlag(true);
    if (trimming_ || !(type & SC_PERFORMED_USER))
        return;
    if (type & SC_MOD_BEFOREINSERT) {
        // The lines of an insertion are known once it is made: at the next notice, or when
        // the touched lines are trimmed.
        pendingInsert_ = { position, length };
    } else {
        // What is left of the line once the deletion is made: the line `position` is on now.
        touchedLines_.insert(LineOf(position));
    }
    // Changes outside a key press (the menu's cut and paste, a drop) are trimmed once the
    // change is complete.
    if (!inKeyPress_ && !trimQueued_) {
        trimQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                trimQueued_ = false;
                trimTouchedLines(true);
            },
            Qt::QueuedConnection);
    }
}

void TextArea::touchInsertedLines()
{
    if (pendingInsert_.first < 0)
        return;
    const long start = pendingInsert_.first;
    const long end
        = std::min(start + pendingInsert_.second, static_cast<long>(scintilla(SCI_GETLENGTH)));
    pendingInsert_ = { -1, 0 };
    const int last = LineOf(end);
    for (int line = LineOf(start); line <= last; ++line)
        touchedLines_.insert(touchedLines_.end(), line);
}

void TextArea::FinishEditing()
{
    if (pendingLine_ >= 0)
        trimTouchedLines(true);
}

void TextArea::flushPendingLine()
{
    if (pendingLine_ >= 0 && pendingLine_ != CaretLine() - 1)
        trimTouchedLines(true);
}

void TextArea::trimTouchedLines(bool includeCaretLine)
{
    touchInsertedLines();
    const int caretLine0 = CaretLine() - 1;
    int keep = -1;
    if (pendingLine_ >= 0) {
        if (!includeCaretLine && pendingLine_ == caretLine0)
            keep = pendingLine_;
        else
            touchedLines_.insert(pendingLine_);
    }
    if (!includeCaretLine && touchedLines_.erase(caretLine0))
        keep = caretLine0;
    pendingLine_ = keep;
    const int lines = LineCount();
    touchedLines_.erase(touchedLines_.lower_bound(lines), touchedLines_.end());
    if (touchedLines_.empty())
        return;

    // One pass over the touched lines and one change of the buffer: the text from the first
    // trimmed line to the last, with the trailing blanks of every touched line left out.
    const int first = *touchedLines_.begin();
    const int last = *touchedLines_.rbegin();
    const long from = scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
    const std::string text
        = Bytes(from, scintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(last)));
    Cuts cuts; // the blanks to go, [start, end) in the text as it is
    size_t lineStart = 0;
    for (int line = first; line <= last; ++line) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        size_t kept = lineEnd;
        if (touchedLines_.count(line))
            while (kept > lineStart && isBlank(text[kept - 1]))
                --kept;
        if (kept < lineEnd)
            cuts.emplace_back(from + static_cast<long>(kept), from + static_cast<long>(lineEnd));
        lineStart = lineEnd + 1;
    }
    touchedLines_.clear();
    if (cuts.empty())
        return;
    std::string replacement;
    replacement.reserve(static_cast<size_t>(cuts.back().second - cuts.front().first));
    for (size_t i = 0; i < cuts.size(); ++i) {
        const long keptEnd = i + 1 < cuts.size() ? cuts[i + 1].first : cuts[i].second;
        replacement.append(text, static_cast<size_t>(cuts[i].second - from),
            static_cast<size_t>(keptEnd - cuts[i].second));
    }

    trimming_ = true;
    const Selection before = saveSelection();
    {
        QuietChange quiet(*this);
        scintilla(SCI_BEGINUNDOACTION);
        scintilla(
            SCI_SETTARGETRANGE, static_cast<unsigned long>(cuts.front().first), cuts.back().second);
        SendScintilla(
            SCI_REPLACETARGET, static_cast<uintptr_t>(replacement.size()), replacement.data());
        scintilla(SCI_ENDUNDOACTION);
    }
    restoreSelection(before, cuts);
    trimming_ = false;
}

long TextArea::positionAfterCuts(long position, const Cuts& cuts)
{
    long removed = 0;
    for (const auto& [start, end] : cuts) {
        if (start >= position)
            break;
        removed += std::min(position, end) - start;
    }
    return position - removed;
}

TextArea::Selection TextArea::saveSelection() const
{
    Selection s;
    s.Empty = scintilla(SCI_GETSELECTIONEMPTY) != 0;
    s.Line = CaretLine();
    s.Column = CaretColumn();
    s.Rectangular = scintilla(SCI_SELECTIONISRECTANGLE) != 0;
    if (s.Rectangular) {
        s.Anchor = scintilla(SCI_GETRECTANGULARSELECTIONANCHOR);
        s.Caret = scintilla(SCI_GETRECTANGULARSELECTIONCARET);
        s.AnchorVirtual = scintilla(SCI_GETRECTANGULARSELECTIONANCHORVIRTUALSPACE);
        s.CaretVirtual = scintilla(SCI_GETRECTANGULARSELECTIONCARETVIRTUALSPACE);
    } else {
        s.Anchor = scintilla(SCI_GETANCHOR);
        s.Caret = CaretPosition();
    }
    return s;
}

void TextArea::restoreSelection(const Selection& s, const Cuts& cuts)
{
    // Nothing selected: the caret keeps its line and column, in virtual space where its blanks
    // have gone. A selection keeps its text: its ends move with the blanks taken before them.
    if (s.Empty) {
        if (CaretLine() != s.Line || CaretColumn() != s.Column)
            SetCaret(s.Line, s.Column);
        return;
    }
    const auto anchor = static_cast<unsigned long>(positionAfterCuts(s.Anchor, cuts));
    const auto caret = static_cast<unsigned long>(positionAfterCuts(s.Caret, cuts));
    if (s.Rectangular) {
        scintilla(SCI_SETRECTANGULARSELECTIONANCHOR, anchor);
        scintilla(SCI_SETRECTANGULARSELECTIONCARET, caret);
        scintilla(SCI_SETRECTANGULARSELECTIONANCHORVIRTUALSPACE,
            static_cast<unsigned long>(s.AnchorVirtual));
        scintilla(SCI_SETRECTANGULARSELECTIONCARETVIRTUALSPACE,
            static_cast<unsigned long>(s.CaretVirtual));
    } else {
        scintilla(SCI_SETSELECTIONNANCHOR, 0, static_cast<long>(anchor));
        scintilla(SCI_SETSELECTIONNCARET, 0, static_cast<long>(caret));
    }
}

void TextArea::modifiedAsTheUndoHistorySays()
{
    setModifiedFlag(scintilla(SCI_GETMODIFY) != 0 || !savePointIsTheFile_);
}

void TextArea::undo()
{
    QsciScintilla::undo();
    pieces_.RunPending();
}

void TextArea::redo()
{
    QsciScintilla::redo();
    pieces_.RunPending();
}

} // namespace vorida::editor
