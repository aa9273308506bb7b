// Search in the editor's text area: plain text, from the caret, on the text itself, so that
// case folding knows Polish letters (Scintilla's own search folds ASCII only).
#pragma once

#include <QString>

namespace vorida::editor {

class TextArea;

// What the search and the replace say when they find nothing.
inline constexpr const char* kTextNotFound = "Tekstu nie znaleziono.";

struct SearchOptions
{
    bool MatchCase = false;
    bool WholeWords = false;
    bool SelectedOnly = false; // no effect while nothing is selected
    bool Backwards = false;
};

// The offset of the hit of `needle` in `text` that lies wholly in [from, to) and comes first in
// the direction of `options` (the last one going backwards), or -1. Whole words are bounded by
// anything but a letter, a digit or '_'.
qsizetype FindInText(const QString& text, const QString& needle, qsizetype from, qsizetype to,
    const SearchOptions& options);

// The searches of one text area. With SelectedOnly the selection becomes the search's scope:
// repeated searches step through the hits inside it, from the caret, until the user changes the
// selection or the text.
class TextSearch
{
public:
    explicit TextSearch(TextArea& area) : area_(area) { }

    // Searches from the caret; on a hit selects it (caret after it going down, at its start
    // going up) and scrolls it into view. Returns the number of hits, 0 or 1.
    int Find(const QString& needle, const SearchOptions& options);
    // Whether a search with these options starts at the edge of its range in its direction:
    // the caret at the edge of a kept scope, or at the edge of the text.
    bool StartsAtEdge(const SearchOptions& options) const;
    // Puts the caret at the edge of the text, or of a kept scope, where a search in the
    // direction of `options` starts again.
    void Restart(const SearchOptions& options);

private:
    // The scope still holds: the text and the selection are as the last search left them.
    bool scopeHolds() const;
    struct Hit
    {
        long Start = -1, End = -1; // bytes; none while Start < 0
    };
    // The hit in [rangeStart, rangeEnd) (bytes) that comes first in the search's direction.
    Hit findInRange(
        const QString& needle, long rangeStart, long rangeEnd, const SearchOptions& options) const;
    bool isContinuationByte(long position) const;
    // The start of the character at `position` or, inside one, of the next; and of the one
    // before `position`.
    long characterStartAfter(long position) const;
    long characterStartBefore(long position) const;

    TextArea& area_;
    struct
    {
        long Start = -1, End = -1; // bytes; none while Start < 0
        long SelectionStart = -1, SelectionEnd = -1, Caret = -1; // as the last search left them
        unsigned Version = 0;
    } scope_;
};

} // namespace vorida::editor
