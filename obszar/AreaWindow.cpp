#include "AreaWindow.h"

#include "AreaFileWatch.h"
#include "AreaReport.h"
#include "AreaTables.h"
#include "MapView.h"

#include "Cp1250.h"
#include "OutputFile.h"
#include "LineIO.h"
#include "Numbers.h"
#include "Platform.h"
#include "System.h"

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

QString AreaWindowTitle(const std::string& areaName)
{
    return QStringLiteral("Kontrola obszaru – ")
        + QString::fromStdString(Cp1250ToUtf8(areaName)).trimmed();
}

AreaWindow::AreaWindow(QWidget* parent) : QMainWindow(parent), check_(std::make_unique<AreaCheck>())
{
    setWindowTitle(QStringLiteral("Kontrola obszaru"));
    setWindowIcon(QIcon(QStringLiteral(":/vorida/obszar/vorida.png")));
    buildMenu();
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
    pointTable_ = MakeSortedTable(points_, pointSort_, left);
    pointTable_->setAccessibleName(QStringLiteral("Punkty dostosowania"));
    pointTable_->setToolTip(QStringLiteral(
        "v: odchyłka dopasowania; v bez: odchyłka przy pominięciu punktu (znane - przeliczone "
        "z pozostałych); mwb: najmniejszy błąd, który reguła wskaże w tym punkcie"));

    checkModel_ = new QStandardItemModel(0, kCheckColumns, this);
    checkModel_->setHorizontalHeaderLabels(
        { QStringLiteral("Punkt kontrolny"), QStringLiteral("vx [mm]"), QStringLiteral("vy [mm]"),
            QStringLiteral("v [mm]"), QStringLiteral("odl. [m]"), QStringLiteral("Położenie") });
    checkSort_ = new QSortFilterProxyModel(this);
    checkTable_ = MakeSortedTable(checkModel_, checkSort_, left);
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

    connect(map_, &MapView::PointClicked, this, &AreaWindow::pointClicked);
    connect(points_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (filling_ || item->column() != kLeftOut)
            return;
        SetExcluded(static_cast<size_t>(item->data(kIndexRole).toULongLong()),
            item->checkState() == Qt::Checked);
    });
    connect(pointTable_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this] { rowActivated(); });

    buildToolBar();
    watch_ = new AreaFileWatch(this);
    connect(watch_, &AreaFileWatch::CheckDue, this, &AreaWindow::CheckAreaOnDisk);
    // The picture takes the keys first (+, −, arrows); a table given the focus first would
    // make its first row current and centre the picture on it.
    map_->setFocus();
    resize(1280, 760);
}

void AreaWindow::buildMenu()
{
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
        file, QStringLiteral("Zapisz r&ysunek…"), QKeySequence(), [this] { SavePicture(false); });
    action(file, QStringLiteral("Zapisz rysunek &widoku…"), QKeySequence(),
        [this] { SavePicture(true); });
    QMenu* csv = file->addMenu(QStringLiteral("Zapisz &tabelę (CSV)"));
    action(csv, QStringLiteral("&Windows-1250, przecinek, kropka dziesiętna…"), QKeySequence(),
        [this] {
            SaveTable({ false, false });
        });
    action(csv, QStringLiteral("&UTF-8, przecinek, kropka dziesiętna…"), QKeySequence(), [this] {
        SaveTable({ true, false });
    });
    action(csv, QStringLiteral("Windows-1250 dla &polskiego arkusza (średnik, przecinek)…"),
        QKeySequence(), [this] {
            SaveTable({ false, true });
        });
    action(csv, QStringLiteral("UTF-8 dla polskiego &arkusza (średnik, przecinek)…"),
        QKeySequence(), [this] {
            SaveTable({ true, true });
        });
    action(file, QStringLiteral("&Drukuj…"), QKeySequence::Print, [this] { Print(); });
    file->addSeparator();
    action(file, QStringLiteral("&Zamknij"), QKeySequence(Qt::Key_Escape), [this] { close(); });
}

void AreaWindow::buildToolBar()
{
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
    bar->addWidget(new QLabel(QStringLiteral(" Runda: "), bar));
    round_ = new QComboBox(bar);
    round_->setAccessibleName(QStringLiteral("Runda oceny"));
    round_->setToolTip(QStringLiteral(
        "Błędy grube są wskazywane po jednym: każda runda ocenia obszar bez punktów wskazanych "
        "wcześniej. Tabela i podsumowanie pokazują wybraną rundę."));
    bar->addWidget(round_);
    connect(round_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!filling_ && index >= 0)
            ShowRound(static_cast<size_t>(index));
    });
    bar->addSeparator();
    auto* whole = new QPushButton(QStringLiteral("&Cały obszar"), bar);
    bar->addWidget(whole);
    auto* zoomIn = new QPushButton(QStringLiteral("Powiększ"), bar);
    auto* zoomOut = new QPushButton(QStringLiteral("Pomniejsz"), bar);
    bar->addWidget(zoomIn);
    bar->addWidget(zoomOut);

    connect(whole, &QPushButton::clicked, map_, &MapView::FitAll);
    connect(zoomIn, &QPushButton::clicked, map_, [this] { map_->ZoomBy(1.25); });
    connect(zoomOut, &QPushButton::clicked, map_, [this] { map_->ZoomBy(0.8); });

    setTabOrder(direction_, round_);
    setTabOrder(round_, whole);
    setTabOrder(whole, zoomIn);
    setTabOrder(zoomIn, zoomOut);
    setTabOrder(zoomOut, pointTable_);
    setTabOrder(pointTable_, checkTable_);
    setTabOrder(checkTable_, summary_);
    setTabOrder(summary_, map_);
}

AreaWindow::~AreaWindow() = default;

bool AreaWindow::OpenArea(const std::string& path)
{
    std::string error;
    const size_t hash = AreaFileWatch::HashOf(path);
    auto area = ReadAreaFile(path, error);
    if (!area) {
        CurrentPlatform().ShowError(error);
        return false;
    }
    area_ = std::move(area);
    watch_->Watch(area_->Path, hash);
    excluded_.assign(area_->Points.size(), false);
    setWindowTitle(AreaWindowTitle(area_->Name));
    recompute();
    map_->FitAll();
    return true;
}

void AreaWindow::CheckAreaOnDisk()
{
    if (!area_)
        return;
    if (!watch_->Changed())
        return; // unchanged, or asked for already
    const std::string question = "Plik obszaru " + NativeSeparators(area_->Path)
        + " zmienił się na dysku.\nWczytać go ponownie? Bez tego okno pokazuje, zapisuje i "
          "drukuje obszar wczytany wcześniej.";
    if (CurrentPlatform().AskYesNo(question, "Kontrola obszaru") != Answer::Yes)
        return;
    // The ticks and the direction stay; a point ticked stays left out when its name is there.
    std::vector<std::string> ticked;
    for (size_t i = 0; i < excluded_.size(); ++i)
        if (excluded_[i])
            ticked.push_back(area_->Points[i].Name);
    const std::string path = area_->Path;
    if (!OpenArea(path))
        return;
    for (size_t i = 0; i < area_->Points.size(); ++i)
        excluded_[i]
            = std::find(ticked.begin(), ticked.end(), area_->Points[i].Name) != ticked.end();
    if (!ticked.empty())
        recompute();
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
    auto check = std::make_unique<AreaCheck>(
        ComputeAreaCheck(*area_, Options(), checks_, unreadableChecks_));
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
    fillRounds();
    fillPoints();
    fillChecks();
    fillSummary();
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
    lines << QString::fromStdString(DirectionLine(toLocal_));
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

CheckOptions AreaWindow::Options() const
{
    CheckOptions options;
    options.ToLocal = toLocal_;
    options.Excluded = excluded_;
    return options;
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

} // namespace vorida::obszar
