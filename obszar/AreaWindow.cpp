#include "AreaWindow.h"

#include "AreaComputation.h"
#include "AreaFileWatch.h"
#include "AreaReport.h"
#include "AreaTables.h"
#include "MapView.h"

#include "Cp1250.h"
#include "LineIO.h"
#include "Numbers.h"
#include "OutputFile.h"
#include "Platform.h"
#include "System.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
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

AreaWindow::AreaWindow(QWidget* parent) : QMainWindow(parent), check_(std::make_shared<AreaCheck>())
{
    setWindowTitle(QStringLiteral("Kontrola obszaru"));
    setWindowIcon(QIcon(QStringLiteral(":/vorida/obszar/vorida.png")));
    buildMenu();
    points_ = new QStandardItemModel(0, kPointColumns, this);
    points_->setHorizontalHeaderLabels({ QStringLiteral("Pomiń"), QStringLiteral("Nazwa"),
        QStringLiteral("vx [mm]"), QStringLiteral("vy [mm]"), QStringLiteral("v [mm]"),
        QStringLiteral("vx bez [mm]"), QStringLiteral("vy bez [mm]"), QStringLiteral("v bez [mm]"),
        QStringLiteral("próg [mm]"), QStringLiteral("mwb [mm]"), QStringLiteral("Uwagi"),
        QStringLiteral("x lok. [m]"), QStringLiteral("y lok. [m]"), QStringLiteral("x 2000 [m]"),
        QStringLiteral("y 2000 [m]") });
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
    splitter->setSizes({ 800, 480 }); // the table's key columns in view at the first size
    setCentralWidget(splitter);

    connect(map_, &MapView::PointClicked, this, &AreaWindow::pointClicked);
    connect(points_, &QStandardItemModel::itemChanged, this, [this](QStandardItem* item) {
        if (filling_ || item->column() != kLeftOut)
            return;
        SetExcluded(static_cast<size_t>(item->data(kIndexRole).toULongLong()),
            item->checkState() == Qt::Checked);
    });
    connect(pointTable_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, [this] {
        if (frozen_)
            fillPoints(); // the sorted column's own keys again
    });
    connect(pointTable_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this] { rowActivated(); });

    buildToolBar();
    buildProgressBar();
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
    closeChecks_ = action(file, QStringLiteral("Za&mknij punkty kontrolne"), QKeySequence(),
        [this] { CloseChecks(); });
    closeChecks_->setEnabled(false);
    file->addSeparator();
    needResult_ << action(
        file, QStringLiteral("Zapisz &raport…"), QKeySequence::Save, [this] { SaveReport(); });
    needResult_ << action(
        file, QStringLiteral("Zapisz r&ysunek…"), QKeySequence(), [this] { SavePicture(false); });
    needResult_ << action(file, QStringLiteral("Zapisz rysunek &widoku…"), QKeySequence(),
        [this] { SavePicture(true); });
    QMenu* csv = file->addMenu(QStringLiteral("Zapisz &tabelę (CSV)"));
    needResult_ << csv->menuAction();
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
    needResult_ << action(
        file, QStringLiteral("&Drukuj…"), QKeySequence::Print, [this] { Print(); });
    needResult_ << action(
        file, QStringLiteral("Podgląd wydr&uku…"), QKeySequence(), [this] { PrintPreview(); });
    file->addSeparator();
    // Esc stops a computation running, or else closes (asking when points are ticked).
    action(file, QStringLiteral("&Zamknij"), QKeySequence(Qt::Key_Escape), [this] {
        if (computation_->Running())
            CancelComputation();
        else
            close();
    });
}

void AreaWindow::buildProgressBar()
{
    // The computation runs off the window's thread: its progress in the status bar, with a
    // button (and Esc) to stop it.
    progressBar_ = new QWidget(this);
    auto* layout = new QHBoxLayout(progressBar_);
    layout->setContentsMargins(0, 0, 0, 0);
    progressText_ = new QLabel(progressBar_);
    progress_ = new QProgressBar(progressBar_);
    progress_->setAccessibleName(QStringLiteral("Postęp obliczeń"));
    auto* cancel = new QPushButton(QStringLiteral("Prz&erwij"), progressBar_);
    layout->addWidget(progressText_);
    layout->addWidget(progress_, 1);
    layout->addWidget(cancel);
    statusBar()->addWidget(progressBar_, 1);
    progressBar_->hide();
    computation_ = new AreaComputation(this);
    connect(cancel, &QPushButton::clicked, this, &AreaWindow::CancelComputation);
    connect(computation_, &AreaComputation::Advanced, this, &AreaWindow::showProgress);
    connect(computation_, &AreaComputation::Finished, this,
        [this](std::shared_ptr<AreaCheck> check) { showCheck(std::move(check)); });
}

void AreaWindow::buildToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("Narzędzia"));
    bar->setMovable(false);
    bar->addWidget(new QLabel(QStringLiteral(" Kierunek: "), bar));
    directionBox_ = new QComboBox(bar);
    // As the summary's first line writes it (DirectionLine).
    directionBox_->addItem(QStringLiteral("lokalny -> krajowy"));
    directionBox_->addItem(QStringLiteral("krajowy -> lokalny"));
    directionBox_->setAccessibleName(QStringLiteral("Kierunek"));
    bar->addWidget(directionBox_);
    connect(directionBox_, &QComboBox::currentIndexChanged, this, [this](int index) {
        SetDirection(index == 1 ? Direction::NationalToLocal : Direction::LocalToNational);
    });
    bar->addWidget(new QLabel(QStringLiteral(" Runda: "), bar));
    round_ = new QComboBox(bar);
    round_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    round_->setAccessibleName(QStringLiteral("Runda oceny"));
    round_->setToolTip(QStringLiteral(
        "Błędy grube są wskazywane po jednym: każda runda ocenia obszar bez punktów wskazanych "
        "wcześniej. Tabela i podsumowanie pokazują wybraną rundę."));
    bar->addWidget(round_);
    connect(round_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!filling_ && index >= 0)
            ShowRound(static_cast<size_t>(index));
    });
    bar->addWidget(new QLabel(QStringLiteral(" Tolerancja: "), bar));
    auto* tolerance = new QDoubleSpinBox(bar);
    tolerance->setRange(1.0, 1000.0);
    tolerance->setDecimals(1);
    tolerance->setSuffix(QStringLiteral(" mm"));
    tolerance->setValue(static_cast<double>(kDefaultTolerance * 1000.0L));
    tolerance->setKeyboardTracking(false);
    tolerance->setAccessibleName(QStringLiteral("Tolerancja"));
    tolerance->setToolTip(QStringLiteral(
        "Najmniejsza odchyłka przy pominięciu punktu, jaką reguła może uznać za błąd gruby"));
    bar->addWidget(tolerance);
    connect(tolerance, &QDoubleSpinBox::valueChanged, this,
        [this](double mm) { SetTolerance(static_cast<Extended>(mm) / 1000.0L); });
    bar->addSeparator();
    auto* whole = new QPushButton(QStringLiteral("&Cały obszar"), bar);
    bar->addWidget(whole);
    auto* zoomIn = new QPushButton(QStringLiteral("Powiększ"), bar);
    auto* zoomOut = new QPushButton(QStringLiteral("Pomniejsz"), bar);
    bar->addWidget(zoomIn);
    bar->addWidget(zoomOut);
    auto* legend = new QPushButton(QStringLiteral("&Legenda"), bar);
    legend->setCheckable(true);
    legend->setChecked(map_->LegendShown());
    legend->setToolTip(QStringLiteral("Legenda, skale i kierunek północy na rysunku"));
    bar->addWidget(legend);
    connect(legend, &QPushButton::toggled, map_, &MapView::ShowLegend);

    connect(whole, &QPushButton::clicked, map_, &MapView::FitAll);
    connect(zoomIn, &QPushButton::clicked, map_, [this] { map_->ZoomBy(1.25); });
    connect(zoomOut, &QPushButton::clicked, map_, [this] { map_->ZoomBy(0.8); });

    setTabOrder(directionBox_, round_);
    setTabOrder(round_, tolerance);
    setTabOrder(tolerance, whole);
    setTabOrder(whole, zoomIn);
    setTabOrder(zoomIn, zoomOut);
    setTabOrder(zoomOut, legend);
    setTabOrder(legend, pointTable_);
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
    closeChecks_->setEnabled(true);
    checks_ = std::move(file.Points);
    unreadableChecks_ = std::move(file.UnreadableLines);
    recompute();
    return true;
}

void AreaWindow::CloseChecks()
{
    checkPath_.reset();
    closeChecks_->setEnabled(false);
    checks_.clear();
    unreadableChecks_.clear();
    recompute();
}

void AreaWindow::SetDirection(Direction direction)
{
    if (direction_ == direction)
        return;
    direction_ = direction;
    directionBox_->setCurrentIndex(FromNational(direction) ? 1 : 0);
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
    freezeOrder_ = true;
}

void AreaWindow::recompute()
{
    freezeOrder_ = false;
    if (!area_)
        return;
    computation_->Start(*area_, Options(), checks_, unreadableChecks_);
    for (QAction* a : needResult_)
        a->setEnabled(false);
    progress_->setRange(0, 0);
    progressText_->setText(QStringLiteral("Obliczanie…"));
    progressBar_->show();
}

void AreaWindow::showProgress()
{
    const AreaComputation::Progress p = computation_->Now();
    if (p.Total == 0)
        return;
    progress_->setRange(0, static_cast<int>(p.Total));
    progress_->setValue(static_cast<int>(std::min(p.Done, p.Total)));
    progressText_->setText(QStringLiteral("Ocena punktów, runda %1: ").arg(p.Round + 1));
}

void AreaWindow::CancelComputation()
{
    if (!computation_->Running())
        return;
    computation_->Cancel();
    // The area as it is set now, without figures: the ticks and names stay.
    auto stopped = std::make_shared<AreaCheck>();
    stopped->Refusal = "Obliczenia przerwano: zmiana kierunku, zaznaczenia lub tolerancji "
                       "liczy je od nowa.";
    for (size_t i = 0; i < area_->Points.size(); ++i)
        stopped->Rows.push_back(
            PointRow { Cp1250ToUtf8(area_->Points[i].Name), excluded_[i], {}, {}, 0, {}, {} });
    showCheck(std::move(stopped));
}

bool AreaWindow::WaitForComputation(int ms)
{
    return computation_->Wait(ms);
}

void AreaWindow::showCheck(std::shared_ptr<AreaCheck> check)
{
    progressBar_->hide();
    for (QAction* a : needResult_)
        a->setEnabled(true);
    keptIndex_.clear();
    TPktDostosowania leftOut;
    for (size_t i = 0; i < excluded_.size(); ++i)
        if (!excluded_[i])
            keptIndex_.push_back(i);
        else
            leftOut.push_back(area_->Points[i]);
    const bool keepView = check_->Picture.has_value() && check->Picture.has_value();
    const double zoom = map_->Zoom();
    // The view stays on the point at its middle, found by name: a tick changes the indices.
    std::optional<std::string> middleName;
    if (const auto middle = map_->PointNearestToMiddle(); middle && check_->Picture)
        middleName = check_->Picture->Points[*middle].Name;
    map_->SetPicture(nullptr);
    check_ = std::move(check);
    map_->SetPicture(check_->Picture ? &*check_->Picture : nullptr, std::move(leftOut));
    std::optional<size_t> middle;
    for (size_t k = 0; keepView && middleName && k < check_->Picture->Points.size(); ++k)
        if (check_->Picture->Points[k].Name == *middleName) {
            middle = k;
            break;
        }
    if (keepView && zoom != 1.0 && middle) {
        map_->CentreOn(*middle);
        map_->ZoomBy(zoom / map_->Zoom());
        map_->Select(std::nullopt);
    }
    fillRounds();
    fillPoints();
    freezeOrder_ = false;
    fillChecks();
    fillSummary();
}

void AreaWindow::closeEvent(QCloseEvent* event)
{
    const auto ticked = std::count(excluded_.begin(), excluded_.end(), true);
    if (ticked > 0
        && CurrentPlatform().AskYesNo("Zamknąć okno? Zaznaczenia „Pomiń” (" + std::to_string(ticked)
                   + " pkt) nie zostaną zachowane.",
               "Kontrola obszaru")
            != Answer::Yes) {
        event->ignore();
        return;
    }
    computation_->Cancel();
    QMainWindow::closeEvent(event);
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

} // namespace vorida::obszar
