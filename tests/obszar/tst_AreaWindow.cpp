// The "Kontrola obszaru" window shows what vorida-cli prints and saves what it writes: its
// tables and summary against the tool's text for three areas (a blunder, points left out with
// the tick and the other direction, check points), its saved report and picture against the
// tool's files byte for byte, and the main window's right-click that starts it.
#include "AreaWindow.h"
#include "MapView.h"
#include "SavedTexts.h"

#include "RecordingPlatform.h"
#include "UTransPKTF.h"
#include "ui_UTransPKTF.h"

#include "Cp1250.h"
#include "Numbers.h"
#include "System.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

using namespace vorida;
using namespace vorida::obszar;

namespace {

struct ToolRun
{
    int Status = -1;
    QString Out, Err;
};

ToolRun runTool(const QStringList& args)
{
    QProcess tool;
    tool.start(QStringLiteral(VORIDA_BIN "/vorida-cli"), args);
    tool.waitForFinished(-1);
    return { tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
        QString::fromUtf8(tool.readAllStandardError()) };
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The rows of round r's table of fit --loo (from 0): name -> the cells after it.
QMap<QString, QStringList> roundRows(const QString& text, int r = 0)
{
    QMap<QString, QStringList> rows;
    bool inTable = false;
    int table = -1;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QStringLiteral("nazwa"))) {
            inTable = ++table == r;
            continue;
        }
        if (!inTable)
            continue;
        if (line.startsWith(QStringLiteral("RMS v")))
            break;
        QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString name = words.takeFirst();
        QStringList cells = words.mid(0, 5);
        cells << QStringList(words.mid(5)).join(QLatin1Char(' '));
        rows[name] = cells;
    }
    return rows;
}

} // namespace

class tst_AreaWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    RecordingPlatform platform_;
    std::unique_ptr<ScopedPlatform> scope_;

    QString path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }

    // The window on area, with the points named left out by their ticks.
    std::unique_ptr<AreaWindow> open(
        const QString& area, const QStringList& leftOut, bool toLocal, const QString& checks = {})
    {
        auto w = std::make_unique<AreaWindow>();
        w->resize(1200, 700);
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            return nullptr;
        if (!w->OpenArea(area.toStdString()) || !w->WaitForComputation())
            return nullptr;
        w->SetDirection(toLocal ? Direction::NationalToLocal : Direction::LocalToNational);
        if (!checks.isEmpty())
            w->OpenChecks(checks.toStdString());
        for (const QString& name : leftOut) {
            const auto found = w->PointModel().findItems(name, Qt::MatchExactly, kName);
            if (found.size() != 1)
                return nullptr;
            w->PointModel().item(found[0]->row(), kLeftOut)->setCheckState(Qt::Checked);
        }
        return w->WaitForComputation() ? std::move(w) : nullptr;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        scope_ = std::make_unique<ScopedPlatform>(platform_);
        platform_.ExeDirectory = VORIDA_BIN;
        // The sample area, and the same with a 10 cm blunder at 1013 and a 50 cm one at 1019.
        QByteArray sample = readAll(QStringLiteral(VORIDA_EXAMPLES "/TRANSPKT.txt"));
        QByteArray bad;
        for (QByteArray line : sample.split('\n')) {
            QList<QByteArray> w = line.split('\t');
            if (w.size() == 5 && w[0] == "1013")
                w[3] = QByteArray::number(w[3].toDouble() + 0.1, 'f', 3);
            if (w.size() == 5 && w[0] == "1019")
                w[4] = QByteArray::number(w[4].toDouble() + 0.5, 'f', 3);
            bad += w.join('\t') + '\n';
        }
        QFile f(path(QStringLiteral("bad.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bad);
        f.close();
        QCOMPARE(
            runTool({ "pack", VORIDA_EXAMPLES "/TRANSPKT.txt", "-o", path("clean.bin") }).Status,
            0);
        QCOMPARE(runTool({ "pack", path("bad.txt"), "-o", path("bad.bin") }).Status, 0);
        // The sample check points with a name repeated and an adjustment point's position among
        // them: verify warns of both.
        QFile checks(path(QStringLiteral("checks.txt")));
        QVERIFY(checks.open(QIODevice::WriteOnly));
        checks.write(readAll(QStringLiteral(VORIDA_EXAMPLES "/check-points.txt"))
            + "K-01 29627.5675 19998.1925 5855244.333608 6483024.024246\n"
              "K-99 28448.324 19854.493 5854065.687 6482876.236\n");
    }

    void tablesAndSummaryAgainstTheTool_data()
    {
        QTest::addColumn<QString>("area");
        QTest::addColumn<QStringList>("leftOut");
        QTest::addColumn<bool>("toLocal");
        QTest::addColumn<QString>("checks");
        QTest::addColumn<QString>("blunders");
        QTest::newRow("two blunders")
            << "bad.bin" << QStringList() << false << QString() << "1019, 1013";
        QTest::newRow("left out, to local")
            << "bad.bin" << QStringList { "1019", "1013" } << true << QString() << "brak";
        QTest::newRow("check points") << "clean.bin" << QStringList { "P-21" } << false
                                      << QStringLiteral("checks.txt") << "brak";
    }

    void tablesAndSummaryAgainstTheTool()
    {
        QFETCH(QString, area);
        QFETCH(QStringList, leftOut);
        QFETCH(bool, toLocal);
        QFETCH(QString, checks);
        QFETCH(QString, blunders);
        if (!checks.isEmpty())
            checks = path(checks);
        auto w = open(path(area), leftOut, toLocal, checks);
        QVERIFY(w);
        QStringList common { "--area", path(area) };
        if (!leftOut.isEmpty())
            common << "--exclude" << leftOut.join(QLatin1Char(','));
        if (toLocal)
            common << "--to-local";
        const ToolRun loo = runTool(QStringList { "fit", "--loo" } + common);
        const ToolRun fit = runTool(QStringList { "fit" } + common);
        QCOMPARE(loo.Status, 0);
        QCOMPARE(fit.Status, 0);

        // Every point of the first round, cell by cell; the points left out have no figures.
        w->ShowRound(0);
        const auto rows = roundRows(loo.Out);
        QCOMPARE(rows.size(), w->PointModel().rowCount() - leftOut.size());
        for (int r = 0; r < w->PointModel().rowCount(); ++r) {
            const QString name = w->PointModel().item(r, kName)->text();
            if (leftOut.contains(name)) {
                QVERIFY(w->PointModel().item(r, kLooV)->text().isEmpty());
                continue;
            }
            QVERIFY2(rows.contains(name), qPrintable(name));
            QStringList shown;
            for (int c : { kLooVx, kLooVy, kLooV, kThreshold, kDetectable, kFlags })
                shown << w->PointModel().item(r, c)->text();
            // A point named in a later round says so.
            shown.last().remove(
                QRegularExpression(QStringLiteral("(, )?błąd gruby\\? w rundzie \\d")));
            QCOMPARE(shown, rows[name]);
        }
        // The summary's every line is the tool's, and every warning of the tool is there.
        QString tool = loo.Out + loo.Err + fit.Out, warnings = loo.Err;
        if (!checks.isEmpty()) {
            const ToolRun verify = runTool(QStringList { "verify", checks } + common);
            QCOMPARE(verify.Status, 0);
            tool += verify.Out + verify.Err;
            warnings += verify.Err;
            QVERIFY(verify.Err.contains(QStringLiteral("K-99 (linia")));
            const QStringList lines = verify.Out.split(QLatin1Char('\n'));
            int row = 0;
            for (const QString& line : lines) {
                const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                if (words.size() < 6 || !words[0].startsWith(QStringLiteral("K-")))
                    continue;
                QCOMPARE(w->CheckModel().item(row, kCheckName)->text(), words[0]);
                QCOMPARE(w->CheckModel().item(row, kCheckV)->text(), words[3]);
                QCOMPARE(w->CheckModel().item(row, kCheckNearest)->text(), words[4]);
                QCOMPARE(w->CheckModel().item(row, kCheckPlace)->text(), words.mid(5).join(' '));
                ++row;
            }
            QCOMPARE(row, w->CheckModel().rowCount());
        }
        const QStringList toolLines = tool.split(QLatin1Char('\n'));
        const QString summary = w->SummaryText();
        for (const QString& line : summary.split(QLatin1Char('\n')))
            QVERIFY2(toolLines.contains(line), qPrintable(line));
        for (const QString& line : warnings.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            QVERIFY2(summary.contains(line), qPrintable(line));
        QVERIFY(summary.contains(QStringLiteral("po jednym): ") + blunders + QLatin1Char('\n'))
            || summary.endsWith(QStringLiteral("po jednym): ") + blunders));
        QVERIFY(summary.contains(QStringLiteral("m0 = ")));
        // The picture is plot's of the points kept (the table's screening taken over when the
        // direction is plot's).
        const AreaPicture& shown = *w->Check().Picture;
        QCOMPARE(
            shown.Points.size(), w->Area()->Points.size() - static_cast<size_t>(leftOut.size()));
        const AreaPicture plot = PrepareAreaPicture(
            shown.Points, shown.AreaName, shown.SystemCode, shown.Checks, kDefaultTolerance, 1);
        QCOMPARE(shown.NamedAsBlunder, plot.NamedAsBlunder);
        for (size_t i = 0; i < plot.Points.size(); ++i)
            QVERIFY(shown.Loo->Points[i].V == plot.Loo->Points[i].V
                && shown.Loo->Points[i].Threshold == plot.Loo->Points[i].Threshold);
    }

    void savedFilesAreTheToolsOwn()
    {
        const QString checks = QStringLiteral(VORIDA_EXAMPLES "/check-points.txt");
        auto w = open(path("bad.bin"), { "1013" }, false, checks);
        QVERIFY(w);
        platform_.ChosenFiles
            = { path("report.txt").toStdString(), path("area.svg").toStdString() };
        w->SaveReport();
        w->SavePicture(false);
        QVERIFY2(platform_.Messages().empty(),
            platform_.Messages().empty() ? "" : platform_.Messages()[0].c_str());
        const QStringList common { "--area", path("bad.bin"), "--exclude", "1013" };
        const ToolRun loo = runTool(QStringList { "fit", "--loo" } + common);
        const ToolRun verify = runTool(QStringList { "verify", checks } + common);
        QCOMPARE(readAll(path("report.txt")),
            QByteArray::fromStdString(
                AsProgramText((loo.Out + QLatin1Char('\n') + verify.Out).toStdString())));
        QVERIFY(readAll(path("report.txt")).contains("\r\n"));
        QCOMPARE(runTool(QStringList { "plot", "--check", checks, "-o", path("tool.svg") } + common)
                     .Status,
            0);
        QCOMPARE(readAll(path("area.svg")), readAll(path("tool.svg")));

        // The view: plot at the view's scale, centred on the point nearest its middle.
        w->Map().CentreOn(5);
        w->Map().ZoomBy(2.0);
        platform_.ChosenFiles = { path("view.svg").toStdString() };
        w->SavePicture(true);
        const auto view = w->CurrentView();
        QVERIFY(view);
        QCOMPARE(Cp1250ToUtf8(w->Check().Picture->Points[view->Centre].Name), std::string("ośn.7"));
        QStringList plotView { "plot", "--check", checks, "-o", path("tool-view.svg") };
        plotView << "--scale" << QString::fromStdString(FormatDecimals(view->Scale, 0))
                 << "--center" << QStringLiteral("ośn.7");
        QCOMPARE(runTool(plotView + common).Status, 0);
        QCOMPARE(readAll(path("view.svg")), readAll(path("tool-view.svg")));
    }

    // The window's saves keep what the file is, as the tool's do: a write-protected file is
    // refused and stays; a file with a second name is written in place, so both names see the
    // new bytes.
    void savesKeepWhatTheFileIs()
    {
        auto w = open(path("clean.bin"), {}, false);
        QVERIFY(w);
        const QByteArray old("stary raport\r\n");
        for (const char* name : { "protected.txt", "linked.txt" }) {
            QFile f(path(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(old);
        }
        namespace fs = std::filesystem;
        fs::permissions(path("protected.txt").toStdString(),
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::create_hard_link(
            path("linked.txt").toStdString(), path("other-name.txt").toStdString());

        platform_.Log.clear();
        platform_.ChosenFiles = { path("protected.txt").toStdString() };
        w->SaveReport();
        QCOMPARE(platform_.Messages().size(), size_t { 1 });
        QVERIFY2(platform_.Messages()[0].find("plik tylko do odczytu") != std::string::npos,
            platform_.Messages()[0].c_str());
        QCOMPARE(readAll(path("protected.txt")), old);

        platform_.Log.clear();
        platform_.ChosenFiles = { path("linked.txt").toStdString() };
        w->SavePicture(false);
        QVERIFY(platform_.Messages().empty());
        QVERIFY(readAll(path("linked.txt")).startsWith("<?xml"));
        QCOMPARE(readAll(path("other-name.txt")), readAll(path("linked.txt")));
        QCOMPARE(fs::hard_link_count(path("linked.txt").toStdString()), std::uintmax_t { 2 });
    }

    // The window saves what it shows: an area file changed on disk after it was opened leaves the
    // saved report that of the area shown, until the offer to load it again is taken (the tick
    // kept by name).
    void changedAreaFileIsOfferedAndTheReportStaysWhatIsShown()
    {
        const QString area = path("changing.bin");
        QFile::remove(area);
        QVERIFY(QFile::copy(path("clean.bin"), area));
        auto w = open(area, { "1007" }, false);
        QVERIFY(w);
        platform_.Log.clear();
        platform_.Answers = { Answer::No };
        QFile::remove(area);
        QVERIFY(QFile::copy(path("bad.bin"), area));
        auto questions = [this] {
            return static_cast<int>(std::count_if(platform_.Log.begin(), platform_.Log.end(),
                [](const auto& shown) { return shown.Kind == "yesnocancel"; }));
        };
        QTRY_COMPARE(questions(), 1); // the watch noticed and asked
        QVERIFY(platform_.Log[0].Text.find("zmienił się na dysku") != std::string::npos);
        QVERIFY(w->Check().Screened->Blunders.empty()); // "No": the area shown stays

        platform_.ChosenFiles = { path("kept.txt").toStdString() };
        w->SaveReport();
        const ToolRun clean
            = runTool({ "fit", "--loo", "--area", path("clean.bin"), "--exclude", "1007" });
        QCOMPARE(readAll(path("kept.txt")),
            QByteArray::fromStdString(AsProgramText(clean.Out.toStdString())));
        w->CheckAreaOnDisk(); // answered for: not asked again
        QCOMPARE(questions(), 1);

        // Changed once more, and taken: the new area with the tick kept.
        QFile::remove(area);
        QVERIFY(QFile::copy(path("clean.bin"), area));
        QFile::remove(area);
        QVERIFY(QFile::copy(path("bad.bin"), area));
        QFile bad(area);
        QVERIFY(bad.open(QIODevice::Append));
        bad.write("\0", 1); // other bytes, the same points
        bad.close();
        platform_.Answers = { Answer::Yes };
        QTRY_COMPARE(questions(), 2);
        QVERIFY(w->WaitForComputation());
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(2));
        const int row = w->PointModel().findItems("1007", Qt::MatchExactly, kName)[0]->row();
        QCOMPARE(w->PointModel().item(row, kLeftOut)->checkState(), Qt::Checked);
    }

    // A table leaves the window: Ctrl+A and Ctrl+C put its rows on the clipboard tab-separated,
    // and it saves as CSV in the four forms.
    void tableCopiedAndSavedAsCsv()
    {
        auto w = open(path("bad.bin"), {}, false);
        QVERIFY(w);
        QTableView& table = w->PointTable();
        table.setFocus();
        QTest::keyClick(&table, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), w->PointModel().rowCount() + 2); // titles, rows, the last "\n"
        QCOMPARE(lines[0].split(QLatin1Char('\t')).size(), int(kPointColumns));
        QVERIFY(lines[0].startsWith(QStringLiteral("Pomiń\tNazwa\tvx [mm]")));
        QVERIFY(lines[0].endsWith(
            QStringLiteral("Uwagi\tx lok. [m]\ty lok. [m]\tx 2000 [m]\ty 2000 [m]")));
        const QStringList first = lines[1].split(QLatin1Char('\t'));
        QCOMPARE(first[kName], w->PointModel().item(0, kName)->text());
        QCOMPARE(first[kLooV], w->PointModel().item(0, kLooV)->text());

        platform_.ChosenFiles = { path("table.csv").toStdString() };
        w->SaveTable({ false, true });
        const QByteArray csv = readAll(path("table.csv"));
        QVERIFY(csv.startsWith("Pomi\xF1;Nazwa;vx [mm];")); // Windows-1250
        QVERIFY(csv.contains("\r\n"));
        QVERIFY(csv.contains(";o\x9Cn.7;")); // a name keeps its point: "ośn.7"
        QVERIFY(csv.contains(";5855748,266;6480149,487\r\n")); // 1016 with decimal commas
    }

    void csvForms_data()
    {
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<bool>("polish");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("1250 ,") << false << false
                                << QByteArray("Nazwa,v [mm]\r\n\"a,b\",12.5\r\n\"\"\"q\"\"\",-\r\n"
                                              "\x9C;1,-0.1\r\n");
        QTest::newRow("1250 ;") << false << true
                                << QByteArray("Nazwa;v [mm]\r\na,b;12,5\r\n\"\"\"q\"\"\";-\r\n"
                                              "\"\x9C;1\";-0,1\r\n");
        QTest::newRow("UTF-8 ;") << true << true
                                 << QByteArray("\xEF\xBB\xBFNazwa;v [mm]\r\na,b;12,5\r\n"
                                               "\"\"\"q\"\"\";-\r\n\"\xC5\x9B;1\";-0,1\r\n");
    }

    void csvForms()
    {
        QFETCH(bool, utf8);
        QFETCH(bool, polish);
        QFETCH(QByteArray, bytes);
        TableText table;
        table.Header = { "Nazwa", "v [mm]" };
        table.Rows = { { "a,b", "12.5" }, { "\"q\"", "-" }, { "ś;1", "-0.1" } };
        table.Numeric = { false, true };
        QCOMPARE(QByteArray::fromStdString(CsvBytes(table, { utf8, polish })), bytes);
    }

    // The window opens on the final round of the screening; a point named in an earlier round
    // shows the figures of the round that named it; every round can be shown, with its figures.
    void finalRoundAndEachRound()
    {
        auto w = open(path("bad.bin"), {}, false);
        QVERIFY(w);
        const ToolRun loo = runTool({ "fit", "--loo", "--area", path("bad.bin") });
        const Screening& screened = *w->Check().Screened;
        QCOMPARE(screened.Rounds.size(), size_t(3));
        QCOMPARE(w->Check().Round, size_t(2));
        for (int shownRound : { 2, 1, 0 }) {
            w->ShowRound(static_cast<size_t>(shownRound));
            for (int r = 0; r < w->PointModel().rowCount(); ++r) {
                const PointRow& row = w->Check().Rows[static_cast<size_t>(r)];
                const int of = row.NamedIn && int(*row.NamedIn) < shownRound ? int(*row.NamedIn)
                                                                             : shownRound;
                const QStringList tool
                    = roundRows(loo.Out, of).value(w->PointModel().item(r, kName)->text());
                QStringList shown;
                for (int c : { kLooVx, kLooVy, kLooV, kThreshold, kDetectable })
                    shown << w->PointModel().item(r, c)->text();
                QCOMPARE(shown, tool.mid(0, 5));
                // A red row is over its threshold in the figures it shows.
                if (row.Flags & kNamedBlunder)
                    QVERIFY(row.Loo->V > row.Loo->Threshold);
            }
            const QString title = QStringLiteral("Runda %1: ").arg(shownRound + 1);
            QVERIFY(w->SummaryText().contains(QLatin1Char('\n') + title));
            QVERIFY(loo.Out.contains(title));
        }
        w->ShowRound(2);
        const int row1019 = w->PointModel().findItems("1019", Qt::MatchExactly, kName)[0]->row();
        QCOMPARE(
            w->PointModel().item(row1019, kFlags)->text(), QStringLiteral("błąd gruby? (runda 1)"));
    }

    void tickClickAndRow()
    {
        auto w = open(path("bad.bin"), {}, false);
        QVERIFY(w);
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(2));
        // The tick leaves 1019 out: the screening follows at once; unticked, it is back.
        const int row = w->PointModel().findItems("1019", Qt::MatchExactly, kName)[0]->row();
        w->PointModel().item(row, kLeftOut)->setCheckState(Qt::Checked);
        QVERIFY(w->WaitForComputation());
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(1));
        QVERIFY(w->SummaryText().contains(QStringLiteral("Wyłączone z oceny: 1019\n")));
        w->PointModel().item(row, kLeftOut)->setCheckState(Qt::Checked); // no change
        w->PointModel().item(row, kLeftOut)->setCheckState(Qt::Unchecked);
        QVERIFY(w->WaitForComputation());
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(2));
        QVERIFY(w->Check().Rows[static_cast<size_t>(row)].Flags & kNamedBlunder);

        // A click on a point selects its row; a row centres its point; a blunder is named.
        w->Map().repaint();
        QCOMPARE(w->Map().BlunderNamesShown(), size_t(2));
        QTest::mouseClick(&w->Map(), Qt::LeftButton, {}, w->Map().PixelOf(20).toPoint());
        const QModelIndex current = w->PointTable().currentIndex();
        QVERIFY(current.isValid());
        auto* sort = static_cast<QSortFilterProxyModel*>(w->PointTable().model());
        QCOMPARE(sort->mapToSource(current).row(), 20);
        w->PointTable().sortByColumn(kLooV, Qt::DescendingOrder);
        w->PointTable().setCurrentIndex(sort->index(0, kName));
        const QPointF middle(w->Map().width() / 2.0, w->Map().height() / 2.0);
        QVERIFY(QLineF(w->Map().PixelOf(static_cast<size_t>(row)), middle).length() < 1.0);
    }

    // The map on screen at several zooms: arrows keep their length, the scale shown is the
    // screen's, no name or length runs into another or into the legend and the scale bars, and
    // the check points are named.
    void mapKeepsItsFurnitureAndLabelsApart()
    {
        auto w = open(path("bad.bin"), {}, false, path("checks.txt"));
        QVERIFY(w);
        MapView& map = w->Map();
        map.repaint();
        const double arrows = map.ArrowPixelsPerMm(), scale = map.ScreenScale();
        QCOMPARE(map.Furniture().size(), size_t(3)); // north arrow, scale bars, legend
        QVERIFY(map.NamesShown() > w->Check().Picture->Points.size()); // check points too
        for (const double zoom : { 1.0, 2.5, 12.0, 60.0 }) {
            map.CentreOn(12);
            map.ZoomBy(zoom / map.Zoom());
            map.repaint();
            QCOMPARE(map.ArrowPixelsPerMm(), arrows);
            QVERIFY(std::abs(map.ScreenScale() * zoom / scale - 1.0) < 1e-9);
            const std::vector<QRectF>& boxes = map.LabelBoxes();
            for (size_t i = 0; i < boxes.size(); ++i) {
                for (size_t j = i + 1; j < boxes.size(); ++j)
                    QVERIFY2(!boxes[i].intersects(boxes[j]), qPrintable(QString::number(zoom)));
                for (const QRectF& f : map.Furniture())
                    QVERIFY(!boxes[i].intersects(f));
            }
        }
        map.ShowLegend(false);
        map.repaint();
        QCOMPARE(map.Furniture().size(), size_t(2));
    }

    // The printed copy: every page headed with the file's name and the date and numbered,
    // the map with its legend and scales, every table's rows and the summary, wrapped.
    void printedCopy()
    {
        auto w = open(path("bad.bin"), { "1005" }, false, path("checks.txt"));
        QVERIFY(w);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path("copy.pdf"));
        const int pages = w->PrintTo(printer);
        QVERIFY(pages >= 3);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), { "-layout", path("copy.pdf"), "-" });
        if (!text.waitForFinished(-1) || text.exitCode() != 0)
            QSKIP("pdftotext is not there");
        const QString all = QString::fromUtf8(text.readAllStandardOutput());
        const QStringList paper = all.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QCOMPARE(paper.size(), pages);
        for (int p = 0; p < pages; ++p) {
            QVERIFY(paper[p].contains(QStringLiteral("Strona %1 z %2").arg(p + 1).arg(pages)));
            QVERIFY(paper[p].contains(QStringLiteral("bad.bin")));
            QVERIFY(paper[p].contains(QDate::currentDate().toString(Qt::ISODate)));
        }
        QVERIFY(paper[0].contains(QStringLiteral("skala wydruku ok. 1:")));
        QVERIFY(paper[0].contains(QStringLiteral("odchyłka przy pominięciu punktu")));
        for (const char* name : { "1001", "1035", "żwir.4", "K-01", "K-10", "K-99" })
            QVERIFY2(all.count(QRegularExpression(
                         QStringLiteral("(^|\\s)") + QString::fromUtf8(name) + "\\s"))
                    >= 1,
                qPrintable(name));
        // The longest summary line, wrapped, keeps its last word.
        QString longest;
        for (const QString& line : w->SummaryText().split(QLatin1Char('\n')))
            if (line.size() > longest.size())
                longest = line;
        QVERIFY(longest.size() > 150);
        QVERIFY(all.contains(longest.section(QLatin1Char(' '), -1)));
    }

    // The computation runs off the window's thread: a tick while one runs starts afresh, Esc
    // stops it (the ticks stay, no figures shown), the next change computes again; Esc with
    // points ticked asks before it closes.
    void cancelledComputationAndClosingWithTicks()
    {
        auto w = open(path("bad.bin"), {}, false);
        QVERIFY(w);
        auto tick = [&w](const char* name, Qt::CheckState state) {
            const int row = w->PointModel().findItems(name, Qt::MatchExactly, kName)[0]->row();
            w->PointModel().item(row, kLeftOut)->setCheckState(state);
        };
        tick("1019", Qt::Checked);
        tick("1013", Qt::Checked); // before the first is shown
        QVERIFY(w->WaitForComputation());
        QVERIFY(w->Check().Screened->Blunders.empty());
        tick("1013", Qt::Unchecked);
        QTest::keyClick(w.get(), Qt::Key_Escape); // stops it; the window stays
        QVERIFY(w->isVisible());
        QVERIFY(w->Check().Refusal.find("przerwano") != std::string::npos);
        QVERIFY(!w->Check().Screened);
        QVERIFY(std::any_of(w->Check().Rows.begin(), w->Check().Rows.end(),
            [](const PointRow& r) { return r.Name == "1019" && r.Excluded; }));
        QVERIFY(w->SummaryText().contains(QStringLiteral("przerwano")));
        tick("1013", Qt::Checked);
        tick("1013", Qt::Unchecked);
        QVERIFY(w->WaitForComputation());
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(1));

        platform_.Log.clear();
        platform_.Answers = { Answer::No };
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QCOMPARE(platform_.Log.size(), size_t(1));
        platform_.Answers = { Answer::Yes };
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    // The tolerance control is --tolerance (the saved report the tool's); a point ticked in a
    // sorted table stays in its place; closing the check points only when some are open.
    void toleranceSortedTickAndMenu()
    {
        auto w = open(path("bad.bin"), {}, false);
        QVERIFY(w);
        w->SetTolerance(0.2L);
        QVERIFY(w->WaitForComputation());
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(1));
        platform_.ChosenFiles = { path("tolerance.txt").toStdString() };
        w->SaveReport();
        const ToolRun loo
            = runTool({ "fit", "--loo", "--area", path("bad.bin"), "--tolerance", "200" });
        QCOMPARE(readAll(path("tolerance.txt")),
            QByteArray::fromStdString(AsProgramText(loo.Out.toStdString())));

        QTableView& table = w->PointTable();
        table.sortByColumn(kLooV, Qt::DescendingOrder);
        auto nameAt = [&table](int r) { return table.model()->index(r, kName).data().toString(); };
        QStringList before;
        for (int r = 0; r < table.model()->rowCount(); ++r)
            before << nameAt(r);
        table.model()->setData(table.model()->index(3, kLeftOut), Qt::Checked, Qt::CheckStateRole);
        QVERIFY(w->WaitForComputation());
        QStringList after;
        for (int r = 0; r < table.model()->rowCount(); ++r)
            after << nameAt(r);
        QCOMPARE(after, before); // every row in its place, though the figures changed
        QCOMPARE(
            table.model()->index(3, kLeftOut).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));

        QAction* closeChecks = nullptr;
        for (QAction* a : w->findChildren<QAction*>())
            if (a->text().remove(QLatin1Char('&')) == QStringLiteral("Zamknij punkty kontrolne"))
                closeChecks = a;
        QVERIFY(closeChecks && !closeChecks->isEnabled());
        w->OpenChecks(path("checks.txt").toStdString());
        QVERIFY(closeChecks->isEnabled());
        w->CloseChecks();
        QVERIFY(!closeChecks->isEnabled());
        QVERIFY(w->WaitForComputation());
    }

    // Areas the run refuses or cannot screen, and a file that is no area: the window says so
    // and shows what there is.
    void smallAndBrokenAreas_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<bool>("screened");
        QTest::newRow("3: refused") << 3 << false << false;
        QTest::newRow("4: no screening") << 4 << true << false;
        QTest::newRow("5: screened") << 5 << true << true;
    }

    void smallAndBrokenAreas()
    {
        QFETCH(int, points);
        QFETCH(bool, picture);
        QFETCH(bool, screened);
        QByteArray text = "@area\tMałe\n@system\t7\n";
        const char* rows[] = { "A\t100\t100\t5850100\t6480100", "B\t900\t120\t5850900\t6480120",
            "C\t150\t950\t5850150\t6480950", "D\t880\t900\t5850880\t6480900",
            "E\t500\t480\t5850500\t6480480" };
        for (int i = 0; i < points; ++i)
            text += QByteArray(rows[i]) + '\n';
        QFile f(path("small.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        QCOMPARE(runTool({ "pack", path("small.txt"), "-o", path("small.bin") }).Status, 0);
        auto w = open(path("small.bin"), {}, false);
        QVERIFY(w);
        QCOMPARE(w->PointModel().rowCount(), points);
        QCOMPARE(w->Check().Picture.has_value(), picture);
        QCOMPARE(w->Check().Screened.has_value(), screened);
        QCOMPARE(w->Check().Refusal.empty(), points > 3);
        w->Map().repaint();
        w->PointTable().setCurrentIndex(w->PointTable().model()->index(0, kName));
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path("small.pdf"));
        w->PrintTo(printer);
        QVERIFY(QFileInfo(path("small.pdf")).size() > 0);

        platform_.Log.clear();
        QVERIFY(!w->OpenArea(path("small.txt").toStdString()));
        QCOMPARE(platform_.Messages().size(), size_t(1));
        QCOMPARE(w->PointModel().rowCount(), points); // the area shown stays
    }

    void mainWindowRightClickStartsTheWindow()
    {
        platform_.ExeDirectory = VORIDA_BIN;
        platform_.Log.clear();
        ui::TForm1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QWidget* panel = form.Controls().Panel1;
        QContextMenuEvent right(
            QContextMenuEvent::Mouse, QPoint(5, 5), panel->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(panel, &right);
        QVERIFY(form.AreaMenu().isVisible());
        QVERIFY(form.AreaMenu().actions().size() > 1);
        QCOMPARE(form.AreaMenu().actions()[0]->text(), QStringLiteral("Kontrola obszaru…"));
        form.AreaMenu().actions()[0]->trigger();
        form.AreaMenu().hide();
        QCOMPARE(platform_.Log.size(), size_t(1));
        QCOMPARE(platform_.Log[0].Kind, std::string("start"));
        QCOMPARE(platform_.Log[0].Text, "vorida-obszar\n" + PathIn(VORIDA_BIN, "TRANSPKT.BIN"));
        // The left click still opens the manual, and only it.
        QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(platform_.Log.back().Kind, std::string("address"));
        form.done(0);
    }
};

QTEST_MAIN(tst_AreaWindow)
#include "tst_AreaWindow.moc"
