#include "TextArea.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCursor>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>
#include <cstdint>
#include <string>

namespace vorida::editor {

namespace {

// QScintilla's accessible interface of a text area answers every UI update (each key, each
// caret move) with a count of the characters from the start of the text to the caret: at the
// end of a 10 MB text about 80 ms a key. Qt creates the interface for any focused widget, with
// or without an assistive technology, so while none listens a text area gets a plain one
// (role and geometry, no text). The line character index makes QScintilla's own interface
// cheap where its counts use it (the Windows build, whose QScintilla we compile).
QAccessibleInterface* accessibleTextArea(const QString& className, QObject* object)
{
    if (className != QLatin1String(TextArea::staticMetaObject.className()) || !object
        || !object->isWidgetType())
        return nullptr;
    auto* area = static_cast<TextArea*>(object);
    if (QAccessible::isActive()) {
        area->SendScintilla(QsciScintillaBase::SCI_ALLOCATELINECHARACTERINDEX,
            static_cast<unsigned long>(QsciScintillaBase::SC_LINECHARACTERINDEX_UTF32));
        return nullptr; // QScintilla's own
    }
    return new QAccessibleWidget(area, QAccessible::EditableText);
}

} // namespace

TextArea::QuietChange::QuietChange(TextArea& area)
    : area_(area), mask_(area.scintilla(SCI_GETMODEVENTMASK))
{
    area_.trimmer_.InsertionMade(); // while its length still tells its lines
    // Scintilla passes a change on when any of its flags is in the mask, SC_PERFORMED_USER
    // among them: only an empty mask keeps it quiet.
    area_.scintilla(SCI_SETMODEVENTMASK, 0);
}

TextArea::QuietChange::~QuietChange()
{
    area_.scintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask_));
    ++area_.textVersion_; // what was changed quietly is a change all the same
}

TextArea::TextArea(QWidget* parent) : QsciScintilla(parent)
{
    useStylelessDocument();
    setUtf8(true);
    setEolMode(EolUnix);

    // Courier New, 13 px. QScintilla gets the text height wrong from a pixel size, so the size
    // goes in as points at the screen's resolution.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(13.0 * 72.0 / logicalDpiY());
    SetTextFont(font);

    for (int margin = 0; margin < 5; ++margin)
        setMarginWidth(margin, 0);
    setEdgeMode(EdgeNone);
    setWrapMode(WrapNone);
    // The horizontal scroll bar only when a line is wider than the window.
    scintilla(SCI_SETSCROLLWIDTH, 1);
    scintilla(SCI_SETSCROLLWIDTHTRACKING, 1);

    setTabWidth(8);
    setIndentationsUseTabs(false);
    setAutoIndent(true);
    setBackspaceUnindents(false); // smartBackspace does better
    scintilla(SCI_SETVIRTUALSPACEOPTIONS, SCVS_USERACCESSIBLE | SCVS_RECTANGULARSELECTION);
    scintilla(SCI_SETPRINTCOLOURMODE, SC_PRINT_BLACKONWHITE);

    // Ctrl+V belongs to the window's paste action, which expands tabs; QScintilla would
    // otherwise claim the key before any action sees it. Shift+Insert stays the plain paste.
    if (QsciCommand* paste = standardCommands()->find(QsciCommand::Paste))
        paste->setKey(0);

    QAccessible::installFactory(accessibleTextArea);
    connect(this, &QsciScintillaBase::SCN_MODIFIED, this, &TextArea::onModified);
    // Undo or redo back to the text as loaded or saved: nothing unsaved any more.
    connect(this, &QsciScintilla::modificationChanged, this, [this](bool modified) {
        if (!modified && savePointIsTheFile_)
            setModifiedFlag(false);
    });
    setChangeNotifications();
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int firstLine) {
        QToolTip::showText(QCursor::pos(), QStringLiteral("Linia: %1").arg(firstLine + 1), this);
    });
}

void TextArea::useStylelessDocument()
{
    // Scintilla's direct function, whose results are as wide as a pointer: SendScintilla gives a
    // long, 32 bits on 64-bit Windows, too narrow for the document's address.
    using Direct = intptr_t (*)(void*, unsigned int, uintptr_t, intptr_t);
    const auto direct = reinterpret_cast<Direct>(SendScintillaPtrResult(SCI_GETDIRECTFUNCTION));
    void* const self = SendScintillaPtrResult(SCI_GETDIRECTPOINTER);
    if (!direct || !self)
        return; // a QScintilla without it: the document with style bytes does as well
    const intptr_t document = direct(self, SCI_CREATEDOCUMENT, 0, SC_DOCUMENTOPTION_STYLES_NONE);
    if (!document)
        return;
    // The view takes the new document and frees QScintilla's; letting go of the reference the
    // creation gave leaves the view's only, so the document goes with the area. QScintilla
    // keeps the old address only to share the document with another editor (setDocument),
    // which the program never does.
    direct(self, SCI_SETDOCPOINTER, 0, document);
    direct(self, SCI_RELEASEDOCUMENT, 0, document);
    // What QScintilla set on its own document: no lexer (the text is never styled).
    scintilla(SCI_SETLEXER, SCLEX_CONTAINER);
}

void TextArea::SetTextFont(const QFont& font)
{
    setFont(font);
    // The rows the accented capitals are inked in above the baseline, as drawn.
    const QFontMetricsF metrics(font, this);
    const int ascent = static_cast<int>(metrics.ascent()); // as the text area rounds it
    QImage image(static_cast<int>(metrics.height()) * 12, ascent * 3, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const int baseline = ascent * 2;
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, baseline, QStringLiteral("ŁÓDŹŚĆŃŻĄĘ"));
    }
    int top = baseline;
    for (int y = 0; y < baseline && top == baseline; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0) {
                top = y;
                break;
            }
    // One row of air above the highest accent.
    const int extra = (baseline - top) - ascent + 1;
    scintilla(SCI_SETEXTRAASCENT, static_cast<unsigned long>(std::max(extra, 0)));
}

// ---- Lines and caret ----

int TextArea::LineCount() const
{
    return static_cast<int>(scintilla(SCI_GETLINECOUNT));
}

std::string TextArea::Bytes(long start, long end) const
{
    const long length = scintilla(SCI_GETLENGTH);
    start = std::clamp(start, 0L, length);
    end = std::clamp(end, start, length);
    std::string bytes(static_cast<size_t>(end - start) + 1, '\0'); // room for the final NUL
    if (end > start)
        SendScintilla(SCI_GETTEXTRANGE, start, end, bytes.data());
    bytes.resize(static_cast<size_t>(end - start));
    return bytes;
}

QString TextArea::Line(int index) const
{
    if (index < 0 || index >= LineCount())
        return {};
    const std::string line
        = Bytes(scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(index)),
            scintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index)));
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

void TextArea::ReplaceLine(int index, const QString& text)
{
    OwnChange own(*this);
    long start = scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(index));
    long end = scintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(index));
    QByteArray utf8 = text.toUtf8();
    scintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(utf8.size()), utf8.constData());
}

QString TextArea::expandedLine(int index) const
{
    return ExpandTabsInLine(Line(index), tabWidth());
}

long TextArea::CaretPosition() const
{
    return scintilla(SCI_GETCURRENTPOS);
}

long TextArea::SelectionStartPosition() const
{
    return scintilla(SCI_GETSELECTIONSTART);
}

long TextArea::SelectionEndPosition() const
{
    return scintilla(SCI_GETSELECTIONEND);
}

void TextArea::SelectAndShow(long anchor, long caret)
{
    scintilla(SCI_SETSEL, static_cast<unsigned long>(anchor), caret);
    scintilla(SCI_SCROLLRANGE, static_cast<unsigned long>(anchor), caret);
}

void TextArea::SetCaretPosition(long position)
{
    setCaretAt(position, 0);
}

int TextArea::CaretVirtualSpace() const
{
    return static_cast<int>(scintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0));
}

int TextArea::LineOf(long position) const
{
    return static_cast<int>(scintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
}

int TextArea::ColumnOf(long position) const
{
    return static_cast<int>(scintilla(SCI_GETCOLUMN, static_cast<unsigned long>(position)));
}

long TextArea::PositionAt(int line, int column) const
{
    return scintilla(SCI_FINDCOLUMN, static_cast<unsigned long>(line), column);
}

void TextArea::setCaretAt(long position, int virtualSpace)
{
    scintilla(SCI_GOTOPOS, static_cast<unsigned long>(position));
    if (virtualSpace > 0) {
        scintilla(SCI_SETSELECTIONNCARETVIRTUALSPACE, 0, virtualSpace);
        scintilla(SCI_SETSELECTIONNANCHORVIRTUALSPACE, 0, virtualSpace);
    }
    scintilla(SCI_SCROLLCARET);
}

int TextArea::CaretLine() const
{
    return static_cast<int>(
               scintilla(SCI_LINEFROMPOSITION, static_cast<unsigned long>(CaretPosition())))
        + 1;
}

int TextArea::CaretColumn() const
{
    long position = CaretPosition();
    return static_cast<int>(scintilla(SCI_GETCOLUMN, static_cast<unsigned long>(position))
               + scintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0))
        + 1;
}

void TextArea::SetCaret(int line, int column)
{
    line = std::clamp(line, 1, LineCount());
    column = std::max(column, 1);
    long position = scintilla(SCI_FINDCOLUMN, static_cast<unsigned long>(line - 1), column - 1);
    long reached = scintilla(SCI_GETCOLUMN, static_cast<unsigned long>(position));
    setCaretAt(position, static_cast<int>(std::max(0L, column - 1 - reached)));
}

int TextArea::LineEndColumn(int line) const
{
    long end = scintilla(SCI_GETLINEENDPOSITION, static_cast<unsigned long>(line - 1));
    return static_cast<int>(scintilla(SCI_GETCOLUMN, static_cast<unsigned long>(end))) + 1;
}

// ---- Selection mode ----

void TextArea::SetSelectionMode(SelectionMode mode)
{
    mode_ = mode;
    applySelectionMode(false);
}

void TextArea::applySelectionMode(bool forceLines)
{
    int wanted = SC_SEL_STREAM;
    if (mode_ == SelectionMode::Column)
        wanted = SC_SEL_RECTANGLE;
    // Lines mode on an empty selection would select the caret's line at once, and typing would
    // then replace it: apply it only while something is selected or a drag begins.
    else if (mode_ == SelectionMode::Lines && (forceLines || !scintilla(SCI_GETSELECTIONEMPTY)))
        wanted = SC_SEL_LINES;
    const long current = scintilla(SCI_GETSELECTIONMODE);
    if (current == wanted || (wanted == SC_SEL_RECTANGLE && current == SC_SEL_THIN))
        return; // setting the same mode again would collapse a rectangle
    setScintillaSelectionMode(wanted);
}

void TextArea::setScintillaSelectionMode(int mode)
{
    scintilla(SCI_SETSELECTIONMODE, static_cast<unsigned long>(mode));
    // Setting a mode also makes plain caret moves extend the selection; a second, equal
    // setting turns that off and keeps the mode.
    if (scintilla(SCI_GETMOVEEXTENDSSELECTION))
        scintilla(SCI_SETSELECTIONMODE, static_cast<unsigned long>(mode));
}

// ---- The whole text in and out: a file's bytes loaded (a file button's open and "Otwórz"),
// saved, cleared ("Wyczyść"), and every tab expanded ----

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
