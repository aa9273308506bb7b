// The whole text in and out: a file's bytes loaded (a file button's open and "Otwórz"), saved,
// cleared ("Wyczyść"), and every tab expanded.
#include "TextArea.h"

#include <algorithm>
#include <string>

namespace vorida::editor {

std::string_view TextArea::Utf8() const
{
    auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    long length = scintilla(SCI_GETLENGTH);
    return text ? std::string_view(text, static_cast<size_t>(length)) : std::string_view();
}

void TextArea::LoadBytes(std::string_view bytes)
{
    loadPlainly(bytes, false);
    SetModified(false);
}

void TextArea::loadPlainly(std::string_view bytes, bool expandTabs)
{
    TextDecoder decoder(bytes);
    const std::string_view text = decoder.Text();
    {
        OwnChange own(*this);
        QuietChange quiet(*this);
        // The undo history is emptied below: no copy of either text for it.
        scintilla(SCI_SETUNDOCOLLECTION, 0);
        scintilla(SCI_CLEARALL);
        // Room for the whole text at once, so that Scintilla never copies its buffer to grow
        // it: a byte becomes at most three of UTF-8, a tab at most `width` blanks.
        const size_t tabGrowth = expandTabs ? static_cast<size_t>(tabWidth() - 1) : 0;
        size_t most = text.size();
        for (const char c : text)
            most += c == '\t' ? tabGrowth : static_cast<unsigned char>(c) >= 0x80 ? 2 : 0;
        scintilla(SCI_ALLOCATE, static_cast<unsigned long>(most));
        // The text goes in a piece of whole lines at a time, so that it is never held whole
        // outside Scintilla but as the file's bytes.
        constexpr size_t piece = 1 << 20;
        std::string decoded, expanded;
        for (size_t start = 0; start < text.size();) {
            const size_t lineEnd = text.find('\n', std::min(start + piece, text.size()) - 1);
            const size_t end = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
            decoded.clear();
            decoder.Decode(text.substr(start, end - start), decoded);
            if (expandTabs) {
                expanded.clear();
                AppendExpandedTabs(expanded, decoded, tabWidth());
                decoded.swap(expanded);
            }
            // With a length, so that a NUL byte does not end the text.
            SendScintilla(SCI_APPENDTEXT, static_cast<uintptr_t>(decoded.size()), decoded.data());
            start = end;
        }
        scintilla(SCI_SETUNDOCOLLECTION, 1);
    }
    lineEnd_ = decoder.Convention();
    encoding_ = decoder.Encoding();
    trimmer_.Forget();
    EmptyUndoHistory();
    scintilla(SCI_GOTOPOS, 0);
}

std::string TextArea::SavedBytes() const
{
    return EncodeText(Utf8(), lineEnd_, encoding_);
}

void TextArea::ClearAll()
{
    {
        OwnChange own(*this);
        QuietChange quiet(*this);
        scintilla(SCI_CLEARALL);
    }
    trimmer_.Forget();
    EmptyUndoHistory();
    SetModified(false);
}

void TextArea::replaceAllUndoably(std::string_view utf8)
{
    const long caret = CaretPosition();
    const long length = scintilla(SCI_GETLENGTH);
    {
        OwnChange own(*this);
        QuietChange quiet(*this);
        UndoStep step(*this);
        // The text before the caret goes first: undo puts it back last and leaves the caret
        // after it, where it stood. A mark between the two keeps Scintilla from merging them.
        scintilla(SCI_DELETERANGE, 0, caret);
        scintilla(SCI_ADDUNDOACTION, 0, 0);
        scintilla(SCI_DELETERANGE, 0, length - caret);
        SendScintilla(SCI_ADDTEXT, static_cast<uintptr_t>(utf8.size()), utf8.data());
    }
    trimmer_.Forget();
    scintilla(SCI_GOTOPOS, 0);
}

void TextArea::ClearUndoably()
{
    replaceAllUndoably({});
    SetModified(false);
}

bool TextArea::UnsavedWork() const
{
    return modified_ || scintilla(SCI_CANUNDO) != 0 || scintilla(SCI_CANREDO) != 0;
}

void TextArea::OpenBytes(std::string bytes)
{
    if (!UnsavedWork()) {
        loadPlainly(bytes, true);
        return;
    }
    DecodedText decoded = DecodeText(bytes);
    std::string().swap(bytes);
    // Expanded before it goes in: one insertion, instead of an insertion and a replacement of
    // the whole text, each with its copy in the undo history.
    if (decoded.Utf8.find('\t') != std::string::npos)
        decoded.Utf8 = ExpandTabsInText(decoded.Utf8, tabWidth());
    replaceAllUndoably(decoded.Utf8);
    lineEnd_ = decoded.Convention;
    encoding_ = decoded.Encoding;
}

void TextArea::EmptyUndoHistory()
{
    if (modified_)
        savePointIsTheFile_ = false; // the save point below is not the file's text
    scintilla(SCI_EMPTYUNDOBUFFER);
    pieces_.DropAll();
    scintilla(SCI_SETSAVEPOINT);
}

// ---- Tabs ----

QString ExpandTabsInLine(const QString& line, int width)
{
    QString out;
    for (QChar c : line) {
        if (c == u'\t')
            out += QString(width - out.size() % width, u' ');
        else
            out += c;
    }
    return out;
}

std::string ExpandTabsInText(std::string_view utf8, int width)
{
    std::string out;
    out.reserve(utf8.size() + utf8.size() / 4);
    AppendExpandedTabs(out, utf8, width);
    return out;
}

void AppendExpandedTabs(std::string& out, std::string_view utf8, int width)
{
    // Runs between tabs go over whole. Columns matter only at a tab: the characters from the
    // start of its line (or from the tab before, on the same line) are counted there.
    int column = 0;
    for (size_t i = 0; i < utf8.size();) {
        const size_t tab = std::min(utf8.find('\t', i), utf8.size());
        out.append(utf8.substr(i, tab - i));
        if (tab == utf8.size())
            break;
        size_t from = tab;
        while (from > i && utf8[from - 1] != '\n')
            --from;
        if (from > i)
            column = 0; // a line began since the tab before (i follows a tab, or is 0)
        for (size_t k = from; k < tab; ++k)
            if ((static_cast<unsigned char>(utf8[k]) & 0xC0) != 0x80) // not a continuation byte
                ++column;
        const int blanks = width - column % width;
        out.append(static_cast<size_t>(blanks), ' ');
        column += blanks;
        i = tab + 1;
    }
}

bool TextArea::ExpandAllTabs()
{
    // A paste about to be expanded is trimmed first, so that its trimming goes into the paste's
    // undo step (the blanks a trailing tab leaves are gone either way).
    trimmer_.Trim(true);
    const std::string_view text = Utf8();
    const size_t firstTab = text.find('\t');
    if (firstTab == std::string_view::npos)
        return false;
    const size_t lastTab = text.rfind('\t');
    const size_t firstLine = text.rfind('\n', firstTab);
    const size_t from = firstLine == std::string_view::npos ? 0 : firstLine + 1;
    const size_t lineEnd = text.find('\n', lastTab);
    const size_t to = lineEnd == std::string_view::npos ? text.size() : lineEnd;
    const std::string expanded = ExpandTabsInText(text.substr(from, to - from), tabWidth());

    const long caret = CaretPosition();
    const int caretLine = LineOf(caret);
    const int caretColumn = ColumnOf(caret); // display columns: expansion keeps them
    const int caretVirtual = CaretVirtualSpace();
    {
        OwnChange own(*this);
        QuietChange quiet(*this);
        scintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(from), static_cast<long>(to));
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(expanded.size()), expanded.data());
    }
    setCaretAt(PositionAt(caretLine, caretColumn), caretVirtual);
    return true;
}

} // namespace vorida::editor
