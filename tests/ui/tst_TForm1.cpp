#include "ui_UTransPKTF.h"

#include "PrzyciskLok.h"
#include "QtPlatform.h"
#include "RecordingPlatform.h"
#include "SpinEdit.h"
#include "TextArea.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"
#include "UTransPKTF.h"
#include "UTransPkt.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vorida;
using namespace vorida::ui;

class tst_TForm1 : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    RecordingPlatform platform_;
    std::unique_ptr<ScopedPlatform> scope_;

    QString path(const QString& name) const { return dir_->path() + QLatin1Char('/') + name; }

    void copySample(const QString& name)
    {
        QFile::remove(path(name));
        QVERIFY(QFile::copy(QStringLiteral(VORIDA_SAMPLE_BIN "/") + name, path(name)));
    }

    // A window started in the scratch directory, as the program starts it.
    std::unique_ptr<TForm1> start()
    {
        AdjustmentPoints.clear();
        AreaName.clear();
        SystemCode = 0;
        auto form = std::make_unique<TForm1>();
        form->show();
        return form;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        platform_ = RecordingPlatform {};
        platform_.ExeDirectory = dir_->path().toStdString();
        scope_ = std::make_unique<ScopedPlatform>(platform_);
    }

    void cleanup()
    {
        scope_.reset();
        dir_.reset();
    }

    void startUpShowsTheAreaAndNamesTheButtons()
    {
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        auto form = start();
        Ui::TForm1& c = form->Controls();
        QVERIFY(platform_.Messages().empty());
        QCOMPARE(form->windowTitle(), QStringLiteral("Transformacja punktów Vorida.exe ver 1.05"));
        QCOMPARE(form->size(), QSize(712, 427));
        QCOMPARE(
            c.Label6->text(), QStringLiteral("Miasto Żnin – obręb Śródmieście (dane przykładowe)"));
        QCOMPARE(c.Label5->text(),
            QStringLiteral(" PRZELICZENIE WSPÓŁRZĘDNYCH UKŁ. LOKALNY <==> 2000/18"));
        // Centred under the title (x 29, 500 wide: centre 279) with the fonts the scripts
        // install: the area name 404 wide at 279 - 202; the heading 189 wide, whose half 94.5
        // goes to the even neighbour 94, at 185.
        QCOMPARE(QPoint(c.Label5->x(), c.Label5->width()), QPoint(29, 500));
        QCOMPARE(QPoint(c.Label6->x(), c.Label6->width()), QPoint(77, 404));
        QCOMPARE(QPoint(c.Label9->x(), c.Label9->width()), QPoint(185, 189));
        QCOMPARE(c.PrzyciskLok3->text(), QStringLiteral("xy2000"));
        QCOMPARE(c.PrzyciskLok3->NazwaPliku(), QStringLiteral("xy2000"));
        QCOMPARE(c.PrzyciskLok2->text(), QStringLiteral("xy2000.1"));
        QCOMPARE(c.PrzyciskLok2->NazwaPliku(), QStringLiteral("xy2000.1"));
        QVERIFY(c.PrzyciskLok1->ShowsFilePresent());
        QVERIFY(!c.PrzyciskLok2->ShowsFilePresent());
        QVERIFY(!c.PrzyciskLok3->ShowsFilePresent());
        QVERIFY(c.RadioButton1->isChecked());
        QCOMPARE(c.SpinEdit1->Value(), 2);
        QCOMPARE(c.Memo1->toPlainText().split(QLatin1Char('\n')).size(), 21);
        QVERIFY(c.BitBtn1->isDefault());
    }

    void missingOrCorruptDataFileGivesOneMessage()
    {
        for (const QByteArray& bytes : { QByteArray(), QByteArray("\x05\0\0\0ab", 6) }) {
            QFile::remove(path("TRANSPKT.BIN"));
            if (!bytes.isEmpty()) {
                QFile f(path("TRANSPKT.BIN"));
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(bytes);
            }
            copySample("xy_LOK");
            platform_.Log.clear();
            auto form = start();
            QCOMPARE(platform_.Messages(),
                std::vector<std::string> { "Błąd odczytu pliku TRANSPKT.BIN" });
            QCOMPARE(form->Controls().Label6->text(), QString());
            // Tag of code 0 is empty: the buttons are "xy" and "xy.1".
            QCOMPARE(form->Controls().PrzyciskLok3->text(), QStringLiteral("xy"));
            QCOMPARE(form->Controls().PrzyciskLok2->text(), QStringLiteral("xy.1"));
            form->BitBtn1Click(); // the window still works; the run refuses
            QCOMPARE(platform_.Messages().back(), std::string(TTransPkt::kNoAdjustmentPoints));
            QVERIFY(!QFile::exists(path("Raport.txt")));
        }
    }

    // The closing message's lines are CR-separated; the box shows them as lines on every system.
    void messageBoxesBreakLinesAtCarriageReturns()
    {
        QtPlatform qt;
        QStringList shown;
        auto readAndClose = [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown << box->text();
            box->done(QMessageBox::Ok);
        };
        QTimer::singleShot(0, readAndClose);
        qt.ShowMessage("OBLICZENIA ZAKOŃCZONE\rIlość punktów w pliku: 20");
        QTimer::singleShot(0, readAndClose);
        qt.AskOkCancel("a\r\nb", "c");
        QTimer::singleShot(0, readAndClose);
        qt.AskYesNoCancel("d\re", "f");
        QCOMPARE(shown,
            QStringList({ QStringLiteral("OBLICZENIA ZAKOŃCZONE\nIlość punktów w pliku: 20"),
                QStringLiteral("a\nb"), QStringLiteral("d\ne") }));
    }

    void runInBothDirectionsRefreshesTheButtons()
    {
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        copySample("xy2000");
        auto form = start();
        Ui::TForm1& c = form->Controls();
        QVERIFY(!c.PrzyciskLok5->ShowsFilePresent());
        QTest::mouseClick(c.BitBtn1, Qt::LeftButton);
        QCOMPARE(platform_.Messages().back(),
            std::string("OBLICZENIA ZAKOŃCZONE\rIlość punktów w pliku: 20\rIlość punktów "
                        "transformowanych: 18\rIlość punktów z defektem: 2"));
        QVERIFY(c.PrzyciskLok2->ShowsFilePresent());
        QVERIFY(c.PrzyciskLok5->ShowsFilePresent());
        QVERIFY(!c.PrzyciskLok4->ShowsFilePresent());

        c.RadioButton2->setChecked(true);
        QTest::mouseClick(c.BitBtn1, Qt::LeftButton);
        QVERIFY(QFile::exists(path("xy_LOK.1")));
        QVERIFY(c.PrzyciskLok4->ShowsFilePresent());
        QCOMPARE(RoundingDigits, 2);
    }

    // Editors open on the run's files notice the run after it, never halfway: the unmodified
    // one shows the new report, the modified one asks once the run's message is gone.
    void editorsNoticeTheRunAfterIt()
    {
        struct Platform : RecordingPlatform
        {
            QStringList reportLines; // the report editor's text at each message or question
            editor::TextArea* report = nullptr;
            void note() { reportLines << (report ? report->text() : QString()); }
            void ShowMessage(std::string_view text) override
            {
                // While a box is shown the editors may look at their files (their watch, an
                // activation): they look now, and must find the run still holding them.
                for (QWidget* widget : QApplication::allWidgets())
                    if (auto* frame = qobject_cast<editor::TEdytorFrame*>(widget))
                        frame->CheckDisk();
                note();
                RecordingPlatform::ShowMessage(text);
            }
            Answer AskYesNoCancel(std::string_view text, std::string_view caption) override
            {
                note();
                return RecordingPlatform::AskYesNoCancel(text, caption);
            }
        } platform;
        platform.ExeDirectory = platform_.ExeDirectory;
        ScopedPlatform scope(platform);
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        auto form = start();
        Ui::TForm1& c = form->Controls();
        QTest::mouseClick(c.BitBtn1, Qt::LeftButton);
        c.PrzyciskLok5->click(); // Raport.txt
        c.PrzyciskLok2->click(); // xy2000.1
        auto editors = form->findChildren<editor::TEdytorF*>();
        QCOMPARE(editors.size(), 2);
        platform.report = editors[0]->Frame()->Editor();
        editor::TextArea* result = editors[1]->Frame()->Editor();
        const QString before = platform.report->text();
        result->insert(QStringLiteral("moje "));

        platform.Log.clear();
        platform.reportLines.clear();
        platform.Answers = { Answer::No };
        c.SpinEdit1->SetValue(4); // other decimals: other files
        QTest::mouseClick(c.BitBtn1, Qt::LeftButton);
        // The question comes once the editor's watch has seen the files settle: on a loaded
        // machine that can take a few seconds.
        QTRY_COMPARE_WITH_TIMEOUT(platform.Log.size(), size_t(2), 15000);
        QCOMPARE(platform.Log[0].Kind, std::string("message")); // the run's own, first
        QVERIFY(QString::fromStdString(platform.Log[1].Text).contains("został zmieniony"));
        QCOMPARE(platform.reportLines[0], before); // nothing reloaded during the run
        QVERIFY(platform.report->text() != before);
        QVERIFY(!platform.report->Modified());
        QVERIFY(result->Line(0).startsWith("moje ")); // "Nie": the editor keeps its text
        QVERIFY(result->Modified());
    }

    void spinEditKeepsTypedValuesUntilFocusLeaves()
    {
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        auto form = start();
        QApplication::setActiveWindow(form.get());
        Ui::TForm1& c = form->Controls();
        TSpinEdit* spin = c.SpinEdit1;
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, "7");
        QTest::keyClick(spin, Qt::Key_Return); // Enter with the focus in the field: as typed
        QCOMPARE(RoundingDigits, 7);
        QVERIFY(platform_.Messages().back().rfind("OBLICZENIA", 0) == 0);

        QTest::mouseClick(c.BitBtn1, Qt::LeftButton); // the click takes the focus: clamped
        c.BitBtn1->setFocus();
        QCOMPARE(spin->Value(), 5);

        spin->SetValue(3);
        spin->selectAll();
        QTest::keyClicks(spin, "x"); // refused
        QCOMPARE(spin->text(), QStringLiteral("3"));
        spin->findChild<QLineEdit*>()->setText(QStringLiteral("3.5"));
        QCOMPARE(spin->Value(), 1);
        spin->SetValue(5);
        spin->stepBy(1);
        QCOMPARE(spin->Value(), 5);
        spin->SetValue(1);
        spin->stepBy(-3);
        QCOMPARE(spin->Value(), 1);
    }

    void enterRunsAndEscapeClosesButNotInTheMemo()
    {
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        auto form = start();
        QApplication::setActiveWindow(form.get());
        QSignalSpy finished(form.get(), &QDialog::finished);
        form->Controls().RadioButton1->setFocus();
        QTest::keyClick(form.get(), Qt::Key_Return);
        QVERIFY(QFile::exists(path("xy2000.1")));

        form->Controls().Memo1->setFocus();
        QTest::keyClick(form->Controls().Memo1, Qt::Key_Escape);
        QCOMPARE(finished.count(), 0);
        QVERIFY(form->isVisible());

        form->Controls().RadioButton1->setFocus();
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);

        // Enter on "ZAMKNIJ PROGRAM" presses that button, not the run.
        auto second = start();
        QApplication::setActiveWindow(second.get());
        QSignalSpy closed(second.get(), &QDialog::finished);
        QFile::remove(path("Raport.txt"));
        second->Controls().BitBtn2->setFocus();
        QTest::keyClick(second->Controls().BitBtn2, Qt::Key_Return);
        QCOMPARE(closed.count(), 1);
        QVERIFY(!QFile::exists(path("Raport.txt")));
    }

    // Tab walks radio buttons (one stop), BitBtn1, BitBtn2, Memo1, SpinEdit1 and round again,
    // and Shift+Tab the same way back; Memo1 takes no tab character.
    void tabWalksTheOrderBothWays()
    {
        auto form = start();
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        Ui::TForm1& c = form->Controls();
        const QList<QWidget*> order
            = { c.RadioButton1, c.BitBtn1, c.BitBtn2, c.Memo1, c.SpinEdit1, c.RadioButton1 };
        auto focused = [&] {
            QWidget* w = QApplication::focusWidget();
            return w && c.SpinEdit1->isAncestorOf(w) ? c.SpinEdit1 : w;
        };
        const QString memo = c.Memo1->toPlainText();
        for (Qt::KeyboardModifier direction : { Qt::NoModifier, Qt::ShiftModifier }) {
            QList<QWidget*> walked = { order.front() };
            order.front()->setFocus();
            for (qsizetype i = 1; i < order.size(); ++i) {
                QTest::keyClick(focused(), Qt::Key_Tab, direction);
                walked << focused();
            }
            QList<QWidget*> expected = order;
            if (direction == Qt::ShiftModifier)
                std::reverse(expected.begin(), expected.end());
            QCOMPARE(walked, expected);
        }
        QCOMPARE(c.Memo1->toPlainText(), memo);
    }

    // Up and Down (and the arrows) step within 1..5 from the value shown, also from a typed
    // value outside the range.
    void spinEditStepsWithinTheRange_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("value");
        QTest::newRow("9 Down") << "9" << int(Qt::Key_Down) << 5;
        QTest::newRow("9 Up") << "9" << int(Qt::Key_Up) << 5;
        QTest::newRow("0 Up") << "0" << int(Qt::Key_Up) << 1;
        QTest::newRow("-3 Down") << "-3" << int(Qt::Key_Down) << 1;
        QTest::newRow("3 Up") << "3" << int(Qt::Key_Up) << 4;
        QTest::newRow("5 Up") << "5" << int(Qt::Key_Up) << 5;
        QTest::newRow("1 Down") << "1" << int(Qt::Key_Down) << 1;
        QTest::newRow("x.5 Down") << "2.5" << int(Qt::Key_Down) << 1;
    }

    void spinEditStepsWithinTheRange()
    {
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(int, value);
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        auto form = start();
        QApplication::setActiveWindow(form.get());
        TSpinEdit* spin = form->Controls().SpinEdit1;
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, typed);
        QTest::keyClick(spin, static_cast<Qt::Key>(key));
        QCOMPARE(spin->text(), QString::number(value));
        QTest::keyClick(spin, Qt::Key_Return); // the run takes the value shown
        QCOMPARE(RoundingDigits, value);
    }

    // Only a left click opens the manual: a press and release on the panel (or on one of its
    // labels or the logo) with the left button.
    void onlyALeftClickOpensTheManual_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("releasedOver");
        QTest::addColumn<bool>("opens");
        QTest::newRow("left on the panel") << "Panel1" << int(Qt::LeftButton) << true << true;
        QTest::newRow("left on the logo") << "Image1" << int(Qt::LeftButton) << true << true;
        QTest::newRow("left on the title") << "Label5" << int(Qt::LeftButton) << true << true;
        QTest::newRow("right") << "Panel1" << int(Qt::RightButton) << true << false;
        QTest::newRow("middle") << "Label11" << int(Qt::MiddleButton) << true << false;
        QTest::newRow("released over Memo1") << "Panel1" << int(Qt::LeftButton) << false << false;
    }

    void onlyALeftClickOpensTheManual()
    {
        QFETCH(QString, widget);
        QFETCH(int, button);
        QFETCH(bool, releasedOver);
        QFETCH(bool, opens);
        auto form = start();
        auto* pressed = form->findChild<QWidget*>(widget);
        QVERIFY(pressed);
        const QPoint inside(3, 3);
        // The release goes to the widget pressed, at the point where the mouse is let go.
        const QPoint memo
            = pressed->mapFrom(form.get(), form->Controls().Memo1->geometry().center());
        QTest::mousePress(pressed, static_cast<Qt::MouseButton>(button), {}, inside);
        QTest::mouseRelease(
            pressed, static_cast<Qt::MouseButton>(button), {}, releasedOver ? inside : memo);
        size_t addresses = 0;
        for (const auto& shown : platform_.Log)
            addresses += shown.Kind == "address";
        QCOMPARE(addresses, opens ? 1u : 0u);
    }

    void nazwaPlikuRenamesOnlyAnUntouchedCaption()
    {
        TPrzyciskLok button;
        button.setObjectName(QStringLiteral("PrzyciskLok9"));
        button.setText(QStringLiteral("PrzyciskLok9"));
        button.SetNazwaPliku(QStringLiteral("a.txt")); // caption was the object name
        QCOMPARE(button.text(), QStringLiteral("a.txt"));
        button.SetNazwaPliku(QStringLiteral("b.txt")); // caption was the old file name
        QCOMPARE(button.text(), QStringLiteral("b.txt"));
        button.setText(QStringLiteral("Mój plik"));
        button.SetNazwaPliku(QStringLiteral("c.txt"));
        QCOMPARE(button.text(), QStringLiteral("Mój plik"));
        QCOMPARE(button.NazwaPliku(), QStringLiteral("c.txt"));
        QCOMPARE(button.BaseDirectory(), dir_->path());

        QDir(dir_->path()).mkdir(QStringLiteral("c.txt")); // a directory is no file
        button.Repaint();
        QVERIFY(!button.ShowsFilePresent());
    }

    // Each new editor offset from the last one still open, on the screen, the first one off
    // the file buttons as far as the screen allows.
    void editorsOpenCascaded()
    {
        copySample("TRANSPKT.BIN");
        auto form = start();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QRect room = form->screen()->availableGeometry();
        QList<QPoint> at;
        for (int i = 0; i < 3; ++i) {
            form->Controls().PrzyciskLok5->click();
            at << form->findChildren<editor::TEdytorF*>().last()->pos();
        }
        const QPoint step(28, 28);
        QCOMPARE(at, QList<QPoint>({ at[0], at[0] + step, at[0] + step * 2 }));
        for (auto* editor : form->findChildren<editor::TEdytorF*>())
            QVERIFY(room.contains(editor->frameGeometry()));
        const QRect first(at[0], QSize(447, 345));
        QVERIFY(!first.contains(form->geometry().center()));
        QToolButton* report = form->Controls().PrzyciskLok5;
        QVERIFY(!first.intersects(QRect(report->mapToGlobal(QPoint(0, 0)), report->size())));

        delete form->findChildren<editor::TEdytorF*>().last();
        form->Controls().PrzyciskLok5->click();
        QCOMPARE(form->findChildren<editor::TEdytorF*>().last()->pos(), at[2]);
    }

    // More editors than the screen has room to offset: each still opens where no open editor
    // is, also when the first lands in the screen's bottom right corner.
    void cascadeWrapsToFreePlaces()
    {
        copySample("TRANSPKT.BIN");
        auto form = start();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QRect room = form->screen()->availableGeometry();
        for (const QPoint corner : { room.topLeft(), room.bottomRight() - QPoint(600, 300) }) {
            form->move(corner);
            for (int i = 0; i < 30; ++i)
                form->Controls().PrzyciskLok5->click();
            QSet<QPoint> places;
            for (auto* editor : form->findChildren<editor::TEdytorF*>()) {
                QVERIFY(room.contains(editor->frameGeometry()));
                places << editor->pos();
            }
            QCOMPARE(places.size(), 30);
            qDeleteAll(form->findChildren<editor::TEdytorF*>());
        }
    }

    // Once per modified editor, each the owner of its question and named in it.
    void quittingAsksAboutEveryModifiedEditor()
    {
        struct Platform : RecordingPlatform
        {
            QStringList active;
            Answer AskYesNoCancel(std::string_view text, std::string_view caption) override
            {
                QWidget* owner = QtPlatform::DialogParent();
                active << (owner ? owner->windowTitle() : QString());
                return RecordingPlatform::AskYesNoCancel(text, caption);
            }
        } platform;
        platform.ExeDirectory = platform_.ExeDirectory;
        ScopedPlatform scope(platform);
        copySample("TRANSPKT.BIN");
        copySample("xy_LOK");
        auto form = start();
        QSignalSpy finished(form.get(), &QDialog::finished);
        for (TPrzyciskLok* button : { form->Controls().PrzyciskLok1, form->Controls().PrzyciskLok5,
                 form->Controls().PrzyciskLok1 })
            button->click();
        auto editors = form->findChildren<editor::TEdytorF*>();
        QCOMPARE(editors.size(), 3);
        editors[0]->Frame()->Editor()->insert(QStringLiteral("zmiana "));
        editors[1]->Frame()->Editor()->insert(QStringLiteral("zmiana "));
        const QString lok = QDir::toNativeSeparators(path("xy_LOK"));
        const QString report = QDir::toNativeSeparators(path("Raport.txt"));

        platform.Answers = { Answer::No, Answer::Cancel };
        form->close();
        QCOMPARE(finished.count(), 0);
        QVERIFY(form->isVisible());
        QCOMPARE(platform.active, QStringList({ lok, report }));
        QCOMPARE(QString::fromStdString(platform.Log.back().Text),
            report + "\r\rPlik nie został zapisany. Zapisać?");

        platform.Answers = { Answer::No, Answer::No };
        form->close();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(platform.Log.size(), 4u); // the unmodified editor asked nothing
        QVERIFY(QFile(path("xy_LOK")).size() > 0);
    }
};

QTEST_MAIN(tst_TForm1)
#include "tst_TForm1.moc"
