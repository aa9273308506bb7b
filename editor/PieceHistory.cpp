#include "PieceHistory.h"

#include "TextArea.h"

#include <QTimer>

#include <utility>

namespace vorida::editor {

namespace {

// The text is rewritten this much at a time: one change of the buffer each.
constexpr long kChunk = 1L << 20;

} // namespace

void PieceHistory::Replace(TextPieces pieces)
{
    if (pieces.Gaps.empty())
        return;
    DropUndone();
    Step step { std::move(pieces), area_.CaretLine(), area_.CaretColumn(),
        static_cast<int>(area_.SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE)),
        static_cast<int>(area_.SendScintilla(QsciScintillaBase::SCI_GETXOFFSET)), true };
    rewrite(step.Replaced, true);
    restoreView(step);
    const int token = ++lastToken_;
    steps_.emplace(token, std::move(step));
    {
        const TextArea::UndoStep group(area_);
        area_.SendScintilla(
            QsciScintillaBase::SCI_ADDUNDOACTION, static_cast<unsigned long>(token), 0L);
    }
    area_.SetModified(true);
}

void PieceHistory::rewrite(const TextPieces& pieces, bool forward)
{
    const auto afterLength = static_cast<long>(pieces.After.size());
    const auto before = [&pieces](size_t j) -> const std::string& {
        return pieces.Before[pieces.Variants.empty() ? 0 : pieces.Variants[j]];
    };
    const auto fromLength
        = [&](size_t j) { return forward ? static_cast<long>(before(j).size()) : afterLength; };
    const size_t count = pieces.Gaps.size();
    TextArea& area = area_;
    const TextArea::OwnChange own(area);
    const TextArea::QuietChange quiet(area);
    area.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
    long growth = 0;
    for (size_t j = 0; j < count; ++j)
        growth += afterLength - static_cast<long>(before(j).size());
    if (!forward)
        growth = -growth;
    if (growth > 0) // room for all of it at once, not a copy of the buffer as it grows
        area.SendScintilla(
            QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(area.length() + growth));

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
        const std::string text = area.Bytes(partStart, partEnd);
        out.clear();
        long cursor = partStart;
        for (const auto& [at, piece] : places) {
            out.append(
                text, static_cast<size_t>(cursor - partStart), static_cast<size_t>(at - cursor));
            out += forward ? pieces.After : before(piece);
            cursor = at + fromLength(piece);
        }
        area.SendScintilla(
            QsciScintillaBase::SCI_SETTARGETRANGE, static_cast<unsigned long>(partStart), partEnd);
        area.SendScintilla(
            QsciScintillaBase::SCI_REPLACETARGET, static_cast<uintptr_t>(out.size()), out.data());
        if (forward)
            shift += static_cast<long>(out.size()) - (partEnd - partStart);
    }
    area.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 1UL);
    area.forgetEdits();
}

void PieceHistory::restoreView(const Step& step)
{
    area_.SetCaret(step.CaretLine, step.CaretColumn);
    area_.SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE,
        static_cast<unsigned long>(step.FirstVisibleLine));
    area_.SendScintilla(
        QsciScintillaBase::SCI_SETXOFFSET, static_cast<unsigned long>(step.XOffset));
}

void PieceHistory::Noted(int token, bool undone)
{
    pending_.emplace_back(token, undone);
    if (pending_.size() == 1) // after the undo or redo, which allows no change inside
        QTimer::singleShot(0, this, &PieceHistory::RunPending);
}

void PieceHistory::RunPending()
{
    const std::vector<std::pair<int, bool>> pending = std::move(pending_);
    pending_.clear();
    for (const auto& [token, undone] : pending) {
        const auto found = steps_.find(token);
        if (found == steps_.end() || found->second.Applied != undone)
            continue;
        rewrite(found->second.Replaced, !undone);
        found->second.Applied = !undone;
        restoreView(found->second);
    }
    if (!pending.empty())
        area_.modifiedAsTheUndoHistorySays();
}

void PieceHistory::DropUndone()
{
    for (auto it = steps_.begin(); it != steps_.end();)
        it = it->second.Applied ? std::next(it) : steps_.erase(it);
}

} // namespace vorida::editor
