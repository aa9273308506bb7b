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

bool TextSearch::isContinuationByte(long position) const
{
    const auto byte = static_cast<unsigned char>(area_.SendScintilla(
        QsciScintillaBase::SCI_GETCHARAT, static_cast<unsigned long>(position)));
    return (byte & 0xC0U) == 0x80U;
}

long TextSearch::characterStartAfter(long position) const
{
    const long length = area_.length();
    position = std::min(position, length);
    while (position < length && isContinuationByte(position))
        ++position;
    return position;
}

long TextSearch::characterStartBefore(long position) const
{
    if (position <= 0)
        return 0;
    --position;
    while (position > 0 && isContinuationByte(position))
        --position;
    return position;
}

TextSearch::Hit TextSearch::findInRange(
    const QString& needle, long rangeStart, long rangeEnd, const SearchOptions& options) const
{
    // The range is searched in windows that start at the caret's side and double in size, so
    // that a search costs in proportion to the distance it covers. A window holds the hits
    // that start in [from, to); a hit of n UTF-16 units spans at most 3n bytes, so the text
    // read reaches that far past `to`, and one character further on both sides for the
    // whole-word test.
    const long reach = 3L * static_cast<long>(needle.size());
    long window = 1L << 16;
    for (long done = options.Backwards ? rangeEnd : rangeStart;
         options.Backwards ? done > rangeStart : done < rangeEnd; window *= 2) {
        long from = done, to = done;
        if (options.Backwards)
            from = done - window <= rangeStart ? rangeStart : characterStartAfter(done - window);
        else
            to = std::min(rangeEnd, characterStartAfter(done + window));
        const long searchEnd = std::min(rangeEnd, characterStartAfter(to + reach));
        const long textStart = characterStartBefore(from);
        const long textEnd
            = searchEnd < area_.length() ? characterStartAfter(searchEnd + 1) : searchEnd;
        const std::string bytes = area_.Bytes(textStart, textEnd);
        const auto utf16Length = [&bytes, textStart](long start, long end) {
            return QString::fromUtf8(bytes.data() + (start - textStart), end - start).size();
        };
        const QString text = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
        const qsizetype first = utf16Length(textStart, from);
        const qsizetype hit
            = FindInText(text, needle, first, first + utf16Length(from, searchEnd), options);
        if (hit >= 0) {
            const long start
                = textStart + static_cast<long>(QStringView(text).left(hit).toUtf8().size());
            return {
                start,
                start + static_cast<long>(QStringView(text).mid(hit, needle.size()).toUtf8().size())
            };
        }
        done = options.Backwards ? from : to;
    }
    return {};
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

    const Hit hit = findInRange(needle, rangeStart, rangeEnd, options);
    if (hit.Start < 0)
        return 0;
    const long start = hit.Start, end = hit.End;
    area_.SelectAndShow(options.Backwards ? end : start, options.Backwards ? start : end);
    // The hit is now the selection; the scope stays what it was.
    scope_.SelectionStart = area_.SelectionStartPosition();
    scope_.SelectionEnd = area_.SelectionEndPosition();
    scope_.Caret = area_.CaretPosition();
    scope_.Version = area_.TextVersion();
    return 1;
}

} // namespace vorida::editor
