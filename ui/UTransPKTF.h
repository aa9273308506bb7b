// The main window: the area of the adjustment data, the instruction text, the direction and
// the decimals of a run, the run itself, and the five file buttons.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>
#include <memory>

class QMenu;

namespace Ui {
class TForm1;
}

namespace vorida::ui {

// The address the window's panel, logo and link open: the program's own manual, installed
// beside the executable, until the program has a public homepage.
extern const char* const kManualFileName;

class TForm1 : public QDialog
{
    Q_OBJECT
public:
    // A window working on workFolder (empty: the executable's directory).
    explicit TForm1(QWidget* parent = nullptr, const QString& workFolder = {});
    ~TForm1() override;

    Ui::TForm1& Controls() { return *ui_; }

    // Start-up on the work folder: loads its area, names the buttons, centres the area name,
    // refreshes the buttons.
    void FormShow();
    // One run in the direction of the radio buttons, with the decimals of the spin edit.
    void BitBtn1Click();
    void BitBtn2Click();
    void OpenWebPage();
    // The area panel's right-click menu: "Kontrola obszaru…" starts vorida-obszar on this
    // window's TRANSPKT.BIN.
    QMenu& AreaMenu() { return *areaMenu_; }
    void OpenAreaCheck();

    // ---- The work folder: the area, the point files, the results and the report ----
    const QString& WorkFolder() const { return workFolder_; }
    // A new start on folder (the folder of a file): the editors of the old folder's files ask
    // about unsaved text and close, then the start-up runs on the new folder. False, and the
    // old folder kept, when an editor's question was cancelled.
    bool ChangeWorkFolder(const QString& folder);
    // The folder dialog, then ChangeWorkFolder.
    void ChooseWorkFolder();
    // The work folder in the desktop's file manager.
    void OpenWorkFolder();
    // The folders worked on, the latest first (kRecentFolderCount at most); each start on a
    // folder puts it first and hands the list to save.
    const QStringList& RecentFolders() const { return recentFolders_; }
    void RememberRecentFolders(
        const QStringList& recent, std::function<void(const QStringList&)> save);

    // Asks every editor window holding unsaved text its own question; false when one was
    // cancelled (the program then stays open).
    bool CloseEditorWindows();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FillAreaMenu();
    void ShowWorkFolder();
    bool CloseEditorsIn(const QString& folder);
    std::string WorkDirectory() const;

    std::unique_ptr<Ui::TForm1> ui_;
    bool shown_ = false;
    QMenu* areaMenu_ = nullptr;
    QString workFolder_;
    QStringList recentFolders_;
    std::function<void(const QStringList&)> saveRecentFolders_;
};

} // namespace vorida::ui
