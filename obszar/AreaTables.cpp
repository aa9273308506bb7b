#include "AreaTables.h"

#include "AreaPrint.h"
#include "FilePlan.h"
#include "LineIO.h"
#include "MapView.h"
#include "Platform.h"
#include "SavedTexts.h"
#include "System.h"

#include "AreaWindow.h"
#include "TableText.h"

#include "AreaReport.h"
#include "AreaText.h"

#include "Cp1250.h"
#include "Numbers.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>

namespace vorida::obszar {

namespace {

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

// A number cell: the verb's text, right-aligned, sorted by its value (a double is enough to
// order them).
QStandardItem* numberItem(const std::string& shown, Extended value)
{
    auto* item = new QStandardItem(text(shown));
    item->setData(static_cast<double>(value), kSortRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    item->setEditable(false);
    return item;
}

QStandardItem* emptyItem()
{
    auto* item = new QStandardItem;
    item->setData(-1.0e300, kSortRole);
    item->setEditable(false);
    return item;
}

QStandardItem* textItem(const std::string& shown)
{
    auto* item = new QStandardItem(text(shown));
    item->setData(text(shown), kSortRole);
    item->setEditable(false);
    return item;
}

} // namespace

QTableView* MakeSortedTable(QStandardItemModel* model, QSortFilterProxyModel* sort, QWidget* parent)
{
    sort->setSourceModel(model);
    sort->setSortRole(kSortRole);
    auto* table = new QTableView(parent);
    table->setModel(sort);
    table->setSortingEnabled(true);
    table->sortByColumn(-1, Qt::AscendingOrder); // the file's order until a header is clicked
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Ctrl+A selects every row, Shift and Ctrl more of them; Ctrl+C copies them (CopyRows).
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setDefaultAlignment(
        Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setAlternatingRowColors(true);
    table->setTabKeyNavigation(false); // Tab moves on to the next part of the window
    // The table's own copy (Ctrl+C, the context menu): the selected rows, not the current cell.
    auto* copy = new QAction(QStringLiteral("&Kopiuj wiersze"), table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(copy, &QAction::triggered, table, [table] { CopyRows(*table); });
    auto* all = new QAction(QStringLiteral("&Zaznacz wszystko"), table);
    all->setShortcut(QKeySequence::SelectAll);
    all->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(all, &QAction::triggered, table, &QTableView::selectAll);
    table->addAction(copy);
    table->addAction(all);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    return table;
}

void FitColumns(QTableView& table)
{
    QHeaderView& header = *table.horizontalHeader();
    const QFontMetrics metrics(header.font());
    const int padding = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header) * 2
        + metrics.horizontalAdvance(QLatin1Char(' ')) * 2;
    int lines = 1;
    for (int c = 0; c < table.model()->columnCount(); ++c) {
        const QString title = table.model()->headerData(c, Qt::Horizontal).toString();
        // Two lines at most: the unit (the last word) under the rest.
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        const int word = space < 0 ? metrics.horizontalAdvance(title)
                                   : std::max(metrics.horizontalAdvance(title.left(space)),
                                       metrics.horizontalAdvance(title.mid(space + 1)));
        const int cells = static_cast<const QAbstractItemView&>(table).sizeHintForColumn(c);
        const int width = std::max(cells, word + padding);
        header.resizeSection(c, width);
        if (metrics.horizontalAdvance(title) + padding > width)
            lines = 2;
    }
    header.setFixedHeight(metrics.lineSpacing() * lines + metrics.height() / 2 + 4);
}

void CopyRows(const QTableView& table)
{
    const TableText rows = TableOf(table, true);
    if (!rows.Rows.empty())
        QGuiApplication::clipboard()->setText(QString::fromStdString(TabSeparated(rows)));
}

void AreaWindow::fillPoints()
{
    filling_ = true;
    const QModelIndex current = pointTable_->currentIndex();
    const size_t none = static_cast<size_t>(-1);
    const size_t currentPoint
        = current.isValid() ? static_cast<size_t>(pointSort_->mapToSource(current).row()) : none;
    // After a tick the rows of a sorted table stay where they were (the sorted column's keys
    // are their places) until a header is clicked again.
    const int sorted = pointTable_->horizontalHeader()->sortIndicatorSection();
    const bool descending
        = pointTable_->horizontalHeader()->sortIndicatorOrder() == Qt::DescendingOrder;
    std::vector<double> place;
    if (freezeOrder_ && sorted >= 0 && sorted < kPointColumns
        && static_cast<size_t>(points_->rowCount()) == check_->Rows.size()) {
        place.assign(check_->Rows.size(), 0.0);
        for (int r = 0; r < pointSort_->rowCount(); ++r)
            place[static_cast<size_t>(pointSort_->mapToSource(pointSort_->index(r, 0)).row())]
                = descending ? -r : r;
    }
    frozen_ = !place.empty();
    points_->setRowCount(0);
    const QColor red(200, 0, 0);
    for (size_t i = 0; i < check_->Rows.size(); ++i) {
        const PointRow& r = check_->Rows[i];
        const TPkt& p = area_->Points[i];
        QList<QStandardItem*> row;
        auto* tick = new QStandardItem;
        tick->setCheckable(true);
        tick->setCheckState(r.Excluded ? Qt::Checked : Qt::Unchecked);
        tick->setData(r.Excluded ? 1.0 : 0.0, kSortRole);
        tick->setData(static_cast<qulonglong>(i), kIndexRole);
        tick->setEditable(false);
        tick->setToolTip(QStringLiteral(
            "Pomiń punkt w ocenie obszaru (wszystkie punkty o tej nazwie; plik bez zmian)"));
        row << tick << textItem(r.Name);
        if (r.Residual)
            row << numberItem(Millimetres(r.Residual->Vx, 1), r.Residual->Vx)
                << numberItem(Millimetres(r.Residual->Vy, 1), r.Residual->Vy)
                << numberItem(Millimetres(r.Residual->V, 1), r.Residual->V);
        else
            row << emptyItem() << emptyItem() << emptyItem();
        if (r.Loo && r.Loo->Computed()) {
            const LooDiscrepancy& d = *r.Loo;
            row << numberItem(Millimetres(d.Vx, 1), d.Vx) << numberItem(Millimetres(d.Vy, 1), d.Vy)
                << numberItem(Millimetres(d.V, 1), d.V)
                << (d.Threshold > 0.0L ? numberItem(Millimetres(d.Threshold, 1), d.Threshold)
                                       : textItem("-"))
                << (d.Detectable > 0.0L ? numberItem(Millimetres(d.Detectable, 1), d.Detectable)
                                        : textItem("-"));
        } else {
            for (int c = kLooVx; c <= kDetectable; ++c)
                row << emptyItem();
        }
        row << textItem(r.Excluded ? std::string("pominięty") : r.FlagText);
        row << numberItem(Coordinate(p.LocalX), p.LocalX)
            << numberItem(Coordinate(p.LocalY), p.LocalY)
            << numberItem(Coordinate(p.NationalX), p.NationalX)
            << numberItem(Coordinate(p.NationalY), p.NationalY);
        if (r.Flags & kNamedBlunder)
            for (QStandardItem* item : row) {
                item->setForeground(red);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
        if (r.Excluded)
            for (QStandardItem* item : row)
                item->setForeground(QColor(128, 128, 128));
        if (frozen_)
            row[sorted]->setData(place[i], kSortRole);
        points_->appendRow(row);
    }
    FitColumns(*pointTable_);
    if (currentPoint != none && currentPoint < check_->Rows.size())
        pointTable_->setCurrentIndex(
            pointSort_->mapFromSource(points_->index(static_cast<int>(currentPoint), kName)));
    filling_ = false;
}

void AreaWindow::fillChecks()
{
    checkModel_->setRowCount(0);
    checkTable_->setVisible(checkPath_.has_value());
    if (!check_->Checks)
        return;
    for (size_t i = 0; i < checks_.size(); ++i) {
        const CheckDifference& d = check_->Checks->Points[i];
        QList<QStandardItem*> row;
        row << textItem(Cp1250ToUtf8(checks_[i].Name));
        if (d.Failed)
            row << textItem("błąd obliczeń") << emptyItem() << emptyItem() << emptyItem();
        else
            row << numberItem(Millimetres(d.Vx, 2), d.Vx) << numberItem(Millimetres(d.Vy, 2), d.Vy)
                << numberItem(Millimetres(d.V, 2), d.V)
                << numberItem(FormatDecimals(d.Nearest, 1), d.Nearest);
        row << textItem(CheckPlace(d));
        checkModel_->appendRow(row);
    }
    FitColumns(*checkTable_);
}

} // namespace vorida::obszar

namespace vorida::obszar {

PrintedArea AreaWindow::printed() const
{
    PrintedArea what;
    what.Title = windowTitle();
    what.FileName = area_ ? QFileInfo(QString::fromStdString(area_->Path)).fileName() : QString();
    what.Map = map_;
    what.Picture = check_ && check_->Picture ? &*check_->Picture : nullptr;
    what.Points = pointTable_->model();
    for (size_t i = 0; area_ && i < excluded_.size(); ++i)
        if (excluded_[i])
            what.LeftOut.push_back(area_->Points[i]);
    what.Checks = checkPath_ ? checkTable_->model() : nullptr;
    what.Summary = SummaryText().split(QLatin1Char('\n'));
    what.Date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return what;
}

void AreaWindow::Print()
{
    if (!area_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Drukuj"));
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(printer);
}

void AreaWindow::PrintPreview()
{
    if (!area_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Podgląd wydruku"));
    connect(
        &dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintTo(*p); });
    dialog.resize(size());
    dialog.exec();
}

int AreaWindow::PrintTo(QPrinter& printer)
{
    return PrintArea(printer, printed());
}

void AreaWindow::fillRounds()
{
    filling_ = true;
    round_->clear();
    if (check_->Screened && area_) {
        const size_t rounds = check_->Screened->Rounds.size();
        for (size_t r = 0; r < rounds; ++r)
            round_->addItem(QString::fromStdString(RoundTitle(*check_->Screened, area_->Points, r))
                + (r + 1 == rounds ? QStringLiteral(" (ostatnia)") : QString()));
        round_->setCurrentIndex(static_cast<int>(check_->Round));
    }
    round_->setEnabled(round_->count() > 1);
    filling_ = false;
}

void AreaWindow::ShowRound(size_t r)
{
    if (!area_ || !check_->Screened)
        return;
    obszar::ShowRound(*check_, *area_, r);
    filling_ = true;
    round_->setCurrentIndex(static_cast<int>(check_->Round));
    filling_ = false;
    fillPoints();
    fillSummary();
}

void AreaWindow::fillSummary()
{
    QStringList lines;
    if (!check_->Refusal.empty())
        lines << QString::fromStdString(check_->Refusal);
    // The warnings first, where they are seen without scrolling.
    for (const std::string& line : check_->Warnings)
        lines << QString::fromStdString(line);
    lines << QString::fromStdString(DirectionLine(direction_));
    for (const auto* part : { &check_->Summary, &check_->RoundLines, &check_->Verdict })
        for (const std::string& line : *part)
            lines << QString::fromStdString(line);
    if (check_->Checks) {
        lines << QString::fromStdString(CheckCountLine(checks_.size(), *check_->Checks));
        for (const std::string& line : CheckFigures(*check_->Checks, checks_))
            lines << QString::fromStdString(line);
    }
    summary_->setPlainText(lines.join(QLatin1Char('\n')));
}

QString AreaWindow::SummaryText() const
{
    return summary_->toPlainText();
}

std::optional<PictureView> AreaWindow::CurrentView() const
{
    const auto middle = map_->PointNearestToMiddle();
    if (!check_->Picture || !middle)
        return std::nullopt;
    return PictureView { map_->ViewScale(), *middle };
}

namespace {

// Asks where to save, beside the area file, and writes what make gives whole or not at all; why
// nothing can be made, or the writing's failure, is shown.
void save(const std::string& areaPath, const char* caption, const char* name,
    const std::function<std::optional<std::string>(std::string&)>& make)
{
    Platform& platform = CurrentPlatform();
    const std::string folder = PathText(FileSystemPath(areaPath).parent_path());
    const auto path
        = platform.ChooseFileToSave(caption, folder.empty() ? name : PathIn(folder, name));
    if (!path)
        return;
    std::string error;
    const auto bytes = make(error);
    if (!bytes) {
        platform.ShowError(error);
        return;
    }
    try {
        WriteWholeFile(*path, *bytes, WriteMode::WholeOrNothing);
    } catch (const std::exception& e) {
        platform.ShowError(e.what());
    }
}

} // namespace

void AreaWindow::SaveReport()
{
    if (area_)
        save(area_->Path, "Zapisz raport", "Kontrola obszaru.txt", [this](std::string& error) {
            return ReportBytes(*area_, Options(), *check_, checks_, error);
        });
}

void AreaWindow::SaveTable(CsvFormat format)
{
    if (area_)
        save(area_->Path, "Zapisz tabelę", "Punkty dostosowania.csv",
            [this, format](std::string&) -> std::optional<std::string> {
                return CsvBytes(TableOf(*pointTable_, false), format);
            });
}

void AreaWindow::SavePicture(bool currentView)
{
    if (area_)
        save(area_->Path, "Zapisz rysunek", "Obszar.svg", [this, currentView](std::string& error) {
            return SvgBytes(
                *check_, currentView ? CurrentView() : std::optional<PictureView>(), error);
        });
}

void AreaWindow::ChooseArea()
{
    if (const auto path = CurrentPlatform().ChooseFileToOpen(
            "Otwórz plik obszaru", area_ ? area_->Path : CurrentPlatform().ExecutableDirectory()))
        OpenArea(*path);
}

void AreaWindow::ChooseChecks()
{
    // A text file proposed: the one open last, or else the first beside the area file.
    std::string proposed = checkPath_.value_or(std::string());
    if (proposed.empty() && area_) {
        const QFileInfo areaFile(QString::fromStdString(area_->Path));
        const QStringList texts = areaFile.dir().entryList(
            { QStringLiteral("*.txt"), QStringLiteral("*.TXT") }, QDir::Files, QDir::Name);
        proposed = (texts.isEmpty() ? areaFile.absolutePath()
                                    : areaFile.dir().absoluteFilePath(texts.first()))
                       .toStdString();
    }
    if (const auto path = CurrentPlatform().ChooseFileToOpen("Otwórz punkty kontrolne", proposed))
        OpenChecks(*path);
}

CheckOptions AreaWindow::Options() const
{
    CheckOptions options;
    options.Direction = direction_;
    options.Excluded = excluded_;
    options.Tolerance = tolerance_;
    return options;
}

void AreaWindow::SetTolerance(Extended metres)
{
    if (tolerance_ == metres)
        return;
    tolerance_ = metres;
    recompute();
}

} // namespace vorida::obszar
