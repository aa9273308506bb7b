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
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

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

// The rows of the first round's table of fit --loo: name -> the cells after it.
QMap<QString, QStringList> firstRound(const QString& text)
{
    QMap<QString, QStringList> rows;
    bool inTable = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QStringLiteral("nazwa"))) {
            inTable = true;
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
        if (!w->OpenArea(area.toStdString()))
            return nullptr;
        w->SetToLocal(toLocal);
        if (!checks.isEmpty())
            w->OpenChecks(checks.toStdString());
        for (const QString& name : leftOut) {
            const auto found = w->PointModel().findItems(name, Qt::MatchExactly, kName);
            if (found.size() != 1)
                return nullptr;
            w->PointModel().item(found[0]->row(), kLeftOut)->setCheckState(Qt::Checked);
        }
        return w;
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
        const auto rows = firstRound(loo.Out);
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
            if (w->Check().Rows[static_cast<size_t>(r)].Flags & kNamedBlunder
                && !rows[name].last().contains(QStringLiteral("błąd gruby?")))
                shown.last().remove(QStringLiteral("błąd gruby? (kolejna runda)"));
            if (shown.last().endsWith(QStringLiteral(", ")))
                shown.last().chop(2);
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

    // The names the tool splits --exclude on are escaped (the tool's test reads this back).
    void excludeListEscapesCommasAndBackslashes()
    {
        AreaFile area;
        area.Points.resize(3);
        area.Points[0].Name = "10,13";
        area.Points[1].Name = "P-1";
        area.Points[2].Name = "10\\19";
        QCOMPARE(ExcludeList(area, { true, false, true }), std::string("10\\,13,10\\\\19"));
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
        const SaveOptions view = w->CurrentSaveOptions(true);
        QVERIFY(view.Scale && view.Centre);
        QCOMPARE(QString::fromStdString(*view.Centre), QStringLiteral("ośn.7"));
        QStringList plotView { "plot", "--check", checks, "-o", path("tool-view.svg") };
        plotView << "--scale" << QString::fromStdString(FormatDecimals(*view.Scale, 0))
                 << "--center" << QStringLiteral("ośn.7");
        QCOMPARE(runTool(plotView + common).Status, 0);
        QCOMPARE(readAll(path("view.svg")), readAll(path("tool-view.svg")));
    }

    void tickClickAndRow()
    {
        auto w = open(path("bad.bin"), {}, false);
        QVERIFY(w);
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(2));
        // The tick leaves 1019 out: the screening follows at once; unticked, it is back.
        const int row = w->PointModel().findItems("1019", Qt::MatchExactly, kName)[0]->row();
        w->PointModel().item(row, kLeftOut)->setCheckState(Qt::Checked);
        QCOMPARE(w->Check().Screened->Blunders.size(), size_t(1));
        QVERIFY(w->SummaryText().contains(QStringLiteral("Wyłączone z oceny: 1019\n")));
        QCOMPARE(w->CurrentSaveOptions(false).Exclude, std::string("1019"));
        w->PointModel().item(row, kLeftOut)->setCheckState(Qt::Checked); // no change
        w->PointModel().item(row, kLeftOut)->setCheckState(Qt::Unchecked);
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
