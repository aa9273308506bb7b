// The text area's keys, mouse, focus and input-method answers, its whole-lines clipboard, and its
// change notices and modified flag.
#include "TextArea.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

namespace vorida::editor {

// ---- Keys ----

void TextArea::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers()
        & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (extendRectangle(event->key(), modifiers) || linesClipboard(event->key(), modifiers)) {
        event->accept();
        return;
    }
    editingKey(event, modifiers);
    pieces_.RunPending(); // Ctrl+Z and Ctrl+Y
}

bool TextArea::extendRectangle(int key, Qt::KeyboardModifiers modifiers)
{
    if (mode_ != SelectionMode::Column || modifiers != Qt::ShiftModifier)
        return false;
    static constexpr std::pair<int, unsigned int> extending[] = {
        { Qt::Key_Left, SCI_CHARLEFTRECTEXTEND },
        { Qt::Key_Right, SCI_CHARRIGHTRECTEXTEND },
        { Qt::Key_Up, SCI_LINEUPRECTEXTEND },
        { Qt::Key_Down, SCI_LINEDOWNRECTEXTEND },
        { Qt::Key_Home, SCI_VCHOMERECTEXTEND },
        { Qt::Key_End, SCI_LINEENDRECTEXTEND },
        { Qt::Key_PageUp, SCI_PAGEUPRECTEXTEND },
        { Qt::Key_PageDown, SCI_PAGEDOWNRECTEXTEND },
    };
    for (const auto& [k, message] : extending) {
        if (k == key) {
            scintilla(message);
            return true;
        }
    }
    return false;
}

bool TextArea::linesClipboard(int key, Qt::KeyboardModifiers modifiers)
{
    if (mode_ != SelectionMode::Lines)
        return false;
    const QsciCommand* command = standardCommands()->boundTo(key | static_cast<int>(modifiers));
    if (!command)
        return false;
    void (TextArea::*clipboard)() = nullptr;
    switch (command->command()) {
    case QsciCommand::SelectionCut:
        clipboard = &TextArea::cut;
        break;
    case QsciCommand::SelectionCopy:
        clipboard = &TextArea::copy;
        break;
    case QsciCommand::Paste:
        clipboard = &TextArea::paste;
        break;
    default:
        return false;
    }
    trimmer_.FlushPendingLine();
    (this->*clipboard)();
    return true;
}

void TextArea::editingKey(QKeyEvent* event, Qt::KeyboardModifiers modifiers)
{
    const int key = event->key();
    const bool blankKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter
        || key == Qt::Key_Backspace || key == Qt::Key_Delete || key == Qt::Key_Tab;
    trimmer_.BeginKey();
    trimmer_.FlushPendingLine(); // before the key, so that its own undo step stays whole
    if (blankKey)
        scintilla(SCI_BEGINUNDOACTION);
    bool handled = false;
    if (modifiers == Qt::NoModifier && key == Qt::Key_Tab)
        handled = smartTab();
    else if (modifiers == Qt::NoModifier && key == Qt::Key_Backspace)
        handled = smartBackspace();
    if (handled)
        event->accept();
    else
        QsciScintilla::keyPressEvent(event);
    trimmer_.Trim(blankKey);
    if (blankKey)
        scintilla(SCI_ENDUNDOACTION);
    trimmer_.EndKey();
    applySelectionMode(false);
}

bool TextArea::smartTab()
{
    if (hasSelectedText() || isReadOnly())
        return false;
    const int column = CaretColumn() - 1;
    const int target = SmartTabColumn(
        [this](int index) { return expandedLine(index); }, CaretLine() - 1, column, tabWidth());

    // Pad virtual space with real blanks, then the step itself.
    const long position = CaretPosition();
    const int virtualSpace = static_cast<int>(scintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0));
    const QByteArray blanks(virtualSpace + target - column, ' ');
    scintilla(SCI_SETEMPTYSELECTION, static_cast<unsigned long>(position));
    SendScintilla(SCI_REPLACESEL, static_cast<uintptr_t>(0), blanks.constData());
    return true;
}

bool TextArea::smartBackspace()
{
    if (hasSelectedText() || isReadOnly())
        return false;
    const int line = CaretLine() - 1;
    const int column = CaretColumn() - 1;
    if (column == 0)
        return false;
    const long lineStart = scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    const long position = CaretPosition();
    for (char c : Bytes(lineStart, position))
        if (c != ' ')
            return false; // not inside leading blanks: an ordinary Backspace

    const int target
        = SmartBackspaceColumn([this](int index) { return expandedLine(index); }, line, column);
    const int realColumn = static_cast<int>(position - lineStart);
    if (target >= realColumn) {
        setCaretAt(position, target - realColumn); // only virtual space to give back
    } else {
        scintilla(
            SCI_DELETERANGE, static_cast<unsigned long>(lineStart + target), realColumn - target);
        setCaretAt(lineStart + target, 0);
    }
    return true;
}

void TextArea::mousePressEvent(QMouseEvent* event)
{
    pressPoint_ = event->position().toPoint();
    QsciScintilla::mousePressEvent(event);
    pressCaret_ = CaretPosition();
    pressVirtual_ = CaretVirtualSpace();
    trimmer_.FlushPendingLine();
    // Scintilla has just gone back to a stream selection; a drag from here selects in our mode.
    if (event->button() == Qt::LeftButton)
        applySelectionMode(true);
}

void TextArea::mouseReleaseEvent(QMouseEvent* event)
{
    QsciScintilla::mouseReleaseEvent(event);
    // A plain click in whole-lines mode selects nothing and leaves the caret where the click
    // put it, before the mode took the whole line.
    if (mode_ == SelectionMode::Lines && event->button() == Qt::LeftButton
        && (event->position().toPoint() - pressPoint_).manhattanLength() < 3) {
        setScintillaSelectionMode(SC_SEL_STREAM);
        setCaretAt(
            std::min(pressCaret_, static_cast<long>(scintilla(SCI_GETLENGTH))), pressVirtual_);
        applySelectionMode(false);
    }
}

QVariant TextArea::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // QScintilla answers these from the caret's paragraph, the lines between two blank ones:
    // in a point file the whole text, copied on every key an input method sees. The caret's
    // line is context enough.
    if (query != Qt::ImSurroundingText && query != Qt::ImCursorPosition)
        return QsciScintilla::inputMethodQuery(query);
    const long caret = CaretPosition();
    const long lineStart
        = scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(LineOf(caret)));
    if (query == Qt::ImSurroundingText)
        return Line(LineOf(caret));
    const std::string before = Bytes(lineStart, caret);
    return QString::fromUtf8(before.data(), static_cast<qsizetype>(before.size())).size();
}

void TextArea::focusInEvent(QFocusEvent* event)
{
    setChangeNotifications(); // an assistive technology may have started meanwhile
    QsciScintilla::focusInEvent(event);
}

void TextArea::focusOutEvent(QFocusEvent* event)
{
    FinishEditing();
    QsciScintilla::focusOutEvent(event);
}

void TextArea::contextMenuEvent(QContextMenuEvent* event)
{
    if (contextMenu_)
        contextMenu_->exec(event->globalPos());
    else
        QsciScintilla::contextMenuEvent(event);
}

// ---- Whole-lines clipboard ----

std::pair<long, long> TextArea::SelectedLines() const
{
    const long selectionStart = scintilla(SCI_GETSELECTIONSTART);
    const long selectionEnd = scintilla(SCI_GETSELECTIONEND);
    const int first = LineOf(selectionStart);
    int last = LineOf(selectionEnd);
    if (last > first
        && selectionEnd == scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(last)))
        --last; // a selection that ends at the start of a line does not take that line
    const long start = scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(first));
    const long end = last + 1 < LineCount()
        ? scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(last + 1))
        : scintilla(SCI_GETLENGTH);
    return { start, end };
}

void TextArea::setClipboardLines(long start, long end)
{
    std::string lines = Bytes(start, end);
    if (lines.empty() || lines.back() != '\n')
        lines += '\n'; // the last line of the text has no line end of its own
    QApplication::clipboard()->setText(
        QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size())));
}

void TextArea::copy()
{
    if (mode_ != SelectionMode::Lines || !hasSelectedText()) {
        QsciScintilla::copy();
        return;
    }
    const auto [start, end] = SelectedLines();
    setClipboardLines(start, end);
}

void TextArea::cut()
{
    if (mode_ != SelectionMode::Lines || !hasSelectedText()) {
        QsciScintilla::cut();
        return;
    }
    if (isReadOnly())
        return;
    auto [start, end] = SelectedLines();
    setClipboardLines(start, end);
    // Lines up to the end of a text without a final line end take the line end before them,
    // so that no empty line is left behind.
    if (end == scintilla(SCI_GETLENGTH) && start > 0 && Bytes(end - 1, end) != "\n")
        --start;
    scintilla(SCI_DELETERANGE, static_cast<unsigned long>(start), end - start);
    setCaretAt(scintilla(SCI_POSITIONFROMLINE, static_cast<unsigned long>(LineOf(start))), 0);
    applySelectionMode(false);
}

long TextArea::PastePosition() const
{
    if (mode_ != SelectionMode::Lines)
        return SelectionStartPosition();
    return scintilla(
        SCI_POSITIONFROMLINE, static_cast<unsigned long>(LineOf(SelectionStartPosition())));
}

void TextArea::paste()
{
    if (mode_ != SelectionMode::Lines) {
        QsciScintilla::paste();
        return;
    }
    QString text = QApplication::clipboard()->text();
    if (isReadOnly() || text.isEmpty())
        return;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (!text.endsWith(u'\n'))
        text += u'\n';
    const QByteArray utf8 = text.toUtf8();
    long insertAt = PastePosition();
    scintilla(SCI_BEGINUNDOACTION);
    if (hasSelectedText()) {
        const auto [start, end] = SelectedLines();
        scintilla(SCI_DELETERANGE, static_cast<unsigned long>(start), end - start);
        insertAt = start;
    }
    SendScintilla(SCI_INSERTTEXT, static_cast<uintptr_t>(insertAt), utf8.constData());
    scintilla(SCI_ENDUNDOACTION);
    setCaretAt(insertAt + static_cast<long>(utf8.size()), 0);
    applySelectionMode(false);
}

void TextArea::SetModified(bool modified)
{
    if (!modified) {
        savePointIsTheFile_ = true;
        scintilla(SCI_SETSAVEPOINT);
    } else if (scintilla(SCI_GETMODIFY) == 0) {
        // The text differs from the file though no step of the undo history says so ("Otwórz"
        // with nothing to undo): undoing back to here does not make it the file's.
        savePointIsTheFile_ = false;
    }
    setModifiedFlag(modified);
}

void TextArea::setModifiedFlag(bool modified)
{
    if (modified_ == modified)
        return;
    modified_ = modified;
    emit ModifiedChanged(modified);
}

void TextArea::ReplaceUndoably(long start, long end, std::string_view utf8)
{
    {
        OwnChange own(*this);
        UndoStep step(*this);
        scintilla(SCI_SETTARGETRANGE, static_cast<unsigned long>(start), end);
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(utf8.size()), utf8.data());
    }
    SetModified(true);
}

// ---- The change notices and the modified flag ----

void TextArea::setChangeNotifications()
{
    // QScintilla answers every insertion and deletion Scintilla reports with a count of the
    // characters before it, from the start of the text, for assistive technology: at the end
    // of a 10 MB text that is some 30 ms a key. The text area only needs the notices Scintilla
    // sends before a change, which QScintilla passes on as they are; the others are asked for
    // only while an assistive technology listens.
    const long mask = QAccessible::isActive()
        ? SC_MODEVENTMASKALL
        : SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE | SC_MOD_CONTAINER;
    scintilla(SCI_SETMODEVENTMASK, static_cast<unsigned long>(mask));
}

void TextArea::onModified(
    int position, int type, const char*, int length, int, int, int, int, int token, int)
{
    if (type & SC_MOD_CONTAINER) {
        pieces_.Noted(token, (type & SC_PERFORMED_UNDO) != 0);
        return;
    }
    if (!(type & (SC_MOD_BEFOREINSERT | SC_MOD_BEFOREDELETE)))
        return;
    trimmer_.InsertionMade(); // the change before this one is complete
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
    if (!(type & (SC_PERFORMED_UNDO | SC_PERFORMED_REDO)))
        pieces_.DropUndone(); // a new step: what was undone cannot be redone
    if (ownChanges_ > 0)
        return;
    setModifiedFlag(true);
    if (type & SC_PERFORMED_USER)
        trimmer_.Noted(position, length, (type & SC_MOD_BEFOREINSERT) != 0);
}

void TextArea::modifiedAsTheUndoHistorySays()
{
    setModifiedFlag(scintilla(SCI_GETMODIFY) != 0 || !savePointIsTheFile_);
}

void TextArea::undo()
{
    QsciScintilla::undo();
    pieces_.RunPending();
}

void TextArea::redo()
{
    QsciScintilla::redo();
    pieces_.RunPending();
}

} // namespace vorida::editor
