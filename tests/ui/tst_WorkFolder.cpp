// The main window on a work folder other than the executable's: named on the command line,
// chosen in the menu, dropped, taken from the recent folders; what it writes there, what it
// leaves elsewhere, and what a folder that fails says.
#include "ui_UTransPKTF.h"

#include "PrzyciskLok.h"
#include "RecordingPlatform.h"
#include "TextArea.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"
#include "UTransPKTF.h"
#include "UTransPkt.h"
#include "WorkFolder.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace vorida;
using namespace vorida::ui;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

// The report without its date line, which differs from run to run.
QByteArray undated(QByteArray report)
{
    QList<QByteArray> lines = report.split('\n');
    lines.removeIf([](const QByteArray& l) { return l.startsWith("Data oblicze"); });
    return lines.join('\n');
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
}

QAction* menuAction(TForm1& form, const QString& text)
{
    // The menu fills itself as it opens.
    form.AreaMenu().popup(QPoint(0, 0));
    form.AreaMenu().hide();
    for (QAction* a : form.AreaMenu().actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

} // namespace

class tst_WorkFolder : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    RecordingPlatform platform_;
    std::unique_ptr<ScopedPlatform> scope_;
    QString exe_; // the executable's directory, with the sample area of its own

    QString makeFolder(const QString& name, const QStringList& samples)
    {
        const QString folder = QDir::toNativeSeparators(dir_->path() + QLatin1Char('/') + name);
        QDir().mkpath(folder);
        for (const QString& s : samples)
            QFile::copy(QStringLiteral(VORIDA_SAMPLE_BIN "/") + s, folder + QLatin1Char('/') + s);
        return folder;
    }

    std::unique_ptr<TForm1> start(const QStringList& arguments = {}, const QStringList& recent = {})
    {
        auto form = std::make_unique<TForm1>(nullptr, StartFolder(arguments, exe_));
        form->RememberRecentFolders(recent, {});
        form->show();
        return form;
    }

    // What vorida-cli convert --dir writes in a copy of folder's area and points.
    QStringList toolOutput(const QString& folder)
    {
        const QString copy = makeFolder(QStringLiteral("wzorzec"), {});
        for (const QString& f : { QStringLiteral("TRANSPKT.BIN"), QStringLiteral("xy_LOK") }) {
            QFile::remove(copy + "/" + f);
            QFile::copy(folder + "/" + f, copy + "/" + f);
        }
        QProcess tool;
        tool.start(QStringLiteral(VORIDA_SAMPLE_BIN "/vorida-cli"),
            { QStringLiteral("convert"), QStringLiteral("--dir"), copy });
        if (!tool.waitForFinished(60000) || tool.exitCode() != 0)
            return {};
        return { QString::fromLatin1(bytesOf(copy + "/xy2000.1").toHex()),
            QString::fromLatin1(undated(bytesOf(copy + "/Raport.txt")).toHex()) };
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        // The recent folders of the tests stay in the scratch folder.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_->path());
        exe_ = makeFolder(QStringLiteral("program"),
            { QStringLiteral("TRANSPKT.BIN"), QStringLiteral("xy_LOK") });
        platform_ = RecordingPlatform {};
        platform_.ExeDirectory = exe_.toStdString();
        scope_ = std::make_unique<ScopedPlatform>(platform_);
    }

    void cleanup()
    {
        scope_.reset();
        dir_.reset();
    }

    // However the window comes to a folder, Enter writes there the bytes the tool writes
    // there, and nothing beside the executable.
    void enterConvertsInTheFolder_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : { "argument", "file argument", "menu", "drop", "recent" })
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    void enterConvertsInTheFolder()
    {
        QFETCH(QString, how);
        const QString folder = makeFolder(QStringLiteral("Łódź, obręb \"Śródmieście\" 'B'"),
            { QStringLiteral("TRANSPKT.BIN"), QStringLiteral("xy_LOK") });
        const QStringList before = entries(exe_);
        std::unique_ptr<TForm1> form;
        if (how == "argument") {
            form = start({ folder });
        } else if (how == "file argument") {
            form = start({ folder + QStringLiteral("/xy_LOK") });
        } else {
            form = start({}, { folder });
            QCOMPARE(form->WorkFolder(), exe_);
            if (how == "menu") {
                platform_.ChosenFolders = { folder.toStdString() };
                menuAction(*form, QStringLiteral("Wybierz folder roboczy…"))->trigger();
                QCOMPARE(platform_.Log.back().Kind, std::string("folder"));
                QCOMPARE(platform_.Log.back().Text, exe_.toStdString());
            } else if (how == "drop") {
                QMimeData data;
                data.setUrls({ QUrl::fromLocalFile(folder + QStringLiteral("/xy_LOK")) });
                QDragEnterEvent enter(QPoint(400, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(form.get(), &enter);
                QVERIFY(enter.isAccepted());
                QDropEvent drop(QPointF(400, 20), Qt::CopyAction, &data, Qt::LeftButton, {});
                QApplication::sendEvent(form.get(), &drop);
                QTRY_COMPARE(form->WorkFolder(), folder);
            } else {
                QAction* recent = menuAction(*form, "&2  " + folder);
                QVERIFY(recent && !recent->isChecked());
                recent->trigger();
            }
        }
        QCOMPARE(form->WorkFolder(), folder);
        Ui::TForm1& c = form->Controls();
        QCOMPARE(c.Label12->toolTip(), folder);
        QVERIFY(c.Label12->text().startsWith(QStringLiteral("Folder roboczy: ")));
        QCOMPARE(c.PrzyciskLok5->BaseDirectory(), folder);
        QVERIFY(c.PrzyciskLok1->ShowsFilePresent());
        QCOMPARE(form->RecentFolders().front(), folder);

        QApplication::setActiveWindow(form.get());
        c.RadioButton1->setFocus();
        platform_.Log.clear();
        QTest::keyClick(form.get(), Qt::Key_Return);
        QVERIFY(platform_.Messages().at(0).rfind("OBLICZENIA ZAKOŃCZONE", 0) == 0);
        QCOMPARE(QStringList({ QString::fromLatin1(bytesOf(folder + "/xy2000.1").toHex()),
                     QString::fromLatin1(undated(bytesOf(folder + "/Raport.txt")).toHex()) }),
            toolOutput(folder));
        QVERIFY(c.PrzyciskLok2->ShowsFilePresent());
        QCOMPARE(entries(exe_), before);
    }

    // A new start: the modified editor of the old folder asks (Cancel keeps everything), the
    // editors of other files stay, the area and the buttons are the new folder's, its failure
    // message shows and the window goes on; the area check opens on the new folder's area.
    void changingFolderIsANewStart()
    {
        const QString empty
            = makeFolder(QStringLiteral("bez obszaru"), { QStringLiteral("xy_LOK") });
        const QString elsewhere = makeFolder(QStringLiteral("inne"), {});
        QFile report(exe_ + QStringLiteral("/Raport.txt"));
        QVERIFY(report.open(QIODevice::WriteOnly));
        report.close();
        auto form = start();
        Ui::TForm1& c = form->Controls();
        QVERIFY(!c.Label6->text().isEmpty());
        QVERIFY(c.PrzyciskLok5->ShowsFilePresent());
        c.PrzyciskLok1->click();
        auto* old = form->findChildren<editor::TEdytorF*>().front();
        old->Frame()->Editor()->insert(QStringLiteral("zmiana "));
        auto* other = new editor::TEdytorF(form.get());
        other->OpenFile(elsewhere + QStringLiteral("/notatki.txt"));

        platform_.Log.clear();
        platform_.Answers = { Answer::Cancel };
        QVERIFY(!form->ChangeWorkFolder(empty));
        QCOMPARE(form->WorkFolder(), exe_);
        QCOMPARE(platform_.Log.size(), size_t(1));
        QCOMPARE(platform_.Log[0].Kind, std::string("yesnocancel"));

        platform_.Answers = { Answer::No };
        QVERIFY(form->ChangeWorkFolder(empty));
        QCOMPARE(
            platform_.Messages(), std::vector<std::string> { "Błąd odczytu pliku TRANSPKT.BIN" });
        QTRY_COMPARE(form->findChildren<editor::TEdytorF*>(), QList<editor::TEdytorF*> { other });
        QCOMPARE(c.Label6->text(), QString());
        QCOMPARE(c.PrzyciskLok3->text(), QStringLiteral("xy"));
        QVERIFY(!c.PrzyciskLok5->ShowsFilePresent());
        QCOMPARE(QFile(exe_ + "/xy_LOK").size(), QFile(VORIDA_SAMPLE_BIN "/xy_LOK").size());

        form->BitBtn1Click(); // the window works on: the run refuses
        QCOMPARE(platform_.Messages().back(), std::string(TTransPkt::kNoAdjustmentPoints));
        menuAction(*form, QStringLiteral("Kontrola obszaru…"))->trigger();
        QCOMPARE(platform_.Log.back().Text,
            "vorida-obszar\n" + (empty + QStringLiteral("/TRANSPKT.BIN")).toStdString());
        menuAction(*form, QStringLiteral("Otwórz folder roboczy w menedżerze plików"))->trigger();
        QCOMPARE(platform_.Log.back().Kind, std::string("openfolder"));
        QCOMPARE(platform_.Log.back().Text, empty.toStdString());

        QVERIFY(menuAction(*form, "&1  " + empty)->isChecked());
        menuAction(*form, "&2  " + exe_)->trigger();
        QVERIFY(!c.Label6->text().isEmpty());
        QCOMPARE(c.PrzyciskLok3->text(), QStringLiteral("xy2000"));
        QCOMPARE(form->RecentFolders(), QStringList({ exe_, empty }));
    }

    // The run's failure in a folder gone away or on a read-only medium names the file and the
    // reason, and nothing is written anywhere else.
    void aFolderGoneAwaySaysWhyAndWritesNothingElsewhere()
    {
        const QString gone = makeFolder(
            QStringLiteral("udział"), { QStringLiteral("TRANSPKT.BIN"), QStringLiteral("xy_LOK") });
        const QStringList before = entries(exe_);
        auto form = start({ gone });
        QVERIFY(QDir(gone).removeRecursively());
        platform_.Log.clear();
        form->BitBtn1Click();
        QCOMPARE(platform_.Messages(),
            std::vector<std::string> {
                "Brak pliku wejściowego " + gone.toStdString() + "/xy_LOK" });
        QVERIFY(!QDir(gone).exists());
        QCOMPARE(entries(exe_), before);
    }

    void aReadOnlyFolderSaysWhyAndWritesNothingElsewhere()
    {
        // Set by read_only_folder.sh: a folder holding the sample, mounted read-only.
        const QString readOnly = qEnvironmentVariable("VORIDA_READ_ONLY_FOLDER");
        if (readOnly.isEmpty())
            QSKIP("no read-only folder (ui.read_only_folder runs this with one)");
        const QStringList before = entries(exe_);
        auto form = start({ readOnly });
        QVERIFY(form->Controls().PrzyciskLok1->ShowsFilePresent());
        platform_.Log.clear();
        form->BitBtn1Click();
        QCOMPARE(platform_.Messages(),
            std::vector<std::string> { "Błąd. Linia 0\rNie można zapisać pliku "
                + readOnly.toStdString() + "/Raport.txt: system plików tylko do odczytu" });
        QCOMPARE(entries(exe_), before);
    }

    void workFolderOfAPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder"); // under the scratch folder
        QTest::newRow("folder") << "a"
                                << "/a";
        QTest::newRow("trailing separator") << "a/"
                                            << "/a";
        QTest::newRow("file") << "a/xy_LOK"
                              << "/a";
        QTest::newRow("dot dot") << "a/../b"
                                 << "/b";
        QTest::newRow("missing") << "nie ma"
                                 << "/nie ma";
        QTest::newRow("empty") << ""
                               << "";
    }

    void workFolderOfAPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        makeFolder(QStringLiteral("a"), { QStringLiteral("xy_LOK") });
        makeFolder(QStringLiteral("b"), {});
        QCOMPARE(WorkFolderOf(path, dir_->path()),
            folder.isEmpty() ? QString() : QDir::toNativeSeparators(dir_->path() + folder));
        if (!path.isEmpty()) // an absolute path the same
            QCOMPARE(WorkFolderOf(dir_->path() + "/" + path, QStringLiteral("/elsewhere")),
                QDir::toNativeSeparators(dir_->path() + folder));
    }

    // The latest first, each once, eight at most; kept between starts, Polish letters, commas
    // and quotes intact.
    void recentFoldersAreKept()
    {
        QStringList recent;
        for (int i = 0; i < 10; ++i)
            recent = WithRecentFolder(recent, QStringLiteral("/p/%1").arg(i));
        recent = WithRecentFolder(recent, QStringLiteral("/p/5/"));
        QCOMPARE(recent,
            QStringList({ "/p/5/", "/p/9", "/p/8", "/p/7", "/p/6", "/p/4", "/p/3", "/p/2" }));

        const QStringList odd = { QStringLiteral("/dane/Łódź, \"Śródmieście\" & 'B'"), "C:\\x" };
        SaveRecentFolders(odd);
        QCOMPARE(LoadRecentFolders(), odd);
        auto form = std::make_unique<TForm1>();
        form->RememberRecentFolders(LoadRecentFolders(), SaveRecentFolders);
        form->show();
        QCOMPARE(LoadRecentFolders(), QStringList({ exe_ }) + odd);
        QVERIFY(menuAction(*form, QStringLiteral("&2  /dane/Łódź, \"Śródmieście\" && 'B'")));
        // A long one shortened in the menu, whole in its tooltip.
        const QString deep = QStringLiteral("/dane/") + QString(200, QLatin1Char('x'));
        form->ChangeWorkFolder(deep);
        QVERIFY(form->Controls().Label12->text().endsWith(
            QStringLiteral("xx  (nie ma takiego folderu)")));
        QVERIFY(form->Controls().Label12->text().contains(QChar(0x2026)));
        menuAction(*form, {});
        const QAction* first = form->AreaMenu().actions().at(5); // after the three and two lines
        QVERIFY(first->text().startsWith(QStringLiteral("&1  /dane/xx")));
        QVERIFY(first->text().contains(QChar(0x2026)));
        QCOMPARE(first->toolTip(), deep);
    }
};

QTEST_MAIN(tst_WorkFolder)
#include "tst_WorkFolder.moc"
