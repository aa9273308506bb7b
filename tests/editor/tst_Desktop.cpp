// The editors on a real desktop (openbox in Xvfb at 1280 x 1024, see under-openbox.sh), with
// the main window where the window manager put it: what the window manager made of the
// windows, read from the X server, not what the program asked for.
#include "EditorTestSupport.h"
#include "Printing.h"
#include "PrzyciskLok.h"
#include "QtPlatform.h"
#include "QtStartup.h"
#include "Szukaj.h"
#include "UTransPKTF.h"
#include "UTransPkt.h"
#include "XDesktop.h"
#include "ui_UTransPKTF.h"

#include <QApplication>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;
using namespace xdesktop;

namespace {

// The real message boxes and dialogs, on files in a scratch folder.
class DesktopPlatform : public QtPlatform
{
public:
    std::string Folder;
    std::string ExecutableDirectory() override { return Folder; }
};

// Whether two frames stand in the same place, as far as a user can tell.
bool samePlace(const QRect& a, const QRect& b)
{
    return std::abs(a.left() - b.left()) < 10 && std::abs(a.top() - b.top()) < 10;
}

// VORIDA_ZRZUTY=DIR: `window` on the screen (its top `height` pixels, if given) into DIR/name,
// for the docs.
void screenshot(const char* name, const QWidget& window, int height = 0)
{
    const QString shots = qEnvironmentVariable("VORIDA_ZRZUTY");
    if (shots.isEmpty())
        return;
    settle(window);
    QRect area = realFrame(window);
    if (height > 0)
        area.setHeight(height);
    run(QStringLiteral("import"),
        { QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("-crop"),
            QStringLiteral("%1x%2+%3+%4")
                .arg(area.width())
                .arg(area.height())
                .arg(area.left())
                .arg(area.top()),
            shots + QLatin1Char('/') + QLatin1String(name) });
}

} // namespace

class tst_Desktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();
    void fileButtonsOpenEditorsApartWholeAndActive();
    void thirtyEditorsThirtyPlaces();
    void closeQuestionAboveEverySearchDialog();
    void printDialogStaysOnTheScreenWithItsOptions();
    void openDialogSpeaksPolish();

private:
    QList<TEdytorF*> editors() const { return main_->findChildren<TEdytorF*>(); }
    // A click on `button` and the editor it opened, once framed and active.
    TEdytorF* open(QAbstractButton* button, bool withMouse);

    QTemporaryDir dir_;
    DesktopPlatform platform_;
    std::unique_ptr<ScopedPlatform> scope_;
    std::unique_ptr<ui::TForm1> main_;
    QRect room_;
};

void tst_Desktop::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server with openbox (under-openbox.sh)");
    QVERIFY2(windowManagerUp(), "no window manager came up");
    StartWindowedApplication();
    InstallPolishTranslations(QStringLiteral(VORIDA_SAMPLE_BIN)); // ours, as beside the program
    for (const char* name : { "TRANSPKT.BIN", "xy_LOK", "xy2000" })
        QVERIFY(QFile::copy(QStringLiteral(VORIDA_SAMPLE_BIN "/") + QLatin1String(name),
            dir_.filePath(QLatin1String(name))));
    platform_.Folder = dir_.path().toStdString();
    scope_ = std::make_unique<ScopedPlatform>(platform_);
    main_ = std::make_unique<ui::TForm1>();
    main_->show(); // where openbox puts it
    QVERIFY(framedAndActive(*main_));
    room_ = main_->screen()->availableGeometry();
}

void tst_Desktop::cleanup()
{
    for (TEdytorF* editor : editors())
        editor->Frame()->Editor()->SetModified(false);
    qDeleteAll(editors());
}

void tst_Desktop::cleanupTestCase()
{
    main_.reset();
    scope_.reset();
}

TEdytorF* tst_Desktop::open(QAbstractButton* button, bool withMouse)
{
    const qsizetype before = editors().size();
    if (withMouse) {
        const QPoint at = button->mapToGlobal(button->rect().center());
        run(QStringLiteral("xdotool"),
            { QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                QStringLiteral("click"), QStringLiteral("1") });
    } else {
        button->click();
    }
    if (!QTest::qWaitFor([&] { return editors().size() > before; }, 15000))
        return nullptr;
    TEdytorF* editor = editors().constLast();
    return framedAndActive(*editor) ? editor : nullptr;
}

// xy_LOK, xy2000 and Raport.txt: three editors, each in a place of its own, whole on the screen
// and active once shown, its text with the keyboard.
void tst_Desktop::fileButtonsOpenEditorsApartWholeAndActive()
{
    Ui::TForm1& controls = main_->Controls();
    QList<QRect> frames;
    for (QAbstractButton* button :
        { controls.PrzyciskLok1, controls.PrzyciskLok3, controls.PrzyciskLok5 }) {
        TEdytorF* editor = open(button, true);
        QVERIFY2(editor, qPrintable(button->text()));
        const QRect frame = realFrame(*editor);
        QVERIFY2(room_.contains(frame), qPrintable(button->text()));
        for (const QRect& other : frames)
            QVERIFY2(!samePlace(frame, other), qPrintable(button->text()));
        frames << frame;
        QTRY_VERIFY(editor->Frame()->Editor()->hasFocus());
    }
}

void tst_Desktop::thirtyEditorsThirtyPlaces()
{
    QList<QRect> frames;
    for (int i = 0; i < 30; ++i) {
        TEdytorF* editor = open(main_->Controls().PrzyciskLok5, false);
        QVERIFY2(editor, qPrintable(QString::number(i)));
        frames << realFrame(*editor);
    }
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QVERIFY2(room_.contains(frames[i]), qPrintable(QString::number(i)));
        for (qsizetype j = 0; j < i; ++j)
            QVERIFY2(!samePlace(frames[i], frames[j]),
                qPrintable(QStringLiteral("%1 %2").arg(i).arg(j)));
    }
}

// Two edited texts, each with its search dialog open, which stays on top: "ZAMKNIJ PROGRAM"
// asks about the first above both dialogs, active, so that Esc typed on the keyboard answers
// it ("Anuluj": nothing closes).
void tst_Desktop::closeQuestionAboveEverySearchDialog()
{
    QList<TForm_Szukaj*> searches;
    for (int i = 0; i < 2; ++i) {
        TEdytorF* editor = open(main_->Controls().PrzyciskLok1, false);
        QVERIFY(editor);
        editor->Frame()->Editor()->insert(QStringLiteral("zmiana "));
        if (i == 0) // the toolbar with "zmieniony"
            screenshot("editor-zmieniony.png", *editor, 120);
        editor->Frame()->ToolbarButton9712Click();
        searches << editor->Frame()->SearchDialog();
        QVERIFY(framedAndActive(*searches.constLast()));
    }
    bool above = false, active = false, answered = false;
    const auto placed = [&](QWidget& box) {
        const QList<qulonglong> order = stacking();
        const qsizetype at = order.indexOf(box.winId());
        above = at >= 0;
        for (const TForm_Szukaj* search : searches)
            above = above && at > order.indexOf(search->winId());
        active = activeWindow() == box.winId();
        return above && active;
    };
    withNextDialog([this] { main_->Controls().BitBtn2->click(); }, // ZAMKNIJ PROGRAM
        [&](QWidget& box) {
            QPointer<QWidget> watched(&box);
            run(QStringLiteral("xdotool"), { QStringLiteral("key"), QStringLiteral("Escape") });
            answered = QTest::qWaitFor([&] { return !watched || !watched->isVisible(); }, 10000);
        },
        placed);
    QVERIFY(above);
    QVERIFY(active);
    QVERIFY(answered);
    QVERIFY(main_->isVisible());
    QCOMPARE(editors().size(), 2);
    for (const TForm_Szukaj* search : searches) // on top again
        QTRY_VERIFY(run(QStringLiteral("xprop"),
            { QStringLiteral("-id"), QString::number(search->winId()),
                QStringLiteral("_NET_WM_STATE") })
                        .contains(QLatin1String("_NET_WM_STATE_ABOVE")));
}

// The print dialog of the last editor (in the screen's bottom right corner), its options shown
// with "Opcje >>": whole on the screen, its buttons within reach.
void tst_Desktop::printDialogStaysOnTheScreenWithItsOptions()
{
    TEdytorF* editor = open(main_->Controls().PrzyciskLok1, false);
    QVERIFY(editor);
    QRect shown, grown;
    QPrinter printer(QPrinter::HighResolution);
    QVERIFY(withNextDialog(
        [&] { QVERIFY(!PrintService::Current().ExecPrintDialog(printer, 3, false, editor)); },
        [&](QWidget& dialog) {
            shown = realFrame(dialog);
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->text().contains(QLatin1String(">>")))
                    button->click();
            (void)QTest::qWaitFor(
                [&] {
                    grown = realFrame(dialog);
                    return grown.height() > shown.height() + 50 && room_.contains(grown);
                },
                15000);
            screenshot("print-dialog-options.png", dialog);
        },
        [](QWidget& dialog) { return !realFrame(dialog).isEmpty(); }));
    QVERIFY2(grown.height() > shown.height() + 50, "the options did not open");
    QVERIFY2(room_.contains(grown),
        qPrintable(QStringLiteral("%1,%2 %3x%4")
                       .arg(grown.left())
                       .arg(grown.top())
                       .arg(grown.width())
                       .arg(grown.height())));
}

// The file dialog's columns: sizes with the Polish plural, the result files' type in Polish.
void tst_Desktop::openDialogSpeaksPolish()
{
    writeBytes(dir_.filePath(QStringLiteral("xy2000.1")), QByteArray(88, 'x'));
    QStringList seen;
    const auto rowOf = [&seen](QWidget& dialog) {
        auto* files = dialog.findChild<QTreeView*>();
        seen.clear();
        const QAbstractItemModel* model = files->model();
        for (int row = 0; row < model->rowCount(files->rootIndex()); ++row) {
            const QModelIndex name = model->index(row, 0, files->rootIndex());
            if (name.data().toString() == QLatin1String("xy2000.1"))
                seen << name.siblingAtColumn(1).data().toString()
                     << name.siblingAtColumn(2).data().toString();
        }
        return !seen.isEmpty() && !realFrame(dialog).isEmpty();
    };
    const QtPlatform::DialogOwner owner(main_.get());
    QVERIFY(
        withNextDialog([&] { QVERIFY(!platform_.ChooseFileToOpen("", dir_.path().toStdString())); },
            [](QWidget& dialog) { screenshot("file-dialog.png", dialog); }, rowOf));
    QCOMPARE(seen, QStringList({ QStringLiteral("88 bajtów"), QStringLiteral("Plik wyników") }));
}

QTEST_MAIN(tst_Desktop)
#include "tst_Desktop.moc"
