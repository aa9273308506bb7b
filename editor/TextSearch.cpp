#include "TextSearch.h"

#include "TextArea.h"

#include <algorithm>
#include <string_view>

namespace vorida::editor {

namespace {

bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

bool isWholeWord(const QString& text, qsizetype start, qsizetype length)
{
    if (start > 0 && isWordCharacter(text[start - 1]))
        return false;
    if (start + length < text.size() && isWordCharacter(text[start + length]))
        return false;
    return true;
}

} // namespace

qsizetype FindInText(const QString& text, const QString& needle, qsizetype from, qsizetype to,
    const SearchOptions& options)
{
    if (needle.isEmpty())
        return -1;
    const qsizetype n = needle.size();
    const Qt::CaseSensitivity cs = options.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (!options.Backwards) {
        for (qsizetype i = text.indexOf(needle, from, cs); i >= 0 && i + n <= to;
             i = text.indexOf(needle, i + 1, cs)) {
            if (!options.WholeWords || isWholeWord(text, i, n))
                return i;
        }
        return -1;
    }
    for (qsizetype start = to - n; start >= from;) {
        const qsizetype i = text.lastIndexOf(needle, start, cs);
        if (i < from)
            break;
        if (!options.WholeWords || isWholeWord(text, i, n))
            return i;
        start = i - 1;
    }
    return -1;
}

long TextSearch::characterOffset(long position) const
{
    return area_.SendScintilla(QsciScintillaBase::SCI_COUNTCHARACTERS, 0UL, position);
}

long TextSearch::positionOfCharacter(qsizetype offset) const
{
    return area_.SendScintilla(
        QsciScintillaBase::SCI_POSITIONRELATIVE, 0UL, static_cast<long>(offset));
}

bool TextSearch::scopeHolds() const
{
    return scope_.Start >= 0 && scope_.Version == area_.TextVersion()
        && area_.SelectionStartPosition() == scope_.SelectionStart
        && area_.SelectionEndPosition() == scope_.SelectionEnd
        && area_.CaretPosition() == scope_.Caret;
}

bool TextSearch::StartsAtEdge(const SearchOptions& options) const
{
    if (options.SelectedOnly && scopeHolds())
        return area_.CaretPosition() == (options.Backwards ? scope_.End : scope_.Start);
    if (area_.length() == 0)
        return true;
    const int lastLine = area_.LineCount();
    if (options.Backwards)
        return area_.CaretLine() == lastLine
            && area_.CaretColumn() >= area_.LineEndColumn(lastLine);
    return area_.CaretLine() == 1 && area_.CaretColumn() == 1;
}

void TextSearch::Restart(const SearchOptions& options)
{
    if (options.SelectedOnly && scopeHolds()) {
        area_.SetCaretPosition(options.Backwards ? scope_.End : scope_.Start);
        scope_.SelectionStart = scope_.SelectionEnd = scope_.Caret = area_.CaretPosition();
    } else if (options.Backwards) {
        area_.SetCaret(area_.LineCount(), area_.LineEndColumn(area_.LineCount()));
    } else {
        area_.SetCaret(1, 1);
    }
}

int TextSearch::Find(const QString& needle, const SearchOptions& options)
{
    // The range searched: the scope of a search in the selection (whole when new, from the
    // caret when kept), else from the caret to the end (down) or from the start to the caret
    // (up). A scope is kept while the text and the selection are as the last search left
    // them, so that repeated searches step through its hits.
    long rangeStart = 0, rangeEnd = area_.length();
    const long caret = area_.CaretPosition();
    if (options.SelectedOnly && scopeHolds()) {
        rangeStart = scope_.Start;
        rangeEnd = scope_.End;
        if (options.Backwards)
            rangeEnd = std::clamp(caret, rangeStart, rangeEnd);
        else
            rangeStart = std::clamp(caret, rangeStart, rangeEnd);
    } else if (options.SelectedOnly && area_.hasSelectedText()) {
        rangeStart = area_.SelectionStartPosition();
        rangeEnd = area_.SelectionEndPosition();
        scope_ = {};
        scope_.Start = rangeStart;
        scope_.End = rangeEnd;
    } else {
        scope_.Start = -1;
        if (options.Backwards)
            rangeEnd = caret;
        else
            rangeStart = caret;
    }
    if (needle.isEmpty())
        return 0;

    const std::string_view utf8 = area_.Utf8();
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const qsizetype hit
        = FindInText(text, needle, characterOffset(rangeStart), characterOffset(rangeEnd), options);
    if (hit < 0)
        return 0;

    const long start = positionOfCharacter(hit);
    const long end = positionOfCharacter(hit + needle.size());
    area_.SelectAndShow(options.Backwards ? end : start, options.Backwards ? start : end);
    // The hit is now the selection; the scope stays what it was.
    scope_.SelectionStart = area_.SelectionStartPosition();
    scope_.SelectionEnd = area_.SelectionEndPosition();
    scope_.Caret = area_.CaretPosition();
    scope_.Version = area_.TextVersion();
    return 1;
}

} // namespace vorida::editor
