// The text area on its own. Trailing blanks after the changes that do not come from a key: Ctrl+V,
// the menu's plain paste, a whole-lines paste and a drop. Every line the change touched loses its
// trailing blanks and tabs, untouched lines keep theirs, the caret keeps its line and column (in
// virtual space where its blanks went), a selection keeps its text, and the trimming is one undo
// step after the change. A big mixed paste checks the same line by line. And what a key costs
// besides the edit: nothing that counts or copies the text from its start.
#include "EditorTestSupport.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>

#include <memory>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;

class tst_TextArea : public QObject, EditorWindowFixture
{
    Q_OBJECT

    // Drops `text` from outside at the caret, as another program would.
    void drop(const QString& text)
    {
        QMimeData data;
        data.setText(text);
        const QPoint dropPoint = area->viewport()->mapFromGlobal(area->mapToGlobal(
            QPoint(static_cast<int>(area->SendScintilla(
                       QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, area->CaretPosition())),
                static_cast<int>(area->SendScintilla(
                    QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, area->CaretPosition())))));
        QDragEnterEvent enter(dropPoint, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(area->viewport(), &enter);
        QDragMoveEvent move(dropPoint, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(area->viewport(), &move);
        QDropEvent dropped(
            QPointF(dropPoint), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(area->viewport(), &dropped);
    }

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void afterChange_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caretLine");
        QTest::addColumn<int>("caretColumn");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("afterUndo"); // one undo: the change untrimmed

        // Caret at the start of the pasted text; the untouched first line keeps its blanks.
        QTest::newRow("Ctrl+V, mixed lines") << "ctrl+v"
                                             << "keep   \nab" << 2 << 2 << "p1 \np2\np3  \n\n   "
                                             << "keep   \nap1\np2\np3\n\n   b" << 2 << 2 << ""
                                             << "keep   \nap1 \np2\np3  \n\n   b";
        // Tabs expand everywhere; the blanks the pasted tabs leave at a line's end go too; one
        // undo gives back the text before the paste.
        QTest::newRow("Ctrl+V, tabs") << "ctrl+v"
                                      << "k\tl  \nend" << 2 << 1 << "p\tq\t\n"
                                      << "k       l  \np       q\nend" << 2 << 1 << ""
                                      << "k\tl  \nend";
        // The caret after the pasted text keeps its column where its blanks went.
        QTest::newRow("Wklej, caret in the blanks") << "wklej"
                                                    << "ab" << 1 << 3 << "x\ny   "
                                                    << "abx\ny" << 2 << 5 << ""
                                                    << "abx\ny   ";
        QTest::newRow("Wklej, blanks before the rest of the line") << "wklej"
                                                                   << "ab" << 1 << 2 << "x \ny  "
                                                                   << "ax\ny  b" << 2 << 4 << ""
                                                                   << "ax \ny  b";
        // Whole lines go in before the caret's line; the change ends at that line's start, so
        // it counts as touched, as after any paste that ends with a line end.
        QTest::newRow("whole lines") << "lines"
                                     << "l1  \nl2  " << 2 << 1 << "n1  \nn2\t\n"
                                     << "l1  \nn1\nn2\nl2" << 4 << 1 << ""
                                     << "l1  \nn1  \nn2\t\nl2  ";
        // A drop selects what it brought: the selection shrinks by the blanks it lost.
        QTest::newRow("drop") << "drop"
                              << "ab\ncd" << 1 << 2 << "x  \ny \t"
                              << "ax\ny\nb\ncd" << 3 << 1 << "x\ny\n"
                              << "ax  \ny \t\nb\ncd";
    }

    void afterChange()
    {
        QFETCH(QString, how);
        QFETCH(QString, before);
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, pasted);
        QFETCH(QString, after);
        QFETCH(int, caretLine);
        QFETCH(int, caretColumn);
        QFETCH(QString, selected);
        QFETCH(QString, afterUndo);

        setText(*area, before);
        if (how == "lines")
            area->SetSelectionMode(TextArea::SelectionMode::Lines);
        area->SetCaret(line, column);
        QApplication::clipboard()->setText(pasted);
        if (how == "ctrl+v")
            QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
        else if (how == "drop")
            drop(pasted + "\n");
        else
            frame->PopupMenu1->actions().at(3)->trigger();
        QCoreApplication::processEvents(); // the queued trimming

        QCOMPARE(text(*area), after);
        QCOMPARE(area->CaretLine(), caretLine);
        QCOMPARE(area->CaretColumn(), caretColumn);
        QCOMPARE(area->selectedText(), selected);
        QVERIFY(area->Modified());
        if (afterUndo.isEmpty()) {
            QVERIFY(!area->isUndoAvailable());
            return;
        }
        area->undo();
        QCOMPARE(text(*area), afterUndo);
        area->undo();
        QCOMPARE(text(*area), before);
        area->redo();
        area->redo();
        QCOMPARE(text(*area), after);
    }

    // 20,000 pasted lines, with and without trailing blanks and tabs, into the middle of a line
    // of a text whose untouched lines keep theirs.
    void bigMixedPaste()
    {
        QString pasted, expected;
        const QString tails[] = { "", "   ", " \t ", "\t", " x" };
        for (int i = 0; i < 20000; ++i) {
            const QString body = QString::number(i) + " 5850000.123";
            const QString& tail = tails[i % 5];
            pasted += body + tail + "\n";
            expected += body + (tail == " x" ? tail : QString()) + "\n";
        }
        setText(*area, "first  \nbe|fore  \nlast  ");
        area->SetCaret(2, 4);
        QApplication::clipboard()->setText(pasted);
        area->paste(); // the plain paste: no tab expansion
        QCoreApplication::processEvents();
        QCOMPARE(text(*area), "first  \nbe|" + expected + "fore\nlast  ");
        QCOMPARE(area->CaretLine(), 20002);
        QCOMPARE(area->CaretColumn(), 1);
        area->undo();
        QCOMPARE(text(*area), "first  \nbe|" + pasted + "fore  \nlast  ");
    }

    // QScintilla's accessible interface counts the characters up to the caret after every key,
    // and its input-method answers copy the caret's paragraph: the whole of a point file.
    void noPerKeyWorkOnTheWholeText()
    {
        setText(*area, "1 100.00 200.00\n2 ąę 300.00\n3 400.00 500.00");
        area->SetCaret(2, 5);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(area);
        QVERIFY(accessible);
        QCOMPARE(accessible->role(), QAccessible::EditableText);
        QVERIFY(QAccessible::isActive() || !accessible->textInterface());
        QWidget& widget = *area;
        QCOMPARE(widget.inputMethodQuery(Qt::ImSurroundingText).toString(), "2 ąę 300.00");
        QCOMPARE(widget.inputMethodQuery(Qt::ImCursorPosition).toInt(), 4);

        // Without the notices after each change, QsciScintilla's textChanged() still comes,
        // once the change is complete.
        QSignalSpy changed(area, &QsciScintilla::textChanged);
        QTest::keyClick(area, Qt::Key_X);
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(area->Line(1), "2 ąęx 300.00");
    }
};

QTEST_MAIN(tst_TextArea)
#include "tst_TextArea.moc"
