// The text area's change notices, its modified flag, and the trimming of the trailing blanks
// of the lines a change touched.
#include "TextArea.h"

#include <QAccessible>

#include <algorithm>

namespace vorida::editor {

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
