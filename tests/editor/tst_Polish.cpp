// Polish everywhere: Qt's catalogue found beside the executable first, then in Qt's own
// directory; the standard buttons then speak Polish; the boxes carry the title "Vorida"; the
// common reasons of a failed file operation read in our own Polish words.
#include "EditorTestSupport.h"
#include "Failure.h"
#include "QtPlatform.h"
#include "QtStartup.h"
#include "TextFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>

#include <system_error>

using namespace vorida;
using namespace vorida::editor;
using editortest::withNextDialog;

namespace {

// `look` at a message box (as withNextDialog's look).
std::function<void(QWidget&)> asBox(std::function<void(QMessageBox&)> look)
{
    return [look](QWidget& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        QVERIFY(box);
        look(*box);
    };
}

QString failure(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const TextFileError& error) {
        return QString::fromUtf8(error.what());
    }
    return QStringLiteral("<no error>");
}

} // namespace

class tst_Polish : public QObject
{
    Q_OBJECT

    QString qtCatalogue() const
    {
        return QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_pl.qm");
    }

private slots:
    void catalogueBesideTheExecutableComesFirst()
    {
        if (!QFileInfo::exists(qtCatalogue()))
            QSKIP("qt6-translations-l10n is not installed");
        QTemporaryDir exe;
        QCOMPARE(FindQtPolishCatalogue(exe.path()), qtCatalogue());
        QVERIFY(QDir(exe.path()).mkdir(QStringLiteral("translations")));
        const QString beside = exe.filePath(QStringLiteral("translations/qtbase_pl.qm"));
        QVERIFY(QFile::copy(qtCatalogue(), beside));
        QCOMPARE(FindQtPolishCatalogue(exe.path()), beside);
    }

    void standardButtonsSpeakPolishAndBoxesSayVorida()
    {
        if (!QFileInfo::exists(qtCatalogue()))
            QSKIP("qt6-translations-l10n is not installed");
        StartWindowedApplication();
        QtPlatform platform;
        QStringList seen;
        QVERIFY(withNextDialog(
            [&] { platform.AskYesNoCancel("Plik nie został zapisany. Zapisać?", "Ostrzeżenie"); },
            asBox([&](QMessageBox& box) {
                seen << box.windowTitle();
                for (QAbstractButton* button : box.buttons())
                    seen << button->text().remove(QLatin1Char('&'));
            })));
        QVERIFY(withNextDialog([&] { platform.ShowMessage("Tekstu nie znaleziono."); },
            asBox([&](QMessageBox& box) { seen << box.windowTitle(); })));
        seen.sort();
        QCOMPARE(seen, QStringList({ "Anuluj", "Nie", "Ostrzeżenie", "Tak", "Vorida" }));
    }

    // Our catalogue, consulted before Qt's, gives the print dialog's texts that Qt's lacks, in
    // the contexts the dialog asks for them; Qt's own texts still come from Qt's.
    void printDialogTextsQtLacks_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("polish");
        const auto row = [](const char* context, const char* source, const char* polish) {
            QTest::newRow(source) << context << source << QString::fromUtf8(polish);
        };
        row("QPrintSettingsOutput", "Pages", "Strony");
        row("QPrintSettingsOutput", "Double Sided Printing", "Drukowanie dwustronne");
        row("QPrintSettingsOutput", "Off", "Wyłączone");
        row("QPrintSettingsOutput", "Long side binding", "Oprawa wzdłuż dłuższej krawędzi");
        row("QPrintSettingsOutput", "Short side binding", "Oprawa wzdłuż krótszej krawędzi");
        row("QPrintPropertiesWidget", "Advanced", "Zaawansowane");
        row("QPlatformTheme", "Cancel", "Anuluj"); // Qt's
    }

    void printDialogTextsQtLacks()
    {
        if (!QFileInfo::exists(qtCatalogue()))
            QSKIP("qt6-translations-l10n is not installed");
        static const bool installed = InstallPolishTranslations(QStringLiteral(VORIDA_BIN_DIR));
        QVERIFY(installed);
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, polish);
        const QByteArray c = context.toLatin1(), s = source.toLatin1();
        QCOMPARE(QCoreApplication::translate(c.constData(), s.constData()), polish);
    }

    // The file dialog's sizes with the Polish plural, and the result files' type.
    void fileDialogColumns_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("size");
        for (const auto& [bytes, size] : std::initializer_list<std::pair<qint64, const char*>> {
                 { 0, "0 bajtów" }, { 1, "1 bajt" }, { 2, "2 bajty" }, { 4, "4 bajty" },
                 { 5, "5 bajtów" }, { 12, "12 bajtów" }, { 14, "14 bajtów" }, { 22, "22 bajty" },
                 { 88, "88 bajtów" }, { 112, "112 bajtów" }, { 1023, "1023 bajty" } })
            QTest::newRow(size) << bytes << QString::fromUtf8(size);
    }
    void fileDialogColumns()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, size);
        QCOMPARE(QtPlatform::PolishFileSize(bytes), size);
        QCOMPARE(
            QtPlatform::PolishFileType(QStringLiteral("xy2000.1"), QStringLiteral("Manual page")),
            QStringLiteral("Plik wyników"));
        QCOMPARE(QtPlatform::PolishFileType(QStringLiteral("Raport.txt"), QStringLiteral("x")),
            QStringLiteral("x"));
    }

    // Our own errors show their Polish text; any other failure shows as an internal error.
    void failuresShownByKind()
    {
        RecordingPlatform platform;
        ScopedPlatform scope(platform);
        QVERIFY(ShowingFailure([] {}));
        QVERIFY(!ShowingFailure([] { throw TextFileError("Nie można zapisać pliku \"x\"."); }));
        QVERIFY(!ShowingFailure([] { throw std::bad_alloc(); }));
        QStringList shown;
        for (const auto& entry : platform.Log)
            shown << QString::fromStdString(entry.Text);
        QCOMPARE(shown,
            QStringList(
                { "Nie można zapisać pliku \"x\".", "Błąd wewnętrzny programu: std::bad_alloc" }));
    }

    void errorsCarryTheErrorIcon()
    {
        QtPlatform platform;
        QList<QMessageBox::Icon> icons;
        const auto icon = [&icons](QMessageBox& box) { icons << box.icon(); };
        QVERIFY(withNextDialog([&] { platform.ShowError("Brak miejsca na dysku."); }, asBox(icon)));
        QVERIFY(
            withNextDialog([&] { platform.ShowMessage("Tekstu nie znaleziono."); }, asBox(icon)));
        QVERIFY(withNextDialog(
            [&] { platform.AskOkCancel("Koniec pliku. Szukać od początku?", "TELLAR Edytor"); },
            asBox(icon)));
        QVERIFY(withNextDialog(
            [&] { platform.AskYesNoCancel("Plik nie został zapisany. Zapisać?", "Ostrzeżenie"); },
            asBox(icon)));
        QCOMPARE(icons,
            QList<QMessageBox::Icon>({ QMessageBox::Critical, QMessageBox::NoIcon,
                QMessageBox::NoIcon, QMessageBox::Warning }));
    }

    void failureReasons_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("reason");
        auto row = [](const char* name, std::errc code, const char* reason) {
            QTest::newRow(name) << static_cast<int>(code) << QString::fromUtf8(reason);
        };
        row("no such file", std::errc::no_such_file_or_directory,
            "Nie ma takiego pliku ani katalogu.");
        row("permission", std::errc::permission_denied, "Brak uprawnień dostępu.");
        row("not permitted", std::errc::operation_not_permitted, "Brak uprawnień dostępu.");
        row("no space", std::errc::no_space_on_device, "Brak miejsca na dysku.");
        row("directory", std::errc::is_a_directory, "To jest katalog, nie plik.");
        row("read-only", std::errc::read_only_file_system, "System plików jest tylko do odczytu.");
        row("other", std::errc::file_too_large, "tekst systemu");
        row("none", std::errc {}, "tekst systemu");
    }

    void failureReasons()
    {
        QFETCH(int, code);
        QFETCH(QString, reason);
        QCOMPARE(FailureReason(code, QStringLiteral("tekst systemu")), reason);
    }

    // The codes really reach the wording from Qt's file classes.
    void filesReportTheirReasonsInPolish()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("brak"));
        const QString noSuchFile = QStringLiteral("\nNie ma takiego pliku ani katalogu.");
        const QString directory = QStringLiteral("\nTo jest katalog, nie plik.");
        QVERIFY(failure([&] { ReadWholeFile(missing); }).endsWith(noSuchFile));
        QVERIFY(failure([&] { ReadWholeFile(dir.path()); }).endsWith(directory));
        QVERIFY(failure([&] {
            WriteWholeFile(missing + QStringLiteral("/plik"), "x");
        }).endsWith(noSuchFile));
        QVERIFY(failure([&] { WriteWholeFile(dir.path(), "x"); }).endsWith(directory));
    }
};

QTEST_MAIN(tst_Polish)
#include "tst_Polish.moc"
