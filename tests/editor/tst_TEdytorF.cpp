// The editor window with its file: OpenFile, byte-exact round trips, "Otwórz", "Zapisz",
// "Wyczyść", the modified flag and the close question, and saves that fail.
#include "Cascade.h"
#include "Cp1250.h"
#include "EditorTestSupport.h"
#include "Szukaj.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QWindow>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace vorida;
using namespace vorida::editor;
using namespace editortest;

namespace {

const char* const kCloseQuestion = "Plik nie został zapisany. Zapisać?";

QByteArray everyHighByte()
{
    QByteArray bytes;
    for (int b = 0x80; b <= 0xFF; ++b) {
        bytes += static_cast<char>(b);
        if (b % 32 == 31)
            bytes += "\r\n";
    }
    return bytes;
}

} // namespace

class tst_TEdytorF : public QObject
{
    Q_OBJECT

    std::unique_ptr<RecordingPlatform> platform;
    std::unique_ptr<ScopedPlatform> scope;
    std::unique_ptr<QTemporaryDir> dir;
    QPointer<TEdytorF> window;

    QString path(const char* name) const { return dir->filePath(QString::fromLatin1(name)); }
    TextArea* area() const { return window->Frame()->Editor(); }

    // Closes the window as the title-bar button does; true when it closed.
    bool tryClose()
    {
        const bool closed = window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    }

    void open(const QString& file)
    {
        window = new TEdytorF;
        window->OpenFile(file);
    }

private slots:
    void init()
    {
        platform = std::make_unique<RecordingPlatform>();
        scope = std::make_unique<ScopedPlatform>(*platform);
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void cleanup()
    {
        delete window.data();
        dir.reset();
        scope.reset();
        platform.reset();
    }

    void roundTripIsByteIdentical_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("every byte 0x80-0xFF, CR LF") << everyHighByte();
        QTest::newRow("Polish, CR LF, final break")
            << QByteArray("\xA3\xF3\x64\x9F \xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\r\n"
                          "1001\t5712345.12\t6543210.98   \r\n");
        QTest::newRow("LF only") << QByteArray("a\nb\n\nc  \n");
        QTest::newRow("CR only") << QByteArray("a\rb\r\rc");
        QTest::newRow("no final break") << QByteArray("x\r\ny");
        QTest::newRow("control bytes and NUL")
            << QByteArray("a\x01\x1A\x7F", 4) + QByteArray(1, '\0') + QByteArray("b\r\n");
        QTest::newRow("empty") << QByteArray();
    }

    void roundTripIsByteIdentical()
    {
        QFETCH(QByteArray, bytes);
        writeBytes(path("xy_LOK"), bytes);
        open(path("xy_LOK"));
        QCOMPARE(window->windowTitle(), path("xy_LOK"));
        QCOMPARE(window->Frame()->FileName(), path("xy_LOK"));
        QVERIFY(!area()->Modified());
        QCOMPARE(area()->CaretLine(), 1);
        QCOMPARE(area()->CaretColumn(), 1);
        QVERIFY(window->Frame()->SaveFile());
        QCOMPARE(readBytes(path("xy_LOK")), bytes);
    }

    // A big file goes in a piece of lines at a time: cut anywhere in its lines, it reads and
    // saves as the whole text does, and "Otwórz" expands the same tabs.
    void bigFileReadsAsTheWholeText_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("Windows-1250, CR LF, tabs")
            << QByteArray("\xA3\xF3\x64\x9F\t1.5\t\x80 x\r\n") << QByteArray();
        QTest::newRow("UTF-8 with a stray byte, LF")
            << QByteArray("\xC5\x81\xC3\xB3\x64\xC5\xBA\t\xB9\t1\n") << QByteArray("\xEF\xBB\xBF");
        QTest::newRow("CR only: one line end kind no piece cuts at")
            << QByteArray("a\tb\r") << QByteArray();
    }

    void bigFileReadsAsTheWholeText()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, head);
        QByteArray bytes = head;
        for (int i = 0; bytes.size() < 3 * 1024 * 1024; ++i)
            bytes += QByteArray(i % 13, ' ') + QByteArray::number(i) + line; // cuts fall anywhere
        writeBytes(path("xy_LOK"), bytes);
        open(path("xy_LOK"));
        const DecodedText whole = DecodeText(bytes.toStdString());
        QVERIFY(area()->Utf8() == whole.Utf8);
        QVERIFY(window->Frame()->SaveFile()); // byte for byte, the stray byte mended
        QVERIFY(readBytes(path("xy_LOK")).toStdString()
            == EncodeText(whole.Utf8, whole.Convention, whole.Encoding));

        delete window;
        open(path("nowy"));
        platform->ChosenFiles = { path("xy_LOK").toStdString() };
        window->Frame()->ToolbarButton975Click();
        QVERIFY(area()->Utf8() == ExpandTabsInText(whole.Utf8, 8));
        QVERIFY(window->Frame()->SaveFile());
        QVERIFY(readBytes(path("nowy"))
            == QByteArray::fromStdString(
                EncodeText(ExpandTabsInText(whole.Utf8, 8), whole.Convention, whole.Encoding)));
    }

    void polishLettersShowAndEditsKeepTheConvention()
    {
        writeBytes(path("Raport.txt"), QByteArray("\xA3\xF3\x64\x9F\nb\xB9\n"));
        open(path("Raport.txt"));
        QCOMPARE(area()->Line(0), QStringLiteral("Łódź"));
        QCOMPARE(area()->LineCount(), 3); // the final line break shows an empty last line
        area()->SetCaret(2, 3);
        typeText(area(), QStringLiteral("ę\tż"));
        QVERIFY(area()->Modified());
        QVERIFY(window->Frame()->SaveFile());
        QCOMPARE(
            readBytes(path("Raport.txt")), QByteArray("\xA3\xF3\x64\x9F\nb\xB9\xEA     \xBF\n"));
        QVERIFY(!area()->Modified());
    }

    void missingFileGivesAnEmptyWindowBoundToIt()
    {
        open(path("xy2000.1"));
        QCOMPARE(window->windowTitle(), path("xy2000.1"));
        QVERIFY(area()->Utf8().empty());
        QVERIFY(!area()->Modified());
        window->Frame()->ToolbarButton976Click(); // "Zapisz" creates the file
        QVERIFY(QFile::exists(path("xy2000.1")));
        QCOMPARE(readBytes(path("xy2000.1")), QByteArray());
        QVERIFY(tryClose());
        QVERIFY(platform->Log.empty());
        QVERIFY(window.isNull());
    }

    void otworzBringsTextIntoTheWindowsOwnFile()
    {
        writeBytes(path("xy_LOK"), "stary\ttekst\r\n");
        writeBytes(path("inny"), "1\t2\nnowy\n");
        open(path("xy_LOK"));
        QCOMPARE(area()->Line(0), QStringLiteral("stary\ttekst")); // OpenFile keeps tabs
        platform->ChosenFiles = { path("inny").toStdString() };
        window->Frame()->ToolbarButton975Click();
        QCOMPARE(area()->Line(0), QStringLiteral("1       2"));
        QVERIFY(area()->Modified());
        QCOMPARE(window->windowTitle(), path("xy_LOK"));
        QCOMPARE(window->Frame()->FileName(), path("xy_LOK"));
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(readBytes(path("xy_LOK")), QByteArray("1       2\nnowy\n"));
        QCOMPARE(readBytes(path("inny")), QByteArray("1\t2\nnowy\n"));
    }

    // "Otwórz" of a point file mixing every kind of tab: the whole text, byte for byte as
    // saved. Tab stops count characters, so a Polish letter (one byte on disk, two inside) is
    // one column.
    void otworzExpandsAMixedFile()
    {
        const QString file = QStringLiteral("\tpoczątek\r\n"
                                            "1234567\tx\r\n"
                                            "12345678\ty\r\n"
                                            "\t\t\tz\r\n"
                                            "ab\t\tc\r\n"
                                            "żółć\tźdźbło\tą\r\n"
                                            "\r\n"
                                            "bez tabulacji  \r\n"
                                            "Łódź 12\t\t3\t\r\n"
                                            "\t\r\n");
        const QString expanded = QStringLiteral("        początek\r\n"
                                                "1234567 x\r\n"
                                                "12345678        y\r\n"
                                                "                        z\r\n"
                                                "ab              c\r\n"
                                                "żółć    źdźbło  ą\r\n"
                                                "\r\n"
                                                "bez tabulacji  \r\n"
                                                "Łódź 12         3       \r\n"
                                                "        \r\n");
        writeBytes(path("inny"), QByteArray::fromStdString(Utf8ToCp1250(file.toStdString(), '?')));
        open(path("xy_LOK"));
        platform->ChosenFiles = { path("inny").toStdString() };
        window->Frame()->ToolbarButton975Click();
        QCOMPARE(area()->CaretLine(), 1);
        QCOMPARE(area()->CaretColumn(), 1);
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(QString::fromStdString(Cp1250ToUtf8(readBytes(path("xy_LOK")).toStdString())),
            expanded);
    }

    void otworzOfTheSameFileAsksOnClose()
    {
        writeBytes(path("xy_LOK"), "a\tb\r\n");
        open(path("xy_LOK"));
        platform->ChosenFiles = { path("xy_LOK").toStdString() };
        window->Frame()->ToolbarButton975Click();
        QCOMPARE(area()->Line(0), QStringLiteral("a       b"));
        platform->Answers = { Answer::Cancel };
        QVERIFY(!tryClose());
        QCOMPARE(kinds(*platform), QStringList({ "open", "yesnocancel" }));
    }

    void otworzCancelledOrUnreadableChangesNothing()
    {
        writeBytes(path("xy_LOK"), "a\tb\r\n");
        open(path("xy_LOK"));
        platform->ChosenFiles = { std::nullopt, path("brak").toStdString() };
        window->Frame()->ToolbarButton975Click();
        window->Frame()->ToolbarButton975Click();
        QCOMPARE(kinds(*platform), QStringList({ "open", "open", "message" }));
        QVERIFY(lastText(*platform).contains(path("brak")));
        QCOMPARE(area()->Line(0), QStringLiteral("a\tb"));
        QVERIFY(!area()->Modified());
        QCOMPARE(window->Frame()->FileName(), path("xy_LOK"));
    }

    void directoryOrHugeBinaryOpensWithoutHarm()
    {
        QDir(dir->path()).mkdir(QStringLiteral("katalog"));
        open(path("katalog"));
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        QCOMPARE(window->windowTitle(), QStringLiteral("---"));
        QVERIFY(window->Frame()->FileName().isEmpty());
        delete window;

        // 50 MB of every byte value loads, without a hang, and saves.
        QByteArray binary(50 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<char>((i * 7919) >> 3);
        writeBytes(path("dane.bin"), binary);
        open(path("dane.bin"));
        QCOMPARE(window->windowTitle(), path("dane.bin"));
        QVERIFY(window->Frame()->SaveFile());
    }

    void modifiedFlagTable()
    {
        writeBytes(path("f"), "abc\r\n");
        open(path("f"));
        TEdytorFrame* frame = window->Frame();
        QVERIFY(!area()->Modified());
        area()->SetCaret(1, 2);
        QTest::keyClick(area(), Qt::Key_Delete);
        QVERIFY(area()->Modified());
        frame->SaveFile();
        QVERIFY(!area()->Modified());
        frame->ExpandTabs();
        QVERIFY(!area()->Modified());
        area()->SendScintilla(QsciScintillaBase::SCI_SETSEL, 0UL, 1L);
        frame->findChild<QAction*>("Wytnij1")->trigger();
        QVERIFY(area()->Modified());
        frame->ToolbarButton974Click(); // "Wyczyść"
        QVERIFY(!area()->Modified());
        QVERIFY(area()->Utf8().empty());
        frame->ToolbarButton9711Click(); // the text back, and with it the flag
        QCOMPARE(text(*area()), QStringLiteral("c\n"));
        QVERIFY(area()->Modified());
    }

    // The flag follows the undo history: undo or redo back to the text as loaded or saved
    // clears it, and closing then asks nothing. Steps: t types a letter, u and r undo and redo,
    // s saves, o brings in another file ("Otwórz"), w is "Wyczyść".
    void modifiedFollowsTheSavedText_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("modified");
        QTest::newRow("typed and undone") << "tu" << false;
        QTest::newRow("typed twice, both undone") << "ttuu" << false;
        QTest::newRow("typed, undone, redone") << "tur" << true;
        QTest::newRow("saved, typed, undone") << "tstu" << false;
        QTest::newRow("saved, then undone past it") << "tsu" << true;
        QTest::newRow("saved, undone past it, redone") << "tsur" << false;
        QTest::newRow("Otwórz over edits, both undone") << "touu" << false;
        QTest::newRow("Otwórz over nothing, typed, undone") << "otu" << true;
        QTest::newRow("Wyczyść undone") << "wu" << true;
        QTest::newRow("Wyczyść undone and redone") << "wur" << false;
    }
    void modifiedFollowsTheSavedText()
    {
        QFETCH(QString, steps);
        QFETCH(bool, modified);
        writeBytes(path("f"), "abc\r\n");
        writeBytes(path("inny"), "inny\r\n");
        open(path("f"));
        TEdytorFrame* frame = window->Frame();
        for (const QChar step : steps) {
            switch (step.unicode()) {
            case 't':
                typeText(area(), QStringLiteral("x"));
                break;
            case 'u':
                frame->ToolbarButton9711Click();
                break;
            case 'r':
                area()->redo();
                break;
            case 's':
                QVERIFY(frame->SaveFile());
                break;
            case 'o':
                platform->ChosenFiles = { path("inny").toStdString() };
                frame->ToolbarButton975Click();
                break;
            case 'w':
                frame->ToolbarButton974Click();
                break;
            }
        }
        QCOMPARE(area()->Modified(), modified);
        QCOMPARE(window->findChild<QLabel*>("Zmieniony")->isVisibleTo(window), modified);
        QCOMPARE(tryClose(), !modified); // Cancel to the question, when asked
        QCOMPARE(platform->Log.size(), size_t(modified ? 1 : 0) + steps.count(u'o'));
    }

    // "zmieniony" beside the twelve buttons, none covered, at the window's own width.
    void zmienionyCoversNoButton()
    {
        open(path("f"));
        window->show();
        area()->SetModified(true);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->width(), 447);
        const auto* label = window->findChild<QLabel*>("Zmieniony");
        QVERIFY(label->isVisible());
        QVERIFY(label->mapTo(window, QPoint(0, 0)).x() >= 12 * 25);
    }

    // "Wyczyść" and "Otwórz" over unsaved edits are one undo step each: Ctrl+Z gives the text
    // back with the caret.
    void wyczyscAndOtworzCanBeUndone()
    {
        writeBytes(path("f"), "pierwsza\r\ndruga\r\n");
        writeBytes(path("inny"), "1\t2\r\n");
        open(path("f"));
        TEdytorFrame* frame = window->Frame();
        area()->SetCaret(2, 3);
        typeText(area(), "X");
        const QString edited = QStringLiteral("pierwsza\ndrXuga\n");
        QCOMPARE(text(*area()), edited);

        frame->ToolbarButton974Click(); // "Wyczyść"
        QVERIFY(area()->Utf8().empty());
        QVERIFY(!area()->Modified());
        QTest::keyClick(area(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text(*area()), edited);
        QCOMPARE(area()->CaretLine(), 2);
        QCOMPARE(area()->CaretColumn(), 4);
        QVERIFY(area()->Modified());

        platform->ChosenFiles = { path("inny").toStdString() };
        frame->ToolbarButton975Click(); // "Otwórz"
        QCOMPARE(text(*area()), QStringLiteral("1       2\n"));
        QTest::keyClick(area(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text(*area()), edited);
        QCOMPARE(area()->CaretLine(), 2);
        QCOMPARE(area()->CaretColumn(), 4);
        QTest::keyClick(area(), Qt::Key_Z, Qt::ControlModifier); // the typing before
        QCOMPARE(text(*area()), QStringLiteral("pierwsza\ndruga\n"));
    }

    // "Otwórz" over a text that holds nothing unsaved (its file as opened, or as saved) is not
    // an undo step: there is nothing to give back. After "Wyczyść" the flag is clear but the
    // undo history still holds the text, so it stays reachable.
    void otworzIsAnUndoStepOnlyOverUnsavedWork()
    {
        writeBytes(path("f"), "");
        writeBytes(path("inny"), "1\t2\r\n");
        writeBytes(path("trzeci"), "pierwsza\r\n");
        open(path("f"));
        TEdytorFrame* frame = window->Frame();
        platform->ChosenFiles = { path("inny").toStdString() };
        frame->ToolbarButton975Click();
        QCOMPARE(text(*area()), QStringLiteral("1       2\n"));
        QVERIFY(area()->Modified());
        QVERIFY(!area()->isUndoAvailable());

        frame->SaveFile();
        frame->ToolbarButton974Click(); // "Wyczyść"
        platform->ChosenFiles = { path("trzeci").toStdString() };
        frame->ToolbarButton975Click();
        QCOMPARE(text(*area()), QStringLiteral("pierwsza\n"));
        QTest::keyClick(area(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(area()->Utf8().empty());
        QTest::keyClick(area(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(text(*area()), QStringLiteral("1       2\n"));
    }

    void wyczyscThenCloseOrSave()
    {
        writeBytes(path("f"), "tekst\r\n");
        open(path("f"));
        window->Frame()->ToolbarButton974Click();
        QVERIFY(tryClose());
        QVERIFY(platform->Log.empty());
        QCOMPARE(readBytes(path("f")), QByteArray("tekst\r\n"));

        open(path("f"));
        window->Frame()->ToolbarButton974Click();
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(readBytes(path("f")), QByteArray());
    }

    void closeQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::newRow("Yes saves and closes") << int(Answer::Yes) << true << QByteArray("Xold\r\n");
        QTest::newRow("No closes without saving")
            << int(Answer::No) << true << QByteArray("old\r\n");
        QTest::newRow("Cancel keeps everything")
            << int(Answer::Cancel) << false << QByteArray("old\r\n");
    }

    void closeQuestion()
    {
        QFETCH(int, answer);
        QFETCH(bool, closes);
        QFETCH(QByteArray, fileAfter);
        writeBytes(path("f"), "old\r\n");
        open(path("f"));
        QTest::keyClicks(area(), "X");
        platform->Answers = { static_cast<Answer>(answer) };
        QCOMPARE(tryClose(), closes);
        QCOMPARE(kinds(*platform), QStringList({ "yesnocancel" }));
        // The file on a line of its own above the question.
        QCOMPARE(QString::fromStdString(platform->Log[0].Text),
            QDir::toNativeSeparators(path("f")) + "\r\r" + kCloseQuestion);
        QCOMPARE(window.isNull(), closes);
        QCOMPARE(readBytes(path("f")), fileAfter);
        if (!closes) {
            QVERIFY(area()->Modified());
            QCOMPARE(area()->Line(0), QStringLiteral("Xold"));
        }
    }

    void directoryInTheWayFailsTheSave()
    {
        open(path("xy2000"));
        QVERIFY(QDir(dir->path()).mkdir("xy2000")); // in the way after the window was opened
        QTest::keyClicks(area(), "abc");
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        QVERIFY(lastText(*platform).contains(path("xy2000")));
        QVERIFY(area()->Modified());

        platform->Answers = { Answer::Yes };
        QVERIFY(!tryClose()); // the save under Yes failed: the window stays
        QVERIFY(!window.isNull());
        QCOMPARE(kinds(*platform), QStringList({ "message", "yesnocancel", "message" }));
    }

    // A disk that fills up mid-save must leave the old file as it was.
    void fullDiskLeavesTheOldFileIntact()
    {
        const QByteArray old("stara zawartość\r\n");
        writeBytes(path("Raport.txt"), old);
        open(path("Raport.txt"));
        area()->insert(QString(4000, 'x')); // more than the limit below; typed key by key: 14 s
        QVERIFY(area()->Modified());

        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 1024;
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        window->Frame()->ToolbarButton976Click();
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);

        QCOMPARE(readBytes(path("Raport.txt")), old);
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        QVERIFY(area()->Modified());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList({ "Raport.txt" }));
    }

    void windowWithoutFileNameAsksForOneAndKeepsIt()
    {
        window = new TEdytorF;
        QTest::keyClicks(area(), "nowy");
        platform->ChosenFiles = { std::nullopt, path("nowy.txt").toStdString() };
        window->Frame()->ToolbarButton976Click(); // cancelled
        QVERIFY(area()->Modified());
        QCOMPARE(window->windowTitle(), QStringLiteral("---"));
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(readBytes(path("nowy.txt")), QByteArray("nowy"));
        QCOMPARE(window->windowTitle(), path("nowy.txt"));
        QCOMPARE(window->Frame()->FileName(), path("nowy.txt"));
        QVERIFY(!area()->Modified());
        QCOMPARE(kinds(*platform), QStringList({ "save", "save" }));
    }

    // Owned as a dialog is (X11 writes WM_TRANSIENT_FOR only for those), yet sizeable and with
    // the buttons of an ordinary window; the search dialog belongs to its editor.
    void ownedByTheMainWindowAndOwningItsSearch()
    {
        QWidget owner;
        owner.show();
        window = new TEdytorF(&owner);
        QVERIFY(window->isWindow());
        QCOMPARE(window->windowType(), Qt::Dialog);
        QCOMPARE(window->windowHandle()->transientParent(), owner.windowHandle());
        const Qt::WindowFlags buttons = Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
        QCOMPARE(window->windowFlags() & buttons, buttons);
        QVERIFY(window->minimumSize() != window->maximumSize());
        window->Frame()->ToolbarButton9712Click();
        QCOMPARE(window->Frame()->SearchDialog()->windowHandle()->transientParent(),
            window->windowHandle());
        delete window.data();
    }

    // Notepad's UTF-8 opens and saves as UTF-8; everything else stays Windows-1250. A letter
    // typed at the end of the first line shows which encoding the save uses.
    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QByteArray>("savedUnchanged");
        QTest::addColumn<QByteArray>("savedAfterTyping");
        const QByteArray bom("\xEF\xBB\xBF");
        QTest::newRow("UTF-8 with BOM") << bom
                + "\xC5\x81\xC3\xB3"
                  "d\xC5\xBA\r\n1 2\r\n"
                                        << "Łódź"
                                        << "UTF-8" << QByteArray()
                                        << bom
                + "\xC5\x81\xC3\xB3"
                  "d\xC5\xBA\xC5\xBC\r\n1 2\r\n";
        QTest::newRow("UTF-8 without BOM")
            << QByteArray("Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\n") << "Zażółć"
            << "UTF-8" << QByteArray()
            << QByteArray("Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87\xC5\xBC\n");
        QTest::newRow("BOM, ASCII") << bom + "abc"
                                    << "abc"
                                    << "UTF-8" << QByteArray() << bom + "abc\xC5\xBC";
        QTest::newRow("BOM, then a Windows-1250 byte: mended into UTF-8")
            << bom + "a\xB9\xC5\x81"
            << "aąŁ"
            << "UTF-8" << bom + "a\xC4\x85\xC5\x81" << bom + "a\xC4\x85\xC5\x81\xC5\xBC";
        QTest::newRow("Windows-1250") << QByteArray("\xA3\xF3"
                                                    "d\x9F\r\n")
                                      << "Łódź"
                                      << "Windows-1250" << QByteArray()
                                      << QByteArray("\xA3\xF3"
                                                    "d\x9F\xBF\r\n");
        QTest::newRow("ASCII") << QByteArray("abc\r\n") << "abc"
                               << "Windows-1250" << QByteArray() << QByteArray("abc\xBF\r\n");
        QTest::newRow("overlong UTF-8 is Windows-1250")
            << QByteArray("\xC0\xAF") << "ŔŻ"
            << "Windows-1250" << QByteArray() << QByteArray("\xC0\xAF\xBF");
        QTest::newRow("a surrogate is Windows-1250")
            << QByteArray("\xED\xA0\x80") << "í\u00A0€"
            << "Windows-1250" << QByteArray() << QByteArray("\xED\xA0\x80\xBF");
        QTest::newRow("UTF-8 cut short at the end is Windows-1250")
            << QByteArray("\xC5\x81\xC5") << "Ĺ\u0081Ĺ"
            << "Windows-1250" << QByteArray() << QByteArray("\xC5\x81\xC5\xBF");
    }

    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, firstLine);
        QFETCH(QString, label);
        QFETCH(QByteArray, savedUnchanged);
        QFETCH(QByteArray, savedAfterTyping);
        writeBytes(path("xy_LOK"), bytes);
        open(path("xy_LOK"));
        QCOMPARE(area()->Line(0), firstLine);
        QCOMPARE(window->Frame()->findChild<QLabel*>("Kodowanie")->text(), label);
        QVERIFY(window->Frame()->SaveFile());
        QCOMPARE(readBytes(path("xy_LOK")), savedUnchanged.isEmpty() ? bytes : savedUnchanged);
        area()->SetCaret(1, area()->LineEndColumn(1));
        typeText(area(), QStringLiteral("ż"));
        QVERIFY(window->Frame()->SaveFile());
        QCOMPARE(readBytes(path("xy_LOK")), savedAfterTyping);
        QVERIFY(platform->Log.empty());
    }

    // A second writer changes the file while the window is open: in place, by renaming a new
    // file over it, or deleting and making it again. The check runs as the watch would run it
    // (tst_DiskWatch tests the watch itself).
    void unmodifiedEditorReloadsKeepingCaretLineAndView_data()
    {
        QTest::addColumn<int>("writer");
        QTest::addColumn<int>("newLines");
        QTest::addColumn<int>("caretLine");
        QTest::newRow("in place, longer") << 0 << 90 << 40;
        QTest::newRow("renamed over it") << 1 << 90 << 40;
        QTest::newRow("deleted and made again") << 2 << 90 << 40;
        QTest::newRow("shorter than the caret's line") << 0 << 12 << 13; // the empty last line
    }

    void unmodifiedEditorReloadsKeepingCaretLineAndView()
    {
        QFETCH(int, writer);
        QFETCH(int, newLines);
        QFETCH(int, caretLine);
        const auto lines = [](const char* word, int count) {
            QByteArray text;
            for (int i = 1; i <= count; ++i)
                text += word + QByteArray::number(i) + "\r\n";
            return text;
        };
        writeBytes(path("Raport.txt"), lines("stary ", 80));
        open(path("Raport.txt"));
        area()->SetCaret(40, 5);
        area()->setFirstVisibleLine(30);
        const QString file = path("Raport.txt");
        if (writer == 0) {
            writeBytes(file, lines("nowy ", newLines));
        } else if (writer == 1) {
            writeBytes(path("Raport.tmp"), lines("nowy ", newLines));
            QFile::remove(file);
            QVERIFY(QFile::rename(path("Raport.tmp"), file));
        } else {
            QVERIFY(QFile::remove(file));
            window->Frame()->CheckDisk(); // a deleted file is not reloaded
            QCOMPARE(area()->Line(0), QStringLiteral("stary 1"));
            writeBytes(file, lines("nowy ", newLines));
        }
        window->Frame()->CheckDisk();
        QCOMPARE(area()->Line(0), QStringLiteral("nowy 1"));
        QVERIFY(platform->Log.empty());
        QVERIFY(!area()->Modified());
        QCOMPARE(area()->CaretLine(), caretLine);
        if (newLines > 40)
            QCOMPARE(area()->firstVisibleLine(), 30);

        // Its own save is no change from outside; a later change is seen again.
        QTest::keyClicks(area(), "x");
        QVERIFY(window->Frame()->SaveFile());
        window->Frame()->CheckDisk();
        QVERIFY(platform->Log.empty());
        writeBytes(file, "trzeci\r\n");
        window->Frame()->CheckDisk();
        QCOMPARE(area()->Line(0), QStringLiteral("trzeci"));
    }

    void modifiedEditorAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("textAfter");
        QTest::newRow("Yes loads the file") << int(Answer::Yes) << "nowy";
        QTest::newRow("No keeps the text") << int(Answer::No) << "Xstary";
    }

    void modifiedEditorAsks()
    {
        QFETCH(int, answer);
        QFETCH(QString, textAfter);
        writeBytes(path("xy2000.1"), "stary\r\n");
        open(path("xy2000.1"));
        QTest::keyClicks(area(), "X");
        // The same bytes written again are no change.
        writeBytes(path("xy2000.1"), "stary\r\n");
        window->Frame()->CheckDisk();
        QVERIFY(platform->Log.empty());

        platform->Answers = { static_cast<Answer>(answer) };
        writeBytes(path("xy2000.1"), "nowy\r\n");
        window->Frame()->CheckDisk();
        QCOMPARE(platform->Log.size(), size_t(1));
        QVERIFY(QString::fromStdString(platform->Log[0].Text)
                    .startsWith(QDir::toNativeSeparators(path("xy2000.1"))
                        + "\r\rPlik na dysku "
                          "został zmieniony"));
        QCOMPARE(area()->Line(0), textAfter);
        QCOMPARE(area()->Modified(), answer != int(Answer::Yes));
        // Answered once: "Zapisz" writes over that version without asking again.
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(platform->Log.size(), size_t(1));
        QCOMPARE(readBytes(path("xy2000.1")), textAfter.toLatin1() + "\r\n");
    }

    // "Zapisz" over a file changed or deleted since it was loaded, before any check saw it.
    void saveOverAChangedFileAsks_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("fileAfter");
        QTest::newRow("changed, No") << false << int(Answer::No) << QByteArray("obcy\r\n");
        QTest::newRow("changed, Yes") << false << int(Answer::Yes) << QByteArray("Xmój\r\n");
        QTest::newRow("deleted, No") << true << int(Answer::No) << QByteArray("<unreadable>");
        QTest::newRow("deleted, Yes") << true << int(Answer::Yes) << QByteArray("Xmój\r\n");
    }

    void saveOverAChangedFileAsks()
    {
        QFETCH(bool, deleted);
        QFETCH(int, answer);
        QFETCH(QByteArray, fileAfter);
        writeBytes(path("xy_LOK"), "mój\r\n");
        open(path("xy_LOK"));
        QTest::keyClicks(area(), "X");
        if (deleted)
            QFile::remove(path("xy_LOK"));
        else
            writeBytes(path("xy_LOK"), "obcy\r\n");
        platform->Answers = { static_cast<Answer>(answer) };
        QCOMPARE(window->Frame()->SaveFile(), answer == int(Answer::Yes));
        QCOMPARE(kinds(*platform), QStringList({ "yesnocancel" }));
        QVERIFY(lastText(*platform).contains(
            deleted ? "został usunięty z dysku" : "został zmieniony od chwili wczytania"));
        QCOMPARE(readBytes(path("xy_LOK")), fileAfter);
        QCOMPARE(area()->Modified(), answer != int(Answer::Yes));
    }

    // The main window's run holds the checks; the editors look when it is over.
    void heldChecksRunWhenTheHoldGoes()
    {
        writeBytes(path("Raport.txt"), "stary\r\n");
        open(path("Raport.txt"));
        {
            DiskCheckHold hold;
            writeBytes(path("Raport.txt"), "nowy\r\n");
            window->Frame()->CheckDisk(); // as the watch or an activation would
            QCOMPARE(area()->Line(0), QStringLiteral("stary"));
        }
        QTRY_COMPARE(area()->Line(0), QStringLiteral("nowy"));
    }

    void readOnlyFileCannotBeSaved()
    {
        writeBytes(path("xy_LOK"), "tekst\r\n");
        QFile::setPermissions(path("xy_LOK"), QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        open(path("xy_LOK"));
        QTest::keyClicks(area(), "X");
        window->Frame()->ToolbarButton976Click();
        QCOMPARE(kinds(*platform), QStringList({ "message" }));
        QVERIFY(lastText(*platform).startsWith("Nie można zapisać pliku"));
        QVERIFY(lastText(*platform).contains("tylko do odczytu"));
        QCOMPARE(readBytes(path("xy_LOK")), QByteArray("tekst\r\n"));
        QFile::setPermissions(path("xy_LOK"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Where a new editor goes on a 1280 x 1024 screen, frames of 449 x 371: the open editors
    // at their real places, which the window manager may have nudged from the asked ones.
    void cascadePlaces_data()
    {
        QTest::addColumn<QList<QPoint>>("taken"); // the last is the last opened
        QTest::addColumn<QPoint>("place");
        const QPoint first(831, 653); // the screen's bottom right corner
        QTest::newRow("the first") << QList<QPoint>() << first;
        QTest::newRow("one step on") << QList<QPoint> { { 100, 100 } } << QPoint(128, 128);
        QTest::newRow("past the edge: the top-left corner")
            << QList<QPoint> { first } << QPoint(0, 0);
        QTest::newRow("pushed back 5 px by the window manager")
            << QList<QPoint> { { 0, 0 }, { 831, 653 }, { 826, 648 } } << QPoint(28, 28);
        QTest::newRow("the next step taken: the one after")
            << QList<QPoint> { { 56, 56 }, { 0, 0 } } << QPoint(28, 28);
        QTest::newRow("a diagonal full: the next one right") << QList<QPoint> { { 0, 0 },
            { 28, 28 }, { 56, 56 }, { 84, 84 }, { 112, 112 }, { 140, 140 }, { 168, 168 },
            { 196, 196 }, { 224, 224 }, { 252, 252 }, { 280, 280 }, { 308, 308 }, { 336, 336 },
            { 364, 364 }, { 392, 392 }, { 420, 420 }, { 448, 448 }, { 476, 476 }, { 504, 504 },
            { 532, 532 }, { 560, 560 }, { 588, 588 }, { 616, 616 }, { 644, 644 }, { 831, 653 } }
                                                             << QPoint(28, 0);
    }
    void cascadePlaces()
    {
        QFETCH(QList<QPoint>, taken);
        QFETCH(QPoint, place);
        CascadeRoom room;
        room.Screen = QRect(0, 0, 1280, 1024);
        room.Frame = QSize(449, 371);
        room.First = QPoint(831, 653);
        room.Taken = taken;
        if (!taken.isEmpty())
            room.Last = taken.constLast();
        QCOMPARE(CascadePlace(room), place);
    }

    void ownerClosingTakesEditorsWithoutAsking()
    {
        auto* owner = new QWidget;
        owner->show();
        window = new TEdytorF(owner);
        QTest::keyClicks(area(), "niezapisane");
        owner->hide();
        QVERIFY(tryClose());
        QVERIFY(platform->Log.empty());
        delete owner;
        QVERIFY(window.isNull());
    }
};

QTEST_MAIN(tst_TEdytorF)
#include "tst_TEdytorF.moc"
