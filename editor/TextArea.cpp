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

namespace vorida::editor {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

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
    area_.touchInsertedLines(); // while its length still tells its lines
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
    setChangeNotifications();
    connect(verticalScrollBar(), &QScrollBar::sliderMoved, this, [this](int firstLine) {
        QToolTip::showText(QCursor::pos(), QStringLiteral("Linia: %1").arg(firstLine + 1), this);
    });
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

// ---- Text in and out ----

std::string_view TextArea::Utf8() const
{
    auto* text = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    long length = scintilla(SCI_GETLENGTH);
    return text ? std::string_view(text, static_cast<size_t>(length)) : std::string_view();
}

void TextArea::LoadBytes(std::string_view bytes)
{
    DecodedText decoded = DecodeText(bytes);
    {
        OwnChange own(*this);
        QuietChange quiet(*this);
        // The undo history is emptied below: no copy of either text for it.
        scintilla(SCI_SETUNDOCOLLECTION, 0);
        scintilla(SCI_CLEARALL);
        // SCI_ADDTEXT with a length, so that a NUL byte does not end the text.
        SendScintilla(
            SCI_ADDTEXT, static_cast<uintptr_t>(decoded.Utf8.size()), decoded.Utf8.data());
        scintilla(SCI_SETUNDOCOLLECTION, 1);
    }
    lineEnd_ = decoded.Convention;
    encoding_ = decoded.Encoding;
    touchedLines_.clear();
    pendingLine_ = -1;
    EmptyUndoHistory();
    scintilla(SCI_GOTOPOS, 0);
    SetModified(false);
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
    touchedLines_.clear();
    pendingLine_ = -1;
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
    touchedLines_.clear();
    pendingLine_ = -1;
    scintilla(SCI_GOTOPOS, 0);
}

void TextArea::ClearUndoably()
{
    replaceAllUndoably({});
    SetModified(false);
}

void TextArea::LoadBytesUndoably(std::string bytes)
{
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
    scintilla(SCI_EMPTYUNDOBUFFER);
    scintilla(SCI_SETSAVEPOINT);
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
    int column = 0;
    for (size_t i = 0; i < utf8.size();) {
        // A run up to the next tab or line end goes over whole; its characters are counted.
        size_t end = i;
        for (; end < utf8.size() && utf8[end] != '\t' && utf8[end] != '\n'; ++end)
            if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80) // not a continuation byte
                ++column;
        out.append(utf8.substr(i, end - i));
        if (end == utf8.size())
            break;
        if (utf8[end] == '\n') {
            out += '\n';
            column = 0;
        } else {
            const int blanks = width - column % width;
            out.append(static_cast<size_t>(blanks), ' ');
            column += blanks;
        }
        i = end + 1;
    }
    return out;
}

bool TextArea::ExpandAllTabs()
{
    // A paste about to be expanded is trimmed first, so that its trimming goes into the paste's
    // undo step (the blanks a trailing tab leaves are gone either way).
    trimTouchedLines(true);
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

// ---- Modified flag and trimming ----

void TextArea::setChangeNotifications()
{
    // QScintilla answers every insertion and deletion Scintilla reports with a count of the
    // characters before it, from the start of the text, for assistive technology: at the end
    // of a 10 MB text that is some 30 ms a key. The text area only needs the notices Scintilla
    // sends before a change, which QScintilla passes on as they are; the others are asked for
    // only while an assistive technology listens.
    const long mask
        = QAccessible::isActive() ? SC_MODEVENTMASKALL : SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE;
    scintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask));
}

void TextArea::onModified(
    int position, int type, const char*, int length, int, int, int, int, int, int)
{
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
    if (ownChanges_ > 0)
        return;
    SetModified(true);
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

} // namespace vorida::editor
