// The frame: tab expansion, the two pastes, the toolbar's selection modes, the text area's own
// keys (smart Tab and Backspace, trimming, undo of typing), the search dialog's creation and
// printing to PDF.
#include "EditorTestSupport.h"
#include "Printing.h"
#include "Szukaj.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QToolButton>

#include <memory>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;

namespace {

// Prints to a PDF file; the "dialog" records what it was offered and applies a scripted choice.
class PdfPrintService : public PrintService
{
public:
    QString file;
    QPrinter::PrintRange range = QPrinter::AllPages;
    int from = 0, to = 0, copies = 1;
    bool cancel = false;
    int offeredLastPage = -1;
    bool offeredSelection = false;
    QPageLayout::Orientation offeredOrientation = QPageLayout::Portrait;

    std::unique_ptr<QsciPrinter> CreatePrinter() override
    {
        auto printer = std::make_unique<QsciPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
        printer->setPageSize(QPageSize(QPageSize::A4));
        return printer;
    }
    bool ExecPrintDialog(QPrinter& printer, int lastPage, bool selectionOffered, QWidget*) override
    {
        offeredLastPage = lastPage;
        offeredSelection = selectionOffered;
        offeredOrientation = printer.pageLayout().orientation();
        printer.setPrintRange(range);
        printer.setFromTo(from, to);
        printer.setCopyCount(copies);
        return !cancel;
    }
};

int countPages(const QString& path)
{
    const QString pdf = QString::fromLatin1(readBytes(path));
    return static_cast<int>(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

} // namespace

class tst_TEdytorFrame : public QObject, EditorWindowFixture
{
    Q_OBJECT

    void typeKeys(const QString& keys) { QTest::keyClicks(area, keys); }

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    // The glyphs come from the library's resources, which a static link can lose.
    void toolbarGlyphsLoad()
    {
        const auto buttons = frame->findChildren<QToolButton*>();
        QCOMPARE(buttons.size(), 12);
        for (QToolButton* b : buttons)
            QVERIFY2(!b->icon().pixmap(16, 16).isNull(), qPrintable(b->objectName()));
        QCOMPARE(area->geometry().top(), 25);
    }

    void selectionModesAreOneRadioGroup()
    {
        auto* normal = frame->findChild<QToolButton*>("ToolbarButton971");
        auto* lines = frame->findChild<QToolButton*>("ToolbarButton972");
        auto* column = frame->findChild<QToolButton*>("ToolbarButton973");
        QVERIFY(normal->isChecked());
        column->click();
        QVERIFY(column->isChecked() && !normal->isChecked());
        QCOMPARE(area->GetSelectionMode(), TextArea::SelectionMode::Column);
        lines->click();
        QVERIFY(lines->isChecked() && !column->isChecked());
        QCOMPARE(area->GetSelectionMode(), TextArea::SelectionMode::Lines);
    }

    void expandTabs_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expanded");
        QTest::newRow("letter tab letter") << "a\tb"
                                           << "a       b";
        QTest::newRow("column 0") << "\tx"
                                  << "        x";
        QTest::newRow("column 7") << "1234567\tx"
                                  << "1234567 x";
        QTest::newRow("column 8") << "12345678\tx"
                                  << "12345678        x";
        QTest::newRow("two at column 0") << "\t\tx" << QString(16, ' ') + "x";
        QTest::newRow("last character") << "ab\t"
                                        << "ab      ";
        QTest::newRow("after Polish letters") << "łódź\tż"
                                              << "łódź    ż";
        QTest::newRow("no tabs") << "bez tabulacji"
                                 << "bez tabulacji";
    }

    void expandTabs()
    {
        QFETCH(QString, line);
        QFETCH(QString, expanded);
        setText(*area, line + "\n\tdruga");
        area->SetModified(true);
        frame->ExpandTabs();
        QCOMPARE(area->Line(0), expanded);
        QCOMPARE(area->Line(1), QString(8, ' ') + "druga");
        QVERIFY(area->Modified()); // left as it was
        area->undo(); // one step back to the tabs
        QCOMPARE(text(*area), line + "\n\tdruga");
        setText(*area, line);
        frame->ExpandTabs();
        QVERIFY(!area->Modified());
    }

    void ctrlVWithoutTabsCanBeUndone()
    {
        setText(*area, "abcd");
        area->SetCaret(1, 3);
        QApplication::clipboard()->setText("XY");
        QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(text(*area), QStringLiteral("abXYcd"));
        QCOMPARE(area->CaretColumn(), 3); // at the start of the pasted text
        QVERIFY(!area->hasSelectedText());
        QVERIFY(area->Modified());
        area->undo();
        QCOMPARE(text(*area), QStringLiteral("abcd"));
    }

    // Shift+Insert pastes as Ctrl+V does.
    void ctrlVWithTabsExpandsTheWholeText_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier);
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier);
    }
    void ctrlVWithTabsExpandsTheWholeText()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        setText(*area, "\tab|cd\nx\ty");
        area->SetCaret(1, 12); // after "\tab|", display column 11
        QApplication::clipboard()->setText("P\tQ");
        QTest::keyClick(area, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(text(*area), QStringLiteral("        ab|P    Qcd\nx       y"));
        QCOMPARE(area->CaretLine(), 1);
        QCOMPARE(area->CaretColumn(), 12);
        QVERIFY(area->Modified());
    }

    // The paste with its expansion is one undo step, and the typing before it stays undoable.
    void ctrlVWithTabsIsOneUndoStep()
    {
        setText(*area, "\tab\nx\ty");
        area->SetCaret(1, 11);
        typeText(area, "cd");
        QApplication::clipboard()->setText("P\tQ");
        QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(text(*area), QStringLiteral("        abcdP   Q\nx       y"));
        area->undo();
        QCOMPARE(text(*area), QStringLiteral("\tabcd\nx\ty"));
        QCOMPARE(area->CaretLine(), 1);
        QCOMPARE(area->CaretColumn(), 13); // where the paste went in
        area->undo();
        QCOMPARE(text(*area), QStringLiteral("\tab\nx\ty"));
    }

    void toolbarWklejRunsTheSameAction()
    {
        setText(*area, "ab");
        area->SetCaret(1, 2);
        QApplication::clipboard()->setText("\t");
        frame->findChild<QToolButton*>("ToolbarButton9710")->click();
        QCOMPARE(text(*area), QStringLiteral("a       b"));
        QCOMPARE(area->CaretColumn(), 2);
    }

    void tabAfterThePasteIsLeftAlone()
    {
        setText(*area, "ab\tcd");
        area->SetCaret(1, 2);
        QApplication::clipboard()->setText("XY");
        QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(text(*area), QStringLiteral("aXYb\tcd"));
        QVERIFY(area->isUndoAvailable());
    }

    void contextMenuPasteNeverExpands()
    {
        setText(*area, "ab");
        area->SetCaret(1, 2);
        QApplication::clipboard()->setText("P\tQ");
        QCOMPARE(frame->PopupMenu1->actions().size(), 4);
        QStringList captions;
        for (QAction* a : frame->PopupMenu1->actions())
            captions << a->text();
        QCOMPARE(captions, QStringList({ "Cofnij", "Wytnij", "Kopiuj", "Wklej" }));
        frame->PopupMenu1->actions().at(3)->trigger();
        QCOMPARE(text(*area), QStringLiteral("aP\tQb"));
        QCOMPARE(area->CaretColumn(), 10); // after the pasted text
        QVERIFY(area->Modified());
    }

    void ctrlVWithoutFocusPastesNothing()
    {
        setText(*area, "ab");
        QLineEdit elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        elsewhere.setFocus();
        QApplication::clipboard()->setText("XY");
        frame->wklejaj->trigger();
        QCOMPARE(text(*area), QStringLiteral("ab"));
        QVERIFY(!area->Modified());
    }

    void typingIsOneUndoStepAndTrimsTrailingBlanks()
    {
        setText(*area, "pkt   \nnastępna   ");
        area->SetCaret(1, 4);
        typeKeys("1");
        QCOMPARE(area->Line(1), QStringLiteral("następna   ")); // untouched line keeps them
        area->SetCaret(2, 1);
        typeKeys("abc");
        QCOMPARE(area->Line(0), QStringLiteral("pkt1")); // trimmed once the caret left it
        area->undo();
        QCOMPARE(area->Line(1), QStringLiteral("następna   "));
        QCOMPARE(area->Line(0), QStringLiteral("pkt1"));

        // A blank typed at the end vanishes from the text but the caret keeps its column.
        area->SetCaret(1, 5);
        typeKeys(" x");
        QCOMPARE(area->Line(0), QStringLiteral("pkt1 x"));
    }

    void smartTabAndBackspace()
    {
        setText(*area, "1001    5712345.12  6543210.98\n");
        area->SetCaret(2, 1);
        QTest::keyClick(area, Qt::Key_Tab);
        QCOMPARE(area->CaretColumn(), 9); // below "5712345.12"
        QTest::keyClick(area, Qt::Key_Tab);
        QCOMPARE(area->CaretColumn(), 21);
        QTest::keyClick(area, Qt::Key_Tab); // no word further right: next tab stop
        QCOMPARE(area->CaretColumn(), 25);
        typeKeys("x");
        QCOMPARE(area->Line(1), QString(24, ' ') + "x");
        QVERIFY(!area->Line(1).contains('\t'));

        setText(*area, "    wcięcie\n        głębiej\n        ");
        area->SetCaret(3, 9);
        QTest::keyClick(area, Qt::Key_Backspace);
        QCOMPARE(area->CaretColumn(), 5);
        QTest::keyClick(area, Qt::Key_Backspace);
        QCOMPARE(area->CaretColumn(), 1);
    }

    void columnModeSticksAfterShiftArrows()
    {
        setText(*area, "abcd\nefgh\nijkl");
        frame->findChild<QToolButton*>("ToolbarButton973")->click();
        area->SetCaret(1, 2);
        QTest::keyClick(area, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(area, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(area, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(area->selectedText(), QStringLiteral("bc\nfg\n"));
        QCOMPARE(area->GetSelectionMode(), TextArea::SelectionMode::Column);
    }

    // Whole-lines mode: lines 2-3 of L1..L4 selected from the keyboard, then an action.
    void wholeLinesClipboard_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("cut") << "cut"
                             << "L1\nL4"
                             << "L2\nL3\n";
        QTest::newRow("Ctrl+X") << "ctrl+x"
                                << "L1\nL4"
                                << "L2\nL3\n";
        QTest::newRow("cut to the end") << "cut 3-4"
                                        << "L1\nL2"
                                        << "L3\nL4\n";
        QTest::newRow("copy, Ctrl+V on line 4") << "copy, ctrl+v"
                                                << "L1\nL2\nL3\nL2\nL3\nL4"
                                                << "L2\nL3\n";
        QTest::newRow("Ctrl+C, menu paste on line 4") << "ctrl+c, menu"
                                                      << "L1\nL2\nL3\nL2\nL3\nL4"
                                                      << "L2\nL3\n";
        QTest::newRow("Shift+Insert of a part line, as Ctrl+V") << "shift+insert"
                                                                << "L1\nX       Y\nL2\nL3\nL4"
                                                                << "X\tY";
        QTest::newRow("Ctrl+V of a part line with a tab") << "ctrl+v"
                                                          << "L1\nX       Y\nL4"
                                                          << "X\tY";
    }

    void wholeLinesClipboard()
    {
        QFETCH(QString, action);
        QFETCH(QString, result);
        QFETCH(QString, clipboard);
        setText(*area, "L1\nL2\nL3\nL4");
        frame->findChild<QToolButton*>("ToolbarButton972")->click();
        area->SetCaret(action == "cut 3-4" ? 3 : 2, 2);
        QTest::keyClick(area, Qt::Key_Down, Qt::ShiftModifier);
        if (action.endsWith("insert") || action == "ctrl+v")
            QApplication::clipboard()->setText(clipboard);
        if (action.startsWith("cut"))
            frame->findChild<QToolButton*>("ToolbarButton979")->click();
        else if (action == "ctrl+x")
            QTest::keyClick(area, Qt::Key_X, Qt::ControlModifier);
        else if (action.startsWith("copy"))
            frame->findChild<QToolButton*>("ToolbarButton978")->click();
        else if (action.startsWith("ctrl+c"))
            QTest::keyClick(area, Qt::Key_C, Qt::ControlModifier);
        if (action.contains(", ")) {
            area->SetCaret(4, 2);
            const bool menu = action.endsWith("menu");
            if (menu)
                frame->PopupMenu1->actions().at(3)->trigger();
            else
                QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
            // Ctrl+V: at the start of the pasted lines; the menu: after them.
            QCOMPARE(area->CaretLine(), menu ? 6 : 4);
            QCOMPARE(area->CaretColumn(), 1);
        } else if (action == "shift+insert") {
            area->SetCaret(2, 2);
            QTest::keyClick(area, Qt::Key_Insert, Qt::ShiftModifier);
        } else if (action == "ctrl+v") {
            QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier); // replaces lines 2-3
        }
        QCOMPARE(text(*area), result);
        QCOMPARE(QApplication::clipboard()->text(), clipboard);
        QVERIFY(area->Modified());
    }

    // A plain click in whole-lines mode leaves the caret where it was clicked, also beyond the
    // end of the line, with nothing selected.
    void wholeLinesClickKeepsTheColumn()
    {
        setText(*area, "pierwsza\ndruga linia\ntrzecia");
        frame->findChild<QToolButton*>("ToolbarButton972")->click();
        const long position = area->PositionAt(1, 4);
        const int x = static_cast<int>(
            area->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position));
        const int y = static_cast<int>(
            area->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, position));
        const int width = static_cast<int>(area->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH,
            static_cast<unsigned long>(QsciScintillaBase::STYLE_DEFAULT), "x"));
        for (const auto& [column, dx] : { std::pair { 5, 1 }, std::pair { 16, 12 * width + 1 } }) {
            QTest::mouseClick(area->viewport(), Qt::LeftButton, {}, QPoint(x + dx, y + 3));
            QCOMPARE(area->CaretLine(), 2);
            QCOMPARE(area->CaretColumn(), column);
            QVERIFY(!area->hasSelectedText());
            QTest::qWait(QApplication::doubleClickInterval() + 50);
        }
    }

    void szukajTwiceGivesOneDialog()
    {
        QVERIFY(!frame->SearchDialog());
        frame->findChild<QToolButton*>("ToolbarButton9712")->click();
        TForm_Szukaj* first = frame->SearchDialog();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->TargetEditor, area);
        first->findChild<QLineEdit*>("Edit1")->setText("abc");
        first->hide();
        frame->findChild<QToolButton*>("ToolbarButton9712")->click();
        QCOMPARE(frame->SearchDialog(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->findChild<QLineEdit*>("Edit1")->selectedText(), QStringLiteral("abc"));
        QCOMPARE(window->findChildren<TForm_Szukaj*>().size(), 1);
    }

    void printing()
    {
        QTemporaryDir dir;
        PdfPrintService service;
        PrintService::Install(&service);
        QString lines;
        for (int i = 1; i <= 300; ++i)
            lines += QStringLiteral("%1 5712345.12 6543210.98 żółw\n").arg(i);
        setText(*area, lines);

        service.file = dir.filePath("all.pdf");
        frame->ToolbarButton977Click();
        QVERIFY(!service.offeredSelection);
        const int pages = service.offeredLastPage;
        QVERIFY(pages > 3);
        QCOMPARE(countPages(service.file), pages);

        service.file = dir.filePath("range.pdf");
        service.range = QPrinter::PageRange;
        service.from = 2;
        service.to = 3;
        service.copies = 2;
        frame->ToolbarButton977Click();
        QCOMPARE(countPages(service.file), 4); // pages 2-3, each copy in full

        // The selection: offered only now, printed from page 1 as a document of its own.
        area->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL,
            area->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, 5UL));
        service.file = dir.filePath("selection.pdf");
        service.range = QPrinter::Selection;
        service.copies = 1;
        frame->ToolbarButton977Click();
        QVERIFY(service.offeredSelection);
        QCOMPARE(countPages(service.file), 1);

        service.file = dir.filePath("cancelled.pdf");
        service.cancel = true;
        frame->ToolbarButton977Click();
        QVERIFY(!QFile::exists(service.file));
        QVERIFY(platform->Log.empty());
        QCOMPARE(area->LineCount(), 301);
        PrintService::Install(nullptr);
    }

    // The page's width holds what the layout wraps at: a line of ColumnsPerLine characters
    // stays one line, one character more wraps (more pages for the same number of lines).
    void columnsPerLineIsWhereThePrintoutWraps()
    {
        PdfPrintService service;
        QTemporaryDir dir;
        service.file = dir.filePath("x.pdf");
        std::unique_ptr<QsciPrinter> printer = service.CreatePrinter();
        PreparePrinter(*printer);
        const int columns = ColumnsPerLine(*area, *printer);
        QVERIFY2(columns >= 80 && columns < 88, qPrintable(QString::number(columns)));
        const auto pagesOf = [&](int width) {
            setText(*area, (QString(width, 'x') + "\n").repeated(200));
            return CountPages(*area, *printer);
        };
        QCOMPARE(pagesOf(columns), pagesOf(10));
        QVERIFY(pagesOf(columns + 1) > pagesOf(10));
    }

    void wideTextStartsInLandscape_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("80 columns") << QString(80, 'x') << false;
        QTest::newRow("a report row of 88") << "a\n" + QString(88, 'x') + "\nb" << true;
        QTest::newRow("11 tabs: 88 columns") << QString(11, '\t') << true;
        QTest::newRow("80 Polish letters") << QString(80, u'ż') << false;
    }

    void wideTextStartsInLandscape()
    {
        QFETCH(QString, text);
        QFETCH(bool, landscape);
        QTemporaryDir dir;
        PdfPrintService service;
        service.file = dir.filePath("x.pdf");
        service.cancel = true;
        PrintService::Install(&service);
        setText(*area, text);
        frame->ToolbarButton977Click();
        PrintService::Install(nullptr);
        QCOMPARE(
            service.offeredOrientation, landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    }

    // The keys every editor has, pressed in the text area of the active window.
    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("effect");
        QTest::newRow("Ctrl+S saves") << int(Qt::Key_S) << int(Qt::ControlModifier) << "saved";
        QTest::newRow("Ctrl+O opens") << int(Qt::Key_O) << int(Qt::ControlModifier) << "open";
        QTest::newRow("Ctrl+F searches") << int(Qt::Key_F) << int(Qt::ControlModifier) << "dialog";
        QTest::newRow("Ctrl+P prints") << int(Qt::Key_P) << int(Qt::ControlModifier) << "print";
        QTest::newRow("F3 finds the next") << int(Qt::Key_F3) << 0 << "line 3";
        QTest::newRow("Shift+F3 the previous")
            << int(Qt::Key_F3) << int(Qt::ShiftModifier) << "line 1";
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, effect);
        QTemporaryDir dir;
        const QString file = dir.filePath("xy_LOK");
        writeBytes(file, "abc\r\nx\r\nabc\r\n");
        window->OpenFile(file);
        PdfPrintService service;
        service.file = dir.filePath("x.pdf");
        service.cancel = true;
        PrintService::Install(&service);
        frame->ToolbarButton9712Click();
        frame->SearchDialog()->findChild<QLineEdit*>("Edit1")->setText("abc");
        frame->SearchDialog()->hide();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        area->setFocus();
        area->SetCaret(2, 1);
        QTest::keyClicks(area, "Q");

        QTest::keyClick(area, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
        PrintService::Install(nullptr);
        if (effect == "saved")
            QCOMPARE(readBytes(file), QByteArray("abc\r\nQx\r\nabc\r\n"));
        else
            QCOMPARE(readBytes(file), QByteArray("abc\r\nx\r\nabc\r\n"));
        QCOMPARE(kinds(*platform), effect == "open" ? QStringList({ "open" }) : QStringList());
        QCOMPARE(frame->SearchDialog()->isVisible(), effect == "dialog");
        QCOMPARE(service.offeredLastPage != -1, effect == "print");
        if (effect.startsWith("line")) {
            QCOMPARE(area->selectedText(), QStringLiteral("abc"));
            QCOMPARE(QStringLiteral("line %1").arg(area->CaretLine()), effect);
        }
    }

    void noPrinterIsReported()
    {
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            QSKIP("a printer is installed here");
        setText(*area, "tekst");
        frame->ToolbarButton977Click();
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        QCOMPARE(lastText(*platform), QStringLiteral("Nie zainstalowano żadnej drukarki."));
        QCOMPARE(text(*area), QStringLiteral("tekst"));
    }
};

QTEST_MAIN(tst_TEdytorFrame)
#include "tst_TEdytorFrame.moc"
