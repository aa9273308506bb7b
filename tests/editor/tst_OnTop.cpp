// Under a real window manager (openbox in Xvfb, see under-openbox.sh): with the search dialog
// open, which stays on top, every message box, question and file dialog comes up above it,
// owned by the window it concerns and with the keyboard focus, so that Esc typed on the real
// keyboard reaches the box that is seen.
#include "EditorTestSupport.h"
#include "Platform.h"
#include "QtPlatform.h"
#include "QtStartup.h"
#include "Szukaj.h"
#include "XDesktop.h"
#include "Zamien.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>

#include <functional>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;
using namespace xdesktop;

namespace {

// What the window manager showed of the box the program opened.
struct Seen
{
    bool opened = false;
    bool aboveSearch = false; // later than the search dialog in the stacking order
    bool onTop = false; // the topmost window
    bool focused = false; // the active window
    WId owner = 0; // WM_TRANSIENT_FOR
    bool closedByEsc = false;
};

} // namespace

class tst_OnTop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void boxesComeUpAboveTheSearchDialog_data();
    void boxesComeUpAboveTheSearchDialog();

private:
    // Runs `open` (which shows a box and returns when it is answered) and looks at the box
    // from inside its event loop, then presses Esc on the real keyboard.
    Seen look(const std::function<void()>& open);

    QTemporaryDir dir_;
    QtPlatform platform_;
    std::unique_ptr<ScopedPlatform> scope_;
    QDialog* main_ = nullptr;
    QPointer<TEdytorF> editor_;
    TForm_Szukaj* search_ = nullptr;
    QString path_;
};

void tst_OnTop::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server with openbox (under-openbox.sh)");
    QVERIFY2(windowManagerUp(), "no window manager came up");
    StartWindowedApplication(); // the title, Qt's Polish texts, the fonts
    scope_ = std::make_unique<ScopedPlatform>(platform_);
    main_ = new QDialog;
    main_->setWindowTitle(QStringLiteral("Transformacja"));
    main_->resize(712, 427);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_));

    path_ = dir_.filePath(QStringLiteral("Raport.txt"));
    writeBytes(path_, "1 dl 2\r\n3 dl 4\r\n");
    editor_ = new TEdytorF(main_);
    editor_->OpenFile(path_);
    QVERIFY(QTest::qWaitForWindowExposed(editor_));
    editor_->Frame()->ToolbarButton9712Click();
    search_ = editor_->Frame()->SearchDialog();
    QVERIFY(search_);
    QVERIFY(QTest::qWaitForWindowExposed(search_));
    search_->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("brak"));
}

void tst_OnTop::cleanupTestCase()
{
    delete main_; // with the editor and its search dialog
    scope_.reset();
}

Seen tst_OnTop::look(const std::function<void()>& open)
{
    Seen seen;
    const auto placed = [this, &seen](QWidget& box) {
        const QList<qulonglong> order = stacking();
        const qsizetype mine = order.indexOf(box.winId());
        seen.opened = mine >= 0;
        seen.aboveSearch = mine > order.indexOf(search_->winId());
        seen.onTop = !order.isEmpty() && order.constLast() == box.winId();
        seen.focused = activeWindow() == box.winId();
        return seen.onTop && seen.focused;
    };
    withNextDialog(
        open,
        [&seen](QWidget& box) {
            const QList<qulonglong> owner
                = numbersOf(QStringLiteral("WM_TRANSIENT_FOR"), box.winId());
            seen.owner = owner.isEmpty() ? 0 : owner.constFirst();
            // VORIDA_ZRZUTY=DIR: the screen with the close question, for the docs.
            const QString shots = qEnvironmentVariable("VORIDA_ZRZUTY");
            if (!shots.isEmpty()
                && QLatin1String(QTest::currentDataTag()) == "the close question") {
                settle(box);
                run(QStringLiteral("import"),
                    { QStringLiteral("-window"), QStringLiteral("root"),
                        shots + QStringLiteral("/box-above-search.png") });
            }
            QPointer<QWidget> watched(&box);
            run(QStringLiteral("xdotool"), { QStringLiteral("key"), QStringLiteral("Escape") });
            seen.closedByEsc
                = QTest::qWaitFor([&] { return !watched || !watched->isVisible(); }, 3000);
        },
        placed);
    return seen;
}

void tst_OnTop::boxesComeUpAboveTheSearchDialog_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<bool>("ownedByMain"); // else by the editor (or the search dialog)
    QTest::newRow("Tekstu nie znaleziono.") << 0 << false;
    QTest::newRow("Koniec pliku. Szukać od początku?") << 1 << false;
    QTest::newRow("the close question") << 2 << false;
    QTest::newRow("the reload question") << 3 << false;
    QTest::newRow("the open dialog") << 4 << false;
    QTest::newRow("the run's closing message") << 5 << true;
    QTest::newRow("Zamieniono: 2.") << 6 << false;
    QTest::newRow("Przejdź do wiersza") << 7 << false;
}

void tst_OnTop::boxesComeUpAboveTheSearchDialog()
{
    QFETCH(int, which);
    QFETCH(bool, ownedByMain);
    TEdytorFrame* frame = editor_->Frame();
    TextArea* area = frame->Editor();
    QWidget* expected = editor_;
    std::function<void()> open;
    switch (which) {
    case 0: // from the search dialog, at the top of the text
    case 1: // from the search dialog, in the middle
        area->SetCaret(which == 0 ? 1 : 2, 1);
        search_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(search_));
        expected = search_;
        open = [this] { search_->FindNext(); };
        break;
    case 2: // Alt+F4 on an edited text; Esc is "Anuluj"
        area->SetModified(true);
        open = [this] { editor_->close(); };
        break;
    case 3: // another writer changes the file under an edited text; Esc is "Nie"
        area->SetModified(true);
        writeBytes(path_, "1 dl 2\r\n3 dl 4\r\n5 dl 6\r\n");
        open = [frame] { frame->CheckDisk(); };
        break;
    case 4:
        open = [frame] { frame->ToolbarButton975Click(); };
        break;
    case 5:
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_));
        expected = main_;
        open = [this] { // as the main window's run shows it
            const QtPlatform::DialogOwner owner(main_);
            CurrentPlatform().ShowMessage("OBLICZENIA ZAKOŃCZONE");
        };
        break;
    case 6: { // from the replace dialog, which stays on top as well
        frame->ShowReplace();
        TForm_Zamien* replace = frame->ReplaceDialog();
        QVERIFY(QTest::qWaitForWindowExposed(replace));
        replace->Edit1->setText(QStringLiteral("dl"));
        replace->Edit2->setText(QStringLiteral("dł"));
        replace->CheckBox2->setChecked(true);
        replace->ShowAgain();
        QVERIFY(QTest::qWaitForWindowActive(replace));
        // VORIDA_ZRZUTY=DIR: the screen with the replace dialog, for the docs.
        const QString shots = qEnvironmentVariable("VORIDA_ZRZUTY");
        if (!shots.isEmpty()) {
            settle(*replace);
            run(QStringLiteral("import"),
                { QStringLiteral("-window"), QStringLiteral("root"),
                    shots + QStringLiteral("/replace-dialog.png") });
        }
        expected = replace;
        open = [replace] { replace->ZamienWszystkoClick(); };
        break;
    }
    case 7: // Ctrl+G; Esc is "Anuluj"
        open = [frame] { frame->AskGoToLine(); };
        break;
    }
    QVERIFY(search_->isVisible());
    const Seen seen = look(open);
    QVERIFY(seen.opened);
    QVERIFY(seen.aboveSearch);
    QVERIFY(seen.onTop);
    QVERIFY(seen.focused);
    QCOMPARE(seen.owner, (ownedByMain ? main_ : expected)->winId());
    QVERIFY(seen.closedByEsc);
    QVERIFY(editor_); // Esc answered no question with "Tak"
    QVERIFY(search_->isVisible());
    area->SetModified(false);
}

QTEST_MAIN(tst_OnTop)
#include "tst_OnTop.moc"
