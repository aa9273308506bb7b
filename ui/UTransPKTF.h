// The main window: the area of the adjustment data, the instruction text, the direction and
// the decimals of a run, the run itself, and the five file buttons.
#pragma once

#include <QDialog>
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
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    Ui::TForm1& Controls() { return *ui_; }

    // Start-up: loads the area, names the buttons, centres the area name, refreshes the buttons.
    void FormShow();
    // One run in the direction of the radio buttons, with the decimals of the spin edit.
    void BitBtn1Click();
    void BitBtn2Click();
    void OpenWebPage();
    // The area panel's right-click menu: "Kontrola obszaru…" starts vorida-obszar on this
    // window's TRANSPKT.BIN.
    QMenu& AreaMenu() { return *areaMenu_; }
    void OpenAreaCheck();

    // Asks every editor window holding unsaved text its own question; false when one was
    // cancelled (the program then stays open).
    bool CloseEditorWindows();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TForm1> ui_;
    bool shown_ = false;
    QMenu* areaMenu_ = nullptr;
};

} // namespace vorida::ui
