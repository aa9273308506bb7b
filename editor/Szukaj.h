// The search dialog of an editor frame: finds the next occurrence of a text in the frame's text
// area, downward or upward, and offers to go on from the other end of the text.
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TForm_Szukaj;
}

namespace vorida::editor {

class TextArea;

class TForm_Szukaj : public QWidget
{
    Q_OBJECT
public:
    // Shows itself at once, with the keyboard focus in its text field.
    explicit TForm_Szukaj(QWidget* owner = nullptr);
    ~TForm_Szukaj() override;

    // The text area searched; not owned.
    TextArea* TargetEditor = nullptr;

    // Shown again by the frame: visible, active, the text field focused and all of it selected.
    void ShowAgain();

    // Direction: 0 "Do góry", 1 "Do dołu".
    int kierunekItemIndex() const;
    void SetKierunekItemIndex(int index);

    void FindNext();
    // FindNext in the given direction, whatever the dialog's own (F3, Shift+F3).
    void FindInDirection(bool down);
    QString SearchText() const;
    void Button1Click();
    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Edit1KeyDown(int key);
    // Moves the dialog off the selected hit when it covers it.
    void stayOffTheHit();

    std::unique_ptr<Ui::TForm_Szukaj> ui;
};

} // namespace vorida::editor
