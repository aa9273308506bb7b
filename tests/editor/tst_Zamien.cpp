// The replace dialog and the editor's other everyday tools: replace-all by option (case, whole
// words, selection only) with its count and one undo step, "Zamień" one hit at a time, Ctrl+G,
// and the "zmieniony" mark.
#include "EditorTestSupport.h"
#include "UEdytorFrame.h"
#include "Zamien.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

#include <memory>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;

class tst_Zamien : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordingPlatform> platform;
    std::unique_ptr<ScopedPlatform> scope;
    std::unique_ptr<TEdytorFrame> frame;
    TForm_Zamien* dialog = nullptr;
    TextArea* area = nullptr;

    void fill(const QString& what, const QString& with, const QString& options)
    {
        dialog->Edit1->setText(what);
        dialog->Edit2->setText(with);
        dialog->CheckBox1->setChecked(options.contains(u'c'));
        dialog->CheckBox2->setChecked(options.contains(u'w'));
        dialog->CheckBox3->setChecked(options.contains(u's'));
    }

private slots:
    void init()
    {
        platform = std::make_unique<RecordingPlatform>();
        scope = std::make_unique<ScopedPlatform>(*platform);
        frame = std::make_unique<TEdytorFrame>();
        area = frame->Editor();
        frame->ShowReplace();
        dialog = frame->ReplaceDialog();
        QVERIFY(dialog);
    }

    void cleanup()
    {
        frame.reset();
        scope.reset();
        platform.reset();
    }

    void replaceAll_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QString>("options"); // c case, w whole words, s selection only, and
                                              // the selection mode: l whole lines, r column
        QTest::addColumn<int>("selectFrom"); // characters; -1: no selection
        QTest::addColumn<int>("selectTo");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");

        QTest::newRow("decimal comma, whole file")
            << "1 28456,78 5601,20\n2 28457,01 5602,33\n"
            << ","
            << "."
            << "" << -1 << -1 << "1 28456.78 5601.20\n2 28457.01 5602.33\n"
            << "Zamieniono: 4.";
        QTest::newRow("case folds Polish capitals") << "Łódź ŁÓDŹ łódź"
                                                    << "łódź"
                                                    << "Kraków"
                                                    << "" << -1 << -1 << "Kraków Kraków Kraków"
                                                    << "Zamieniono: 3.";
        QTest::newRow("match case") << "Łódź ŁÓDŹ łódź"
                                    << "łódź"
                                    << "X"
                                    << "c" << -1 << -1 << "Łódź ŁÓDŹ X"
                                    << "Zamieniono: 1.";
        QTest::newRow("whole words") << "pkt pkt1 _pkt pkt. pktą"
                                     << "pkt"
                                     << "P"
                                     << "w" << -1 << -1 << "P pkt1 _pkt P. pktą"
                                     << "Zamieniono: 2.";
        QTest::newRow("selection only") << "a,a\na,a\na,a"
                                        << ","
                                        << "."
                                        << "s" << 4 << 7 << "a,a\na.a\na,a"
                                        << "Zamieniono: 1.";
        QTest::newRow("selection only, whole lines: the lines touched")
            << "a,a\na,a\na,a\na,a"
            << ","
            << "."
            << "sl" << 6 << 9 << "a,a\na.a\na.a\na,a"
            << "Zamieniono: 2.";
        QTest::newRow("selection only, column: the x column only")
            << "1 2,5 3,5\n2 4,5 5,5\n3 6,5 7,5\n4 8,5 9,5"
            << ","
            << "."
            << "sr" << 2 << 25 << "1 2.5 3,5\n2 4.5 5,5\n3 6.5 7,5\n4 8,5 9,5"
            << "Zamieniono: 3.";
        QTest::newRow("selection only, column, growing") << "a,a,\nb,b,\nc,c,"
                                                         << ","
                                                         << ";;"
                                                         << "sr" << 1 << 12 << "a;;a,\nb;;b,\nc;;c,"
                                                         << "Zamieniono: 3.";
        QTest::newRow("selection option without a selection: whole text")
            << "a,a\na,a"
            << ","
            << "."
            << "s" << -1 << -1 << "a.a\na.a"
            << "Zamieniono: 2.";
        QTest::newRow("hit across the selection's edge stays") << "abcabc"
                                                               << "ca"
                                                               << "X"
                                                               << "s" << 0 << 3 << "abcabc"
                                                               << "Tekstu nie znaleziono.";
        QTest::newRow("replacement holds the text: not searched again") << "aa"
                                                                        << "a"
                                                                        << "aa"
                                                                        << "" << -1 << -1 << "aaaa"
                                                                        << "Zamieniono: 2.";
        QTest::newRow("to nothing") << "1 2  3"
                                    << " "
                                    << ""
                                    << "" << -1 << -1 << "123"
                                    << "Zamieniono: 3.";
        QTest::newRow("nothing found") << "abc"
                                       << "x"
                                       << "y"
                                       << "" << -1 << -1 << "abc"
                                       << "Tekstu nie znaleziono.";
    }

    void replaceAll()
    {
        QFETCH(QString, text);
        QFETCH(QString, what);
        QFETCH(QString, with);
        QFETCH(QString, options);
        QFETCH(int, selectFrom);
        QFETCH(int, selectTo);
        QFETCH(QString, expected);
        QFETCH(QString, message);

        setText(*area, text);
        const QString before = editortest::text(*area);
        const long from = before.left(selectFrom).toUtf8().size();
        const long to = before.left(selectTo).toUtf8().size();
        if (options.contains(u'r')) {
            area->SetSelectionMode(TextArea::SelectionMode::Column);
            area->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR, from);
            area->SendScintilla(QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET, to);
        } else if (selectFrom >= 0) {
            if (options.contains(u'l'))
                area->SetSelectionMode(TextArea::SelectionMode::Lines);
            area->SendScintilla(QsciScintillaBase::SCI_SETSEL, from, to);
        }
        fill(what, with, options);
        dialog->ZamienWszystkoClick();

        QCOMPARE(editortest::text(*area), expected);
        QCOMPARE(platform->Messages(), std::vector<std::string> { message.toStdString() });
        if (expected == before)
            return;
        QVERIFY(area->Modified());
        if (selectFrom >= 0 && !options.contains(u'r') && !options.contains(u'l'))
            // the selection now holds the replaced text
            QCOMPARE(area->selectedText(), expected.mid(selectFrom, selectTo - selectFrom));
        area->undo(); // one step back to the text before, and no step left
        QCOMPARE(editortest::text(*area), before);
        QVERIFY(!area->isUndoAvailable());
    }

    // "Zamień wszystko", its undo (Ctrl+Z) and redo leave the caret on its line and column and
    // the view where it was.
    void replaceAllKeepsTheViewAndTheCaret()
    {
        QString lines;
        for (int i = 1; i <= 300; ++i)
            lines += QStringLiteral("%1 28456,78 5601,20\n").arg(i);
        setText(*area, lines);
        frame->resize(447, 320);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        area->setFocus();
        area->SetCaret(150, 9);
        area->SendScintilla(QsciScintillaBase::SCI_SETFIRSTVISIBLELINE, 140);
        const auto kept = [this] {
            return area->CaretLine() == 150 && area->CaretColumn() == 9
                && area->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE) == 140;
        };
        fill(QStringLiteral(","), QStringLiteral("."), QString());
        dialog->ZamienWszystkoClick();
        QVERIFY(!editortest::text(*area).contains(u','));
        QVERIFY(kept());
        QTest::keyClick(area, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editortest::text(*area), lines);
        QVERIFY(kept());
        QVERIFY(!area->Modified()); // back to the text as loaded
        area->redo();
        QVERIFY(!editortest::text(*area).contains(u','));
        QVERIFY(kept());
        QVERIFY(area->Modified());
    }

    void escapeHidesTheDialog()
    {
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(dialog->Edit1, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
    }

    void zamienGoesHitByHit()
    {
        setText(*area, QStringLiteral("x,1 x,2 X,3"));
        area->SetCaretPosition(0);
        fill(QStringLiteral("x,"), QStringLiteral("y;"), QStringLiteral("cs"));
        dialog->ZamienClick(); // the first click selects the first hit
        QCOMPARE(area->selectedText(), QStringLiteral("x,"));
        QCOMPARE(editortest::text(*area), QStringLiteral("x,1 x,2 X,3"));
        dialog->ZamienClick(); // replaces it and selects the next
        QCOMPARE(editortest::text(*area), QStringLiteral("y;1 x,2 X,3"));
        QCOMPARE(area->SelectionStartPosition(), 4L);
        dialog->ZamienClick(); // the last: "X," is not a hit with match case
        QCOMPARE(editortest::text(*area), QStringLiteral("y;1 y;2 X,3"));
        QCOMPARE(platform->Messages(), std::vector<std::string> { "Tekstu nie znaleziono." });
    }

    void ctrlGGoesToTheLine()
    {
        QString text;
        for (int i = 1; i <= 500; ++i)
            text += QStringLiteral("wiersz %1\n").arg(i);
        setText(*area, text);
        frame->resize(400, 300);
        frame->show();
        area->SetCaretPosition(0);
        frame->GoToLine(420);
        QCOMPARE(area->CaretLine(), 420);
        QCOMPARE(area->CaretColumn(), 1);
        const long first = area->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
        const long shown = area->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
        QVERIFY2(first <= 419 && 419 < first + shown, "line 420 is in view");
        frame->GoToLine(9999); // past the end: the last line
        QCOMPARE(area->CaretLine(), area->LineCount());
        frame->GoToLine(0);
        QCOMPARE(area->CaretLine(), 1);
    }

    void modifiedMarkFollowsTheFlag()
    {
        auto* mark = frame->findChild<QLabel*>(QStringLiteral("Zmieniony"));
        QVERIFY(mark);
        QCOMPARE(mark->text(), QStringLiteral("zmieniony"));
        frame->show();
        frame->LoadText("abc");
        QVERIFY(!mark->isVisible());
        typeText(area, QStringLiteral("x"));
        QVERIFY(mark->isVisible());
        frame->ToolbarButton974Click(); // "Wyczyść" clears the flag
        QVERIFY(!mark->isVisible());
        area->undo(); // the text differs from the file again
        QVERIFY(mark->isVisible());
        QVERIFY(frame->window()->windowTitle().indexOf(QStringLiteral("zmieniony")) < 0);
    }
};

QTEST_MAIN(tst_Zamien)
#include "tst_Zamien.moc"
