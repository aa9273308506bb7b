// Many small pieces of the text replaced as one undo step ("Zamień wszystko"): the undo history
// holds where the pieces are and what they were, not copies of the text around them, and undo
// and redo rewrite the text themselves, a part of the text at a time.
#include "TextArea.h"

#include <QTimer>

#include <utility>

namespace vorida::editor {

namespace {

// The text is rewritten this much at a time: one change of the buffer each.
constexpr long kChunk = 1L << 20;

} // namespace

void TextArea::ReplacePieces(Pieces pieces)
{
    if (pieces.Gaps.empty())
        return;
    dropPieceSteps(false); // a new step: what was undone cannot be redone
    PieceStep step { std::move(pieces), CaretLine(), CaretColumn(),
        static_cast<int>(scintilla(SCI_GETFIRSTVISIBLELINE)),
        static_cast<int>(scintilla(SCI_GETXOFFSET)), true };
    rewritePieces(step.Replaced, true);
    restoreView(step);
    const int token = ++lastPieceToken_;
    pieceSteps_.emplace(token, std::move(step));
    {
        const UndoStep group(*this);
        scintilla(SCI_ADDUNDOACTION, static_cast<unsigned long>(token), 0);
    }
    SetModified(true);
}

void TextArea::rewritePieces(const Pieces& pieces, bool forward)
{
    const auto afterLength = static_cast<long>(pieces.After.size());
    const auto before = [&pieces](size_t j) -> const std::string& {
        return pieces.Before[pieces.Variants.empty() ? 0 : pieces.Variants[j]];
    };
    const auto fromLength
        = [&](size_t j) { return forward ? static_cast<long>(before(j).size()) : afterLength; };
    const size_t count = pieces.Gaps.size();
    const OwnChange own(*this);
    const QuietChange quiet(*this);
    scintilla(SCI_SETUNDOCOLLECTION, 0);
    long growth = 0;
    for (size_t j = 0; j < count; ++j)
        growth += afterLength - static_cast<long>(before(j).size());
    if (!forward)
        growth = -growth;
    if (growth > 0) // room for all of it at once, not a copy of the buffer as it grows
        scintilla(SCI_ALLOCATE, static_cast<unsigned long>(scintilla(SCI_GETLENGTH) + growth));

    long shift = 0; // forward: the bytes the parts done so far added
    long start = pieces.First; // of piece j, in the text before the replacement
    std::vector<std::pair<long, size_t>> places; // of a part's pieces: where each is now
    std::string out;
    for (size_t j = 0; j < count;) {
        // The part from piece j on: before it the text is rewritten already, so its pieces
        // stand where they were (backward), or shifted by what the parts before added.
        const long partFirst = start;
        long local = 0; // backward: what the part's pieces so far hold beyond their old text
        places.clear();
        do {
            places.emplace_back(start + (forward ? shift : local), j);
            if (!forward)
                local += afterLength - static_cast<long>(before(j).size());
            if (++j < count)
                start += pieces.Gaps[j];
        } while (j < count && start - partFirst < kChunk);
        const long partStart = places.front().first;
        const long partEnd = places.back().first + fromLength(places.back().second);
        const std::string text = Bytes(partStart, partEnd);
        out.clear();
        long cursor = partStart;
        for (const auto& [at, piece] : places) {
            out.append(
                text, static_cast<size_t>(cursor - partStart), static_cast<size_t>(at - cursor));
            out += forward ? pieces.After : before(piece);
            cursor = at + fromLength(piece);
        }
        scintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(partStart), partEnd);
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(out.size()), out.data());
        if (forward)
            shift += static_cast<long>(out.size()) - (partEnd - partStart);
    }
    scintilla(SCI_SETUNDOCOLLECTION, 1);
    touchedLines_.clear();
    pendingLine_ = -1;
}

void TextArea::restoreView(const PieceStep& step)
{
    SetCaret(step.CaretLine, step.CaretColumn);
    scintilla(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(step.FirstVisibleLine));
    scintilla(SCI_SETXOFFSET, static_cast<unsigned long>(step.XOffset));
}

void TextArea::notePieceStep(int token, bool undone)
{
    pendingPieceSteps_.emplace_back(token, undone);
    if (pendingPieceSteps_.size() == 1) // after the undo or redo, which allows no change inside
        QTimer::singleShot(0, this, &TextArea::runPieceSteps);
}

void TextArea::runPieceSteps()
{
    const std::vector<std::pair<int, bool>> pending = std::move(pendingPieceSteps_);
    pendingPieceSteps_.clear();
    for (const auto& [token, undone] : pending) {
        const auto found = pieceSteps_.find(token);
        if (found == pieceSteps_.end() || found->second.Applied != undone)
            continue;
        rewritePieces(found->second.Replaced, !undone);
        found->second.Applied = !undone;
        restoreView(found->second);
    }
    if (!pending.empty())
        setModifiedFlag(scintilla(SCI_GETMODIFY) != 0 || !savePointIsTheFile_);
}

void TextArea::dropPieceSteps(bool all)
{
    for (auto it = pieceSteps_.begin(); it != pieceSteps_.end();)
        it = all || !it->second.Applied ? pieceSteps_.erase(it) : std::next(it);
}

void TextArea::undo()
{
    QsciScintilla::undo();
    runPieceSteps();
}

void TextArea::redo()
{
    QsciScintilla::redo();
    runPieceSteps();
}

} // namespace vorida::editor
