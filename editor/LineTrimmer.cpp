#include "LineTrimmer.h"

#include "TextArea.h"

#include <algorithm>
#include <string>

namespace vorida::editor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

void LineTrimmer::Noted(long position, long length, bool insertion)
{
    if (trimming_)
        return;
    if (insertion) {
        // The lines of an insertion are known once it is made: at the next notice, or when
        // the touched lines are trimmed.
        pendingInsert_ = { position, length };
    } else {
        // What is left of the line once the deletion is made: the line `position` is on now.
        touched_.insert(area_.LineOf(position));
    }
    // Changes outside a key press (the menu's cut and paste, a drop) are trimmed once the
    // change is complete.
    if (!inKey_ && !queued_) {
        queued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                queued_ = false;
                Trim(true);
            },
            Qt::QueuedConnection);
    }
}

void LineTrimmer::Forget()
{
    touched_.clear();
    pendingLine_ = -1;
}

void LineTrimmer::InsertionMade()
{
    if (pendingInsert_.first < 0)
        return;
    const long start = pendingInsert_.first;
    const long end = std::min(start + pendingInsert_.second,
        static_cast<long>(area_.SendScintilla(QsciScintillaBase::SCI_GETLENGTH)));
    pendingInsert_ = { -1, 0 };
    const int last = area_.LineOf(end);
    for (int line = area_.LineOf(start); line <= last; ++line)
        touched_.insert(touched_.end(), line);
}

void LineTrimmer::FinishEditing()
{
    if (pendingLine_ >= 0)
        Trim(true);
}

void LineTrimmer::FlushPendingLine()
{
    if (pendingLine_ >= 0 && pendingLine_ != area_.CaretLine() - 1)
        Trim(true);
}

void LineTrimmer::Trim(bool includeCaretLine)
{
    InsertionMade();
    const int caretLine0 = area_.CaretLine() - 1;
    int keep = -1;
    if (pendingLine_ >= 0) {
        if (!includeCaretLine && pendingLine_ == caretLine0)
            keep = pendingLine_;
        else
            touched_.insert(pendingLine_);
    }
    if (!includeCaretLine && touched_.erase(caretLine0))
        keep = caretLine0;
    pendingLine_ = keep;
    const int lines = area_.LineCount();
    touched_.erase(touched_.lower_bound(lines), touched_.end());
    if (touched_.empty())
        return;

    // One pass over the touched lines and one change of the buffer: the text from the first
    // trimmed line to the last, with the trailing blanks of every touched line left out.
    const int first = *touched_.begin();
    const int last = *touched_.rbegin();
    const long from = area_.SendScintilla(
        QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
    const std::string text = area_.Bytes(from,
        area_.SendScintilla(
            QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(last)));
    Cuts cuts; // the blanks to go, [start, end) in the text as it is
    size_t lineStart = 0;
    for (int line = first; line <= last; ++line) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = text.size();
        size_t kept = lineEnd;
        if (touched_.count(line))
            while (kept > lineStart && isBlank(text[kept - 1]))
                --kept;
        if (kept < lineEnd)
            cuts.emplace_back(from + static_cast<long>(kept), from + static_cast<long>(lineEnd));
        lineStart = lineEnd + 1;
    }
    touched_.clear();
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
        TextArea::QuietChange quiet(area_);
        area_.SendScintilla(QsciScintillaBase::SCI_BEGINUNDOACTION);
        area_.SendScintilla(QsciScintillaBase::SCI_SETTARGETRANGE,
            static_cast<unsigned long>(cuts.front().first), cuts.back().second);
        area_.SendScintilla(QsciScintillaBase::SCI_REPLACETARGET,
            static_cast<uintptr_t>(replacement.size()), replacement.data());
        area_.SendScintilla(QsciScintillaBase::SCI_ENDUNDOACTION);
    }
    restoreSelection(before, cuts);
    trimming_ = false;
}

long LineTrimmer::positionAfterCuts(long position, const Cuts& cuts)
{
    long removed = 0;
    for (const auto& [start, end] : cuts) {
        if (start >= position)
            break;
        removed += std::min(position, end) - start;
    }
    return position - removed;
}

LineTrimmer::Selection LineTrimmer::saveSelection() const
{
    Selection s;
    s.Empty = area_.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEMPTY) != 0;
    s.Line = area_.CaretLine();
    s.Column = area_.CaretColumn();
    s.Rectangular = area_.SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE) != 0;
    if (s.Rectangular) {
        s.Anchor = area_.SendScintilla(QsciScintillaBase::SCI_GETRECTANGULARSELECTIONANCHOR);
        s.Caret = area_.SendScintilla(QsciScintillaBase::SCI_GETRECTANGULARSELECTIONCARET);
        s.AnchorVirtual
            = area_.SendScintilla(QsciScintillaBase::SCI_GETRECTANGULARSELECTIONANCHORVIRTUALSPACE);
        s.CaretVirtual
            = area_.SendScintilla(QsciScintillaBase::SCI_GETRECTANGULARSELECTIONCARETVIRTUALSPACE);
    } else {
        s.Anchor = area_.SendScintilla(QsciScintillaBase::SCI_GETANCHOR);
        s.Caret = area_.CaretPosition();
    }
    return s;
}

void LineTrimmer::restoreSelection(const Selection& s, const Cuts& cuts)
{
    // Nothing selected: the caret keeps its line and column, in virtual space where its blanks
    // have gone. A selection keeps its text: its ends move with the blanks taken before them.
    if (s.Empty) {
        if (area_.CaretLine() != s.Line || area_.CaretColumn() != s.Column)
            area_.SetCaret(s.Line, s.Column);
        return;
    }
    const auto anchor = static_cast<unsigned long>(positionAfterCuts(s.Anchor, cuts));
    const auto caret = static_cast<unsigned long>(positionAfterCuts(s.Caret, cuts));
    if (s.Rectangular) {
        area_.SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, anchor);
        area_.SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, caret);
        area_.SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHORVIRTUALSPACE,
            static_cast<unsigned long>(s.AnchorVirtual));
        area_.SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARETVIRTUALSPACE,
            static_cast<unsigned long>(s.CaretVirtual));
    } else {
        area_.SendScintilla(
            QsciScintillaBase::SCI_SETSELECTIONNANCHOR, 0, static_cast<long>(anchor));
        area_.SendScintilla(QsciScintillaBase::SCI_SETSELECTIONNCARET, 0, static_cast<long>(caret));
    }
}

} // namespace vorida::editor
