// "Zamień wszystko" as one undo step of a text area: many small pieces of the text replaced by
// one text. The undo history holds where the pieces are and what they were, not copies of the
// text around them; undo and redo rewrite the text themselves, a part of the text at a time.
#pragma once

#include <QObject>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vorida::editor {

class TextArea;

// Pieces of the text, each to be replaced by the same text `After`.
struct TextPieces
{
    long First = 0; // the first piece's start (bytes)
    std::vector<uint32_t> Gaps; // from the start of the piece before; 0 for the first
    std::vector<std::string> Before; // the pieces' texts, each once (UTF-8)
    std::vector<uint32_t> Variants; // per piece, its text in Before; empty while one
    std::string After;
};

class PieceHistory : public QObject
{
public:
    explicit PieceHistory(TextArea& area) : area_(area) { }

    // Replaces the pieces as one undo step (a container action in Scintilla's history). The
    // caret's line and column and the view stay, also through its undo and redo.
    void Replace(TextPieces pieces);
    // Scintilla undid or redid the step `token`: inside its undo no change is allowed, so the
    // text is rewritten by RunPending, which a queued call makes sure of.
    void Noted(int token, bool undone);
    void RunPending();
    // A new step of the undo history: the steps undone can no longer be redone.
    void DropUndone();
    // The undo history was emptied.
    void DropAll() { steps_.clear(); }

private:
    struct Step
    {
        TextPieces Replaced;
        int CaretLine, CaretColumn, FirstVisibleLine, XOffset; // before the replacement
        bool Applied; // not undone
    };
    // The pieces replaced (forward) or given back, as the frame's own change, outside the undo
    // history.
    void rewrite(const TextPieces& pieces, bool forward);
    void restoreView(const Step& step);

    TextArea& area_;
    std::map<int, Step> steps_; // by their token in Scintilla's undo history
    int lastToken_ = 0;
    std::vector<std::pair<int, bool>> pending_; // token, undone
};

} // namespace vorida::editor
