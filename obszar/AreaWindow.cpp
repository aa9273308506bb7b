#include "AreaWindow.h"

#include "MapView.h"

#include "Cp1250.h"
#include "FilePlan.h"
#include "LineIO.h"
#include "Numbers.h"
#include "Platform.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace vorida::obszar {

namespace {

constexpr int kSortRole = Qt::UserRole + 1; // the number behind a cell, for sorting
constexpr int kIndexRole = Qt::UserRole + 2; // the point's index in the whole set

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

QTableView* makeTable(QStandardItemModel* model, QSortFilterProxyModel* sort, QWidget* parent)
{
    sort->setSourceModel(model);
    sort->setSortRole(kSortRole);
    auto* table = new QTableView(parent);
    table->setModel(sort);
    table->setSortingEnabled(true);
    table->sortByColumn(-1, Qt::AscendingOrder); // the file's order until a header is clicked
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setAlternatingRowColors(true);
    table->setTabKeyNavigation(false); // Tab moves on to the next part of the window
    return table;
}

} // namespace

QString AreaWindowTitle(const std::string& areaName)
{
    return QStringLiteral("Kontrola obszaru – ") + text(Cp1250ToUtf8(areaName)).trimmed();
}

AreaWindow::AreaWindow(QWidget* parent) : QMainWindow(parent), check_(std::make_unique<AreaCheck>())
{
    setWindowTitle(QStringLiteral("Kontrola obszaru"));
    setWindowIcon(QIcon(QStringLiteral(":/vorida/obszar/vorida.png")));

    QMenu* file = menuBar()->addMenu(QStringLiteral("&Plik"));
    auto action = [this](QMenu* menu, const QString& name, QKeySequence keys, auto slot) {
        QAction* a = menu->addAction(name);
        a->setShortcut(keys);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action(file, QStringLiteral("&Otwórz obszar…"), QKeySequence::Open, [this] { ChooseArea(); });
    action(file, QStringLiteral("Otwórz punkty &kontrolne…"), QKeySequence(),
        [this] { ChooseChecks(); });
    action(file, QStringLiteral("Za&mknij punkty kontrolne"), QKeySequence(),
        [this] { CloseChecks(); });
    file->addSeparator();
    action(file, QStringLiteral("Zapisz &raport…"), QKeySequence::Save, [this] { SaveReport(); });
    action(
        file, QStringLiteral("Zapisz &rysunek…"), QKeySequence(), [this] { SavePicture(false); });
    action(file, QStringLiteral("Zapisz rysunek &widoku…"), QKeySequence(),
        [this] { SavePicture(true); });
    action(file, QStringLiteral("&Drukuj…"), QKeySequence::Print, [this] { Print(); });
    file->addSeparator();
    action(file, QStringLiteral("&Zamknij"), QKeySequence(Qt::Key_Escape), [this] { close(); });

    QToolBar* bar = addToolBar(QStringLiteral("Narzędzia"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(QStringLiteral(" Kierunek: "), bar));
    direction_ = new QComboBox(bar);
    direction_->addItem(QStringLiteral("lokalny → 2000"));
    direction_->addItem(QStringLiteral("2000 → lokalny"));
    direction_->setAccessibleName(QStringLiteral("Kierunek"));
    bar->addWidget(direction_);
    connect(direction_, &QComboBox::currentIndexChanged, this,
        [this](int index) { SetToLocal(index == 1); });
    bar->addSeparator();
    auto* whole = new QPushButton(QStringLiteral("&Cały obszar"), bar);
    bar->addWidget(whole);
    auto* zoomIn = new QPushButton(QStringLiteral("Powiększ"), bar);
    auto* zoomOut = new QPushButton(QStringLiteral("Pomniejsz"), bar);
    bar->addWidget(zoomIn);
    bar->addWidget(zoomOut);

    points_ = new QStandardItemModel(0, kPointColumns, this);
    points_->setHorizontalHeaderLabels({ QStringLiteral("Pomiń"), QStringLiteral("Nazwa"),
        QStringLiteral("x lok. [m]"), QStringLiteral("y lok. [m]"), QStringLiteral("x 2000 [m]"),
        QStringLiteral("y 2000 [m]"), QStringLiteral("vx [mm]"), QStringLiteral("vy [mm]"),
        QStringLiteral("v [mm]"), QStringLiteral("vx bez [mm]"), QStringLiteral("vy bez [mm]"),
        QStringLiteral("v bez [mm]"), QStringLiteral("próg [mm]"), QStringLiteral("mwb [mm]"),
        QStringLiteral("Uwagi") });
    pointSort_ = new QSortFilterProxyModel(this);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* left = new QSplitter(Qt::Vertical, splitter);
    pointTable_ = makeTable(points_, pointSort_, left);
    pointTable_->setAccessibleName(QStringLiteral("Punkty dostosowania"));
    pointTable_->setToolTip(QStringLiteral(
        "v: odchyłka dopasowania; v bez: odchyłka przy pominięciu punktu (znane - przeliczone "
        "z pozostałych); mwb: najmniejszy błąd, który reguła wskaże w tym punkcie"));

    checkModel_ = new QStandardItemModel(0, kCheckColumns, this);
    checkModel_->setHorizontalHeaderLabels(
        { QStringLiteral("Punkt kontrolny"), QStringLiteral("vx [mm]"), QStringLiteral("vy [mm]"),
            QStringLiteral("v [mm]"), QStringLiteral("odl. [m]"), QStringLiteral("Położenie") });
    checkSort_ = new QSortFilterProxyModel(this);
    checkTable_ = makeTable(checkModel_, checkSort_, left);
    checkTable_->setAccessibleName(QStringLiteral("Punkty kontrolne"));
    checkTable_->hide();

    summary_ = new QPlainTextEdit(left);
    summary_->setReadOnly(true);
    summary_->setTabChangesFocus(true);
    summary_->setAccessibleName(QStringLiteral("Podsumowanie"));
    summary_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    left->setStretchFactor(0, 5);
    left->setStretchFactor(1, 2);
    left->setStretchFactor(2, 2);

    map_ = new MapView(splitter);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    setCentralWidget(splitter);

    connect(whole, &QPushButton::clicked, map_, &MapView::FitAll);
    connect(zoomIn, &QPushButton::clicked, map_, [this] { map_->ZoomBy(1.25); });
    connect(zoomOut, &QPushButton::clicked, map_, [this] { map_->ZoomBy(0.8); });
    connect(map_, &MapView::PointClicked, this, &AreaWindow::pointClicked);
    connect(points_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (filling_ || item->column() != kLeftOut)
            return;
        SetExcluded(static_cast<size_t>(item->data(kIndexRole).toULongLong()),
            item->checkState() == Qt::Checked);
    });
    connect(pointTable_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this] { rowActivated(); });

    setTabOrder(direction_, whole);
    setTabOrder(whole, zoomIn);
    setTabOrder(zoomIn, zoomOut);
    setTabOrder(zoomOut, pointTable_);
    setTabOrder(pointTable_, checkTable_);
    setTabOrder(checkTable_, summary_);
    setTabOrder(summary_, map_);
    resize(1280, 760);
}

AreaWindow::~AreaWindow() = default;

bool AreaWindow::OpenArea(const std::string& path)
{
    std::string error;
    auto area = ReadAreaFile(path, error);
    if (!area) {
        CurrentPlatform().ShowError(error);
        return false;
    }
    area_ = std::move(area);
    excluded_.assign(area_->Points.size(), false);
    setWindowTitle(AreaWindowTitle(area_->Name));
    recompute();
    map_->FitAll();
    return true;
}

bool AreaWindow::OpenChecks(const std::string& path)
{
    CheckPointFile file;
    try {
        file = ReadCheckPoints(path);
    } catch (const std::exception& e) {
        CurrentPlatform().ShowError(e.what());
        return false;
    }
    checkPath_ = path;
    checks_ = std::move(file.Points);
    unreadableChecks_ = std::move(file.UnreadableLines);
    recompute();
    return true;
}

void AreaWindow::CloseChecks()
{
    checkPath_.reset();
    checks_.clear();
    unreadableChecks_.clear();
    recompute();
}

void AreaWindow::SetToLocal(bool toLocal)
{
    if (toLocal_ == toLocal)
        return;
    toLocal_ = toLocal;
    direction_->setCurrentIndex(toLocal ? 1 : 0);
    recompute();
}

void AreaWindow::SetExcluded(size_t i, bool excluded)
{
    if (!area_ || i >= excluded_.size())
        return;
    // A name stands for every point of that name, as --exclude takes it.
    for (size_t j = 0; j < excluded_.size(); ++j)
        if (area_->Points[j].Name == area_->Points[i].Name)
            excluded_[j] = excluded;
    recompute();
}

void AreaWindow::recompute()
{
    if (!area_)
        return;
    CheckOptions options;
    options.ToLocal = toLocal_;
    options.Excluded = excluded_;
    auto check = std::make_unique<AreaCheck>(
        ComputeAreaCheck(*area_, options, checks_, unreadableChecks_));
    keptIndex_.clear();
    for (size_t i = 0; i < excluded_.size(); ++i)
        if (!excluded_[i])
            keptIndex_.push_back(i);
    const bool keepView = check_->Picture.has_value() && check->Picture.has_value();
    const double zoom = map_->Zoom();
    const auto middle = map_->PointNearestToMiddle();
    map_->SetPicture(nullptr);
    check_ = std::move(check);
    map_->SetPicture(check_->Picture ? &*check_->Picture : nullptr);
    if (keepView && zoom != 1.0 && middle) {
        map_->CentreOn(*middle);
        map_->ZoomBy(zoom / map_->Zoom());
        map_->Select(std::nullopt);
    }
    fillPoints();
    fillChecks();
    fillSummary();
}

void AreaWindow::fillPoints()
{
    filling_ = true;
    const QModelIndex current = pointTable_->currentIndex();
    const auto currentPoint = current.isValid()
        ? std::optional<size_t>(pointSort_->mapToSource(current).row())
        : std::nullopt;
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
        tick->setToolTip(QStringLiteral("Pomiń punkt w ocenie obszaru (jak --exclude)"));
        row << tick << textItem(r.Name);
        row << numberItem(Coordinate(p.LocalX), p.LocalX)
            << numberItem(Coordinate(p.LocalY), p.LocalY)
            << numberItem(Coordinate(p.NationalX), p.NationalX)
            << numberItem(Coordinate(p.NationalY), p.NationalY);
        if (r.Residual)
            row << numberItem(Millimetres1(r.Residual->Vx), r.Residual->Vx)
                << numberItem(Millimetres1(r.Residual->Vy), r.Residual->Vy)
                << numberItem(Millimetres1(r.Residual->V), r.Residual->V);
        else
            row << emptyItem() << emptyItem() << emptyItem();
        if (r.Loo && r.Loo->Computed()) {
            const LooDiscrepancy& d = *r.Loo;
            row << numberItem(Millimetres1(d.Vx), d.Vx) << numberItem(Millimetres1(d.Vy), d.Vy)
                << numberItem(Millimetres1(d.V), d.V)
                << (d.Threshold > 0.0L ? numberItem(Millimetres1(d.Threshold), d.Threshold)
                                       : textItem("-"))
                << (d.Detectable > 0.0L ? numberItem(Millimetres1(d.Detectable), d.Detectable)
                                        : textItem("-"));
        } else {
            for (int c = kLooVx; c <= kDetectable; ++c)
                row << emptyItem();
        }
        std::string flags = r.FlagText;
        if (r.Excluded)
            flags = "pominięty";
        else if ((r.Flags & kNamedBlunder) && flags.find("błąd gruby?") == std::string::npos)
            flags += (flags.empty() ? "" : ", ") + std::string("błąd gruby? (kolejna runda)");
        row << textItem(flags);
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
        points_->appendRow(row);
    }
    pointTable_->resizeColumnsToContents();
    if (currentPoint && *currentPoint < check_->Rows.size())
        pointTable_->setCurrentIndex(
            pointSort_->mapFromSource(points_->index(static_cast<int>(*currentPoint), kName)));
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
            row << numberItem(Millimetres2(d.Vx), d.Vx) << numberItem(Millimetres2(d.Vy), d.Vy)
                << numberItem(Millimetres2(d.V), d.V)
                << numberItem(FormatDecimals(d.Nearest, 1), d.Nearest);
        row << textItem(CheckPlace(d));
        checkModel_->appendRow(row);
    }
    checkTable_->resizeColumnsToContents();
}

void AreaWindow::fillSummary()
{
    QStringList lines;
    if (!check_->Refusal.empty())
        lines << text(check_->Refusal);
    lines << QStringLiteral("Kierunek: ")
            + (toLocal_ ? QStringLiteral("krajowy -> lokalny")
                        : QStringLiteral("lokalny -> krajowy"));
    for (const std::string& line : check_->Summary)
        lines << text(line);
    if (check_->Checks)
        for (const std::string& line : CheckSummaryLines(*check_->Checks, checks_))
            lines << text(line);
    for (const std::string& line : check_->Warnings)
        lines << text(line);
    summary_->setPlainText(lines.join(QLatin1Char('\n')));
}

QString AreaWindow::SummaryText() const
{
    return summary_->toPlainText();
}

void AreaWindow::selectPoint(size_t i)
{
    const QModelIndex source = points_->index(static_cast<int>(i), kName);
    pointTable_->setCurrentIndex(pointSort_->mapFromSource(source));
    pointTable_->scrollTo(pointTable_->currentIndex());
}

void AreaWindow::pointClicked(size_t keptIndex)
{
    if (keptIndex >= keptIndex_.size())
        return;
    filling_ = true; // the view stays where the user clicked
    selectPoint(keptIndex_[keptIndex]);
    filling_ = false;
}

void AreaWindow::rowActivated()
{
    const QModelIndex current = pointTable_->currentIndex();
    if (!current.isValid())
        return;
    const auto i = static_cast<size_t>(pointSort_->mapToSource(current).row());
    const auto kept = std::find(keptIndex_.begin(), keptIndex_.end(), i);
    if (kept == keptIndex_.end()) {
        map_->Select(std::nullopt);
        return;
    }
    const auto k = static_cast<size_t>(kept - keptIndex_.begin());
    if (filling_)
        map_->Select(k);
    else
        map_->CentreOn(k);
}

void AreaWindow::ChooseArea()
{
    if (const auto path = CurrentPlatform().ChooseFileToOpen(
            "Otwórz plik obszaru", area_ ? area_->Path : CurrentPlatform().ExecutableDirectory()))
        OpenArea(*path);
}

void AreaWindow::ChooseChecks()
{
    if (const auto path = CurrentPlatform().ChooseFileToOpen(
            "Otwórz punkty kontrolne", area_ ? area_->Path : std::string()))
        OpenChecks(*path);
}

SaveOptions AreaWindow::CurrentSaveOptions(bool currentView) const
{
    SaveOptions o;
    if (!area_)
        return o;
    o.AreaPath = area_->Path;
    o.ToLocal = toLocal_;
    o.Exclude = ExcludeList(*area_, excluded_);
    o.CheckPath = checkPath_;
    if (currentView && check_->Picture) {
        o.Scale = map_->ViewScale();
        if (const auto middle = map_->PointNearestToMiddle())
            o.Centre = Cp1250ToUtf8(check_->Picture->Points[*middle].Name);
    }
    return o;
}

namespace {

// Asks where to save, beside the area file, and writes what make gives whole or not at all; the
// verb's or the writing's failure is shown.
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
        save(area_->Path, "Zapisz raport", "Kontrola obszaru.txt",
            [this](std::string& error) { return ReportBytes(CurrentSaveOptions(false), error); });
}

void AreaWindow::SavePicture(bool currentView)
{
    if (area_)
        save(area_->Path, "Zapisz rysunek", "Obszar.svg", [this, currentView](std::string& error) {
            return SvgBytes(CurrentSaveOptions(currentView), error);
        });
}

void AreaWindow::Print()
{
    if (!area_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Drukuj"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    PrintTo(printer);
}

void AreaWindow::PrintTo(QPrinter& printer)
{
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect page = painter.viewport();
    // The picture: the map as the view shows it, scaled to the page.
    QFont font = painter.font();
    font.setPointSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, page.width(), page.height() / 20),
        Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    const QSize size = map_->size();
    const double scale = std::min(
        page.width() / double(size.width()), page.height() * 0.92 / double(size.height()));
    painter.save();
    painter.translate(0, page.height() / 20.0);
    painter.scale(scale, scale);
    map_->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.restore();
    // The table: every column of every point, as many rows a page as fit.
    printer.newPage();
    font.setPointSize(7);
    font.setBold(false);
    painter.setFont(font);
    const QFontMetrics metrics(font, &printer);
    const int rowHeight = metrics.height() + metrics.height() / 4;
    std::vector<int> widths(kPointColumns, 0);
    auto cell = [this](int r, int c) {
        return c == kLeftOut
            ? (points_->item(r, c)->checkState() == Qt::Checked ? QStringLiteral("x") : QString())
            : points_->item(r, c)->text();
    };
    for (int c = 0; c < kPointColumns; ++c) {
        widths[static_cast<size_t>(c)]
            = metrics.horizontalAdvance(points_->horizontalHeaderItem(c)->text());
        for (int r = 0; r < points_->rowCount(); ++r)
            widths[static_cast<size_t>(c)]
                = std::max(widths[static_cast<size_t>(c)], metrics.horizontalAdvance(cell(r, c)));
    }
    int y = rowHeight;
    auto drawRow = [&](auto cellText, bool header) {
        int x = 0;
        for (int c = 0; c < kPointColumns; ++c) {
            const int w = widths[static_cast<size_t>(c)];
            const bool number = !header && c >= kLocalX && c <= kDetectable;
            painter.drawText(QRect(x, y - rowHeight, w, rowHeight),
                (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, cellText(c));
            x += w + metrics.horizontalAdvance(QStringLiteral("  "));
        }
        y += rowHeight;
    };
    auto header = [&] {
        drawRow([this](int c) { return points_->horizontalHeaderItem(c)->text(); }, true);
    };
    header();
    for (int r = 0; r < points_->rowCount(); ++r) {
        if (y > page.height()) {
            printer.newPage();
            y = rowHeight;
            header();
        }
        drawRow([&](int c) { return cell(r, c); }, false);
    }
    for (const QString& line : SummaryText().split(QLatin1Char('\n'))) {
        if (y > page.height()) {
            printer.newPage();
            y = rowHeight;
        }
        painter.drawText(QRect(0, y - rowHeight, page.width(), rowHeight), Qt::AlignLeft, line);
        y += rowHeight;
    }
}

} // namespace vorida::obszar
