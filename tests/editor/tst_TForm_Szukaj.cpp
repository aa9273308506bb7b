// The search dialog: FindNext in both directions, the edge rule, the wrap question answered
// either way, options, and the dialog's own layout.
#include "EditorTestSupport.h"
#include "Szukaj.h"
#include "UEdytorFrame.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <memory>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;

namespace {

const char* const kNotFound = "Tekstu nie znaleziono.";
const char* const kWrap = "Koniec pliku. Szukać od początku?";

} // namespace

class tst_TForm_Szukaj : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordingPlatform> platform;
    std::unique_ptr<ScopedPlatform> scope;
    std::unique_ptr<TEdytorFrame> frame;
    TForm_Szukaj* dialog = nullptr;
    TextArea* area = nullptr;

    void search(const QString& what, bool down)
    {
        dialog->findChild<QLineEdit*>("Edit1")->setText(what);
        dialog->SetKierunekItemIndex(down ? 1 : 0);
        dialog->FindNext();
    }

    // Line and column (from 1) where each of `times` searches down for `what` selects its hit.
    QList<QPoint> hits(const QString& what, int times)
    {
        QList<QPoint> out;
        for (int i = 0; i < times; ++i) {
            search(what, true);
            const long hitStart = area->SelectionStartPosition();
            out << QPoint(area->LineOf(hitStart) + 1, area->ColumnOf(hitStart) + 1);
        }
        return out;
    }

private slots:
    void init()
    {
        platform = std::make_unique<RecordingPlatform>();
        scope = std::make_unique<ScopedPlatform>(*platform);
        frame = std::make_unique<TEdytorFrame>();
        area = frame->Editor();
        setText(*area, QStringLiteral("alfa beta\ngamma ŁÓDŹ delta\nepsilon łódź alfabet\nomega"));
        frame->ToolbarButton9712Click();
        dialog = frame->SearchDialog();
        QVERIFY(dialog);
    }

    void cleanup()
    {
        frame.reset();
        scope.reset();
        platform.reset();
    }

    void tabOrderAndWindow()
    {
        QVERIFY(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->findChild<QPushButton*>("Button1")->autoDefault());
        QStringList order;
        QWidget* w = dialog->findChild<QWidget*>("Edit1");
        for (int i = 0; i < 7; ++i, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order,
            QStringList({ "Edit1", "Button1", "Button2", "CheckBox1", "CheckBox2", "CheckBox3",
                "DoGory" }));
    }

    void atTheStartGoingDownNotFoundAtOnce()
    {
        area->SetCaret(1, 1);
        search("brak", true);
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        QCOMPARE(lastText(*platform), QString::fromUtf8(kNotFound));
    }

    void atTheEndGoingUpNotFoundAtOnce()
    {
        area->SetCaret(4, 6);
        search("brak", false);
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
    }

    void emptyTextNotFoundAtOnceBothWays()
    {
        area->ClearAll();
        search("alfa", true);
        search("alfa", false);
        QCOMPARE(kinds(*platform), QStringList({ "message", "message" }));
    }

    void wrapDownAnsweredOk()
    {
        area->SetCaret(3, 1);
        platform->Answers = { Answer::Ok };
        search("beta", true);
        QCOMPARE(kinds(*platform), QStringList({ "okcancel" }));
        QCOMPARE(platform->Log[0].Text, std::string(kWrap));
        QCOMPARE(platform->Log[0].Caption, std::string("TELLAR Edytor"));
        QCOMPARE(area->selectedText(), QStringLiteral("beta"));
        QCOMPARE(area->CaretLine(), 1);
        QCOMPARE(area->CaretColumn(), 10); // after the hit going down
    }

    void wrapDownAnsweredCancel()
    {
        area->SetCaret(3, 3);
        platform->Answers = { Answer::Cancel };
        search("beta", true);
        QCOMPARE(kinds(*platform), QStringList({ "okcancel" }));
        QVERIFY(!area->hasSelectedText());
        QCOMPARE(area->CaretLine(), 3);
        QCOMPARE(area->CaretColumn(), 3);
    }

    void wrapUpFindsTheLastLine()
    {
        area->SetCaret(2, 1);
        platform->Answers = { Answer::Ok };
        search("OMEGA", false);
        QCOMPARE(kinds(*platform), QStringList({ "okcancel" }));
        QCOMPARE(area->selectedText(), QStringLiteral("omega"));
        QCOMPARE(area->CaretLine(), 4);
        QCOMPARE(area->CaretColumn(), 1); // at the start of the hit going up
    }

    void emptyFieldNeverFinds()
    {
        area->SetCaret(1, 1);
        search("", true);
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        platform->Log.clear();
        area->SetCaret(2, 2);
        platform->Answers = { Answer::Ok };
        search("", true);
        QCOMPARE(kinds(*platform), QStringList({ "okcancel", "message" }));
        QCOMPARE(lastText(*platform), QString::fromUtf8(kNotFound));
    }

    // Polish capitals fold too; repeated searches step through the hits in both directions.
    void polishCaseAndRepeatedSearches()
    {
        area->SetCaret(1, 1);
        search(QStringLiteral("łódź"), true);
        QCOMPARE(area->selectedText(), QStringLiteral("ŁÓDŹ"));
        QCOMPARE(area->CaretLine(), 2);
        dialog->FindNext();
        QCOMPARE(area->selectedText(), QStringLiteral("łódź"));
        QCOMPARE(area->CaretLine(), 3);

        area->SetCaret(4, 6);
        search(QStringLiteral("ŁÓDŹ"), false);
        QCOMPARE(area->CaretLine(), 3);
        dialog->FindNext();
        QCOMPARE(area->CaretLine(), 2);
        QVERIFY(platform->Log.empty());

        dialog->findChild<QCheckBox*>("CheckBox1")->setChecked(true);
        area->SetCaret(1, 1);
        search(QStringLiteral("łódź"), true);
        QCOMPARE(area->CaretLine(), 3);
    }

    // A search reads the text in windows from the caret outward (the first 64 KiB, then
    // doubling): in a text of several windows it finds exactly the hit that a search of the
    // whole text finds, from carets on both sides of the window edges, with every option, for
    // hits that cross an edge, multi-byte letters, a letter outside the BMP, and whole words
    // bounded across an edge.
    void windowedSearchFindsWhatTheWholeTextHolds()
    {
        const QStringList pieces = { "a", "b", "ł", "Ł", "ó", " ", "\n", "_", "𝒜", "żółw" };
        QString text;
        quint32 seed = 7;
        while (text.size() < 150000) {
            seed = seed * 1103515245U + 12345U;
            const quint32 pick = (seed >> 16) % 200U;
            text += pieces[pick < 190U ? int(pick % 9U) : 9]; // "żółw" now and then
        }
        const QByteArray utf8 = text.toUtf8();
        area->LoadBytes(utf8.toStdString());
        QCOMPARE(QByteArray(area->Utf8().data(), qsizetype(area->Utf8().size())), utf8);
        QList<long> carets = { 0, long(utf8.size()) };
        for (long edge : { 1L << 16, 3L << 16, 7L << 16 })
            for (long off = -9; off <= 9; off += 3)
                carets << edge + off;
        for (long p = 1000; p < utf8.size(); p += 23017)
            carets << p;
        for (long& p : carets) // on a character's start
            while (p < utf8.size() && (uchar(utf8.at(p)) & 0xC0U) == 0x80U)
                ++p;
        for (const QString& needle : { QStringLiteral("żółw"), QStringLiteral("ŁÓ"),
                 QStringLiteral("b_"), QStringLiteral("𝒜a"), QStringLiteral("ab ł") }) {
            for (int flags = 0; flags < 8; ++flags) {
                TextArea::SearchOptions options;
                options.MatchCase = flags & 1;
                options.WholeWords = flags & 2;
                options.Backwards = flags & 4;
                for (long caret : carets) {
                    const qsizetype caretOffset = QString::fromUtf8(utf8.left(caret)).size();
                    const qsizetype hit = options.Backwards
                        ? FindInText(text, needle, 0, caretOffset, options)
                        : FindInText(text, needle, caretOffset, text.size(), options);
                    area->SetCaretPosition(caret);
                    const int found = area->Find(needle, options);
                    const QString where
                        = QString("%1 flags %2 caret %3").arg(needle).arg(flags).arg(caret);
                    QVERIFY2(found == (hit >= 0 ? 1 : 0), qPrintable(where));
                    if (hit < 0)
                        continue;
                    QVERIFY2(area->SelectionStartPosition() == text.left(hit).toUtf8().size(),
                        qPrintable(where));
                    QVERIFY2(area->selectedText().compare(needle, Qt::CaseInsensitive) == 0,
                        qPrintable(where));
                }
            }
        }
    }

    void wholeWordsOnly()
    {
        dialog->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
        area->SetCaret(1, 2);
        platform->Answers = { Answer::Ok };
        search("alfa", true); // "alfabet" is no whole word; wraps to line 1
        QCOMPARE(kinds(*platform), QStringList({ "okcancel" }));
        QCOMPARE(area->CaretLine(), 1);
        QCOMPARE(area->selectedText(), QStringLiteral("alfa"));
    }

    void selectedTextOnly()
    {
        dialog->findChild<QCheckBox*>("CheckBox3")->setChecked(true);
        area->SendScintilla(QsciScintillaBase::SCI_SETSEL, 10UL, 30L); // line 2
        search("alfa", true);
        QCOMPARE(kinds(*platform), QStringList({ "okcancel" })); // nothing inside
        area->SendScintilla(QsciScintillaBase::SCI_SETSEL, 10UL, 30L);
        platform->Log.clear();
        search("delta", true);
        QVERIFY(platform->Log.empty());
        QCOMPARE(area->selectedText(), QStringLiteral("delta"));
    }

    // The search runs in normal mode: whole-lines mode must not widen a hit to its line, or
    // the next search would skip the rest of that line.
    void wholeLinesModeFindsEveryHitOfALine()
    {
        area->SetSelectionMode(TextArea::SelectionMode::Lines);
        area->SetCaret(1, 1);
        QCOMPARE(hits("a", 4), QList<QPoint>({ { 1, 1 }, { 1, 4 }, { 1, 9 }, { 2, 2 } }));
        QCOMPARE(area->selectedText(), QStringLiteral("a"));
        QCOMPARE(area->GetSelectionMode(), TextArea::SelectionMode::Lines);
    }

    // "Tylko zaznaczenie" keeps the selection searched (line 2) and steps through its hits,
    // starts again inside it after OK, and lets it go when the user moves the caret.
    void selectedTextOnlyStepsThroughTheSelection()
    {
        dialog->findChild<QCheckBox*>("CheckBox3")->setChecked(true);
        area->SendScintilla(QsciScintillaBase::SCI_SETSEL, 10UL, 30L); // line 2
        platform->Answers = { Answer::Ok };
        QCOMPARE(hits("a", 4), QList<QPoint>({ { 2, 2 }, { 2, 5 }, { 2, 16 }, { 2, 2 } }));
        QCOMPARE(kinds(*platform), QStringList({ "okcancel" }));
        area->SetCaret(1, 1);
        QCOMPARE(hits("a", 1), QList<QPoint>({ { 1, 1 } }));
    }

    void enterInTheFieldSearches()
    {
        area->SetCaret(1, 1);
        auto* edit = dialog->findChild<QLineEdit*>("Edit1");
        edit->setText("omega");
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(area->selectedText(), QStringLiteral("omega"));
        QCOMPARE(edit->text(), QStringLiteral("omega"));
    }

    void selectionModeRestored()
    {
        area->SetSelectionMode(TextArea::SelectionMode::Column);
        area->SetCaret(1, 1);
        search("delta", true);
        QCOMPARE(area->GetSelectionMode(), TextArea::SelectionMode::Column);
        QVERIFY(area->selectedText().startsWith(QStringLiteral("delta"))); // a one-line block
        area->SetSelectionMode(TextArea::SelectionMode::Lines);
        area->SetCaret(1, 1);
        search("epsilon", true);
        QCOMPARE(area->GetSelectionMode(), TextArea::SelectionMode::Lines);
    }

    void cancelHidesAndSzukajShowsTheSameDialog()
    {
        auto* edit = dialog->findChild<QLineEdit*>("Edit1");
        edit->setText("gamma");
        dialog->findChild<QCheckBox*>("CheckBox2")->setChecked(true);
        dialog->findChild<QPushButton*>("Button2")->click();
        QVERIFY(!dialog->isVisible());
        frame->ToolbarButton9712Click();
        QCOMPARE(frame->SearchDialog(), dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(edit->text(), QStringLiteral("gamma"));
        QCOMPARE(edit->selectedText(), QStringLiteral("gamma"));
        QVERIFY(dialog->findChild<QCheckBox*>("CheckBox2")->isChecked());
    }

    // The dialog stays on top: put over the hit it selects, it moves off it (below the hit, or
    // above it near the bottom of the screen), and stays on the screen.
    void dialogMovesOffTheHit_data()
    {
        QTest::addColumn<int>("windowTop");
        QTest::newRow("room below") << 40;
        QTest::newRow("room above only") << 0; // the window at the screen's bottom
    }

    void dialogMovesOffTheHit()
    {
        QFETCH(int, windowTop);
        QString text;
        for (int i = 1; i <= 60; ++i)
            text += (i == 17 ? QStringLiteral("tu jest cel\n") : QStringLiteral("wiersz\n"));
        setText(*area, text);
        const QRect room = frame->screen()->availableGeometry();
        frame->resize(447, 320);
        frame->move(room.left() + 100,
            windowTop > 0 ? room.top() + windowTop : room.bottom() - frame->height() + 1);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        // The hit's place on the screen, taken from where a first search selects it.
        search("cel", true);
        const QPoint hitAt = area->viewport()->mapToGlobal(
            QPoint(static_cast<int>(area->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION,
                       0UL, area->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART))),
                static_cast<int>(area->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL,
                    area->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART)))));
        const QRect hit(hitAt, QSize(20, 10));
        dialog->move(hit.topLeft() - QPoint(30, 40));
        QVERIFY(dialog->frameGeometry().intersects(hit));
        area->SetCaret(1, 1);
        search("cel", true);
        QCOMPARE(area->selectedText(), QStringLiteral("cel"));
        QVERIFY(!dialog->frameGeometry().intersects(hit));
        QVERIFY(room.contains(dialog->frameGeometry()));
        QCOMPARE(dialog->y() > hit.y(), windowTop > 0);
    }

    void destroyedWithTheFrame()
    {
        QPointer<TForm_Szukaj> watched(dialog);
        frame.reset();
        QVERIFY(watched.isNull());
    }
};

QTEST_MAIN(tst_TForm_Szukaj)
#include "tst_TForm_Szukaj.moc"
