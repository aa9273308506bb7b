// The window "Kontrola obszaru – NAZWA OBSZARU": the adjustment points of an area with their
// residuals, leave-one-out discrepancies, thresholds and flags, a tick to leave a point out,
// the summary and warnings of the command-line verbs, the check points, and the picture.
#pragma once

#include "AreaCheck.h"
#include "AreaPrint.h"
#include "SavedTexts.h"
#include "TableText.h"

#include <QMainWindow>

#include <QList>

#include <memory>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QPlainTextEdit;
class QPrinter;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace vorida::obszar {

class AreaComputation;
class AreaFileWatch;
class MapView;

// The columns of the adjustment-point table.
enum PointColumn {
    kLeftOut,
    kName,
    kFitVx,
    kFitVy,
    kFitV,
    kLooVx,
    kLooVy,
    kLooV,
    kThreshold,
    kDetectable,
    kFlags,
    // The coordinates last: the figures and the remarks are in view at the window's first size.
    kLocalX,
    kLocalY,
    kNationalX,
    kNationalY,
    kPointColumns
};
// The columns of the check-point table.
enum CheckColumn {
    kCheckName,
    kCheckVx,
    kCheckVy,
    kCheckV,
    kCheckNearest,
    kCheckPlace,
    kCheckColumns
};

class AreaWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit AreaWindow(QWidget* parent = nullptr);
    ~AreaWindow() override;

    // Opens an area file; false after a message when it cannot be read.
    bool OpenArea(const std::string& path);
    // The area file on disk against the one shown: when another program changed it, offers to
    // load it again (the ticks kept by name, the direction kept); otherwise the window goes on
    // showing, saving and printing the area as it was loaded.
    void CheckAreaOnDisk();
    // Opens a check-point file (as verify reads it); false after a message.
    bool OpenChecks(const std::string& path);
    void CloseChecks();
    void SetDirection(Direction direction);
    // The tolerance of the screening (metres), as --tolerance.
    void SetTolerance(Extended metres);
    // Shows round r of the screening in the table and the summary (from 0; the last one when r
    // is past it). A new computation shows its last round.
    void ShowRound(size_t r);
    // Leaves adjustment point i out (or takes it back), with every point of its name.
    void SetExcluded(size_t i, bool excluded);

    // The dialogs' actions; the file comes from the platform's dialog.
    void ChooseArea();
    void ChooseChecks();
    void SaveReport();
    void SavePicture(bool currentView);
    // The adjustment-point table as shown (every row, in the order shown) as a CSV file.
    void SaveTable(CsvFormat format);
    void Print();
    void PrintPreview();
    // Stops the computation running: the window shows the area as set, without figures.
    void CancelComputation();
    // Waits for the computation running to be shown; false after ms milliseconds.
    bool WaitForComputation(int ms = 120000);
    // Prints the map, the tables and the summary on printer (landscape, AreaPrint.h); the
    // number of pages.
    int PrintTo(QPrinter& printer);

    // What the window shows, for the tests.
    const AreaCheck& Check() const { return *check_; }
    const std::optional<AreaFile>& Area() const { return area_; }
    QStandardItemModel& PointModel() { return *points_; }
    QStandardItemModel& CheckModel() { return *checkModel_; }
    QTableView& PointTable() { return *pointTable_; }
    QTableView& CheckTable() { return *checkTable_; }
    MapView& Map() { return *map_; }
    QString SummaryText() const;
    // The options of the computation shown.
    CheckOptions Options() const;
    // The view of the picture as "Zapisz rysunek widoku…" saves it; none without a picture.
    std::optional<PictureView> CurrentView() const;

protected:
    // Asks first when points are ticked: the ticks are the window's only.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildToolBar(); // after the tables and the picture: its buttons act on the picture
    void buildProgressBar();
    // Starts computing what the window shows from what is set; showCheck() shows it when done.
    void recompute();
    void showCheck(std::shared_ptr<AreaCheck> check);
    void showProgress();
    void fillPoints();
    void fillChecks();
    void fillSummary();
    void fillRounds();
    void selectPoint(size_t i); // of the whole set: its row, and its point centred
    void pointClicked(size_t keptIndex);
    void rowActivated();
    PrintedArea printed() const;

    std::optional<AreaFile> area_;
    AreaFileWatch* watch_ = nullptr; // the area file on disk against area_
    std::vector<bool> excluded_;
    Direction direction_ = Direction::LocalToNational;
    Extended tolerance_ = kDefaultTolerance;
    std::optional<std::string> checkPath_;
    std::vector<CheckPoint> checks_;
    std::vector<std::int64_t> unreadableChecks_;
    std::shared_ptr<AreaCheck> check_; // what is shown
    AreaComputation* computation_ = nullptr;
    std::vector<size_t> keptIndex_; // per point of the picture: its index in the whole set
    bool filling_ = false;
    bool freezeOrder_ = false; // the computation comes from a tick: the rows stay in place
    bool frozen_ = false; // they do, until a header is clicked

    QComboBox* directionBox_ = nullptr;
    QComboBox* round_ = nullptr;
    QStandardItemModel* points_ = nullptr;
    QSortFilterProxyModel* pointSort_ = nullptr;
    QTableView* pointTable_ = nullptr;
    QStandardItemModel* checkModel_ = nullptr;
    QSortFilterProxyModel* checkSort_ = nullptr;
    QTableView* checkTable_ = nullptr;
    QPlainTextEdit* summary_ = nullptr;
    MapView* map_ = nullptr;
    QWidget* progressBar_ = nullptr;
    QLabel* progressText_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QAction* closeChecks_ = nullptr;
    QList<QAction*> needResult_; // saving and printing: not while a computation runs
};

// The window's title for an area name (Windows-1250 bytes).
QString AreaWindowTitle(const std::string& areaName);

} // namespace vorida::obszar
