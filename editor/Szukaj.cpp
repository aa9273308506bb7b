#include "Szukaj.h"

#include "Platform.h"
#include "QtPlatform.h"
#include "TextArea.h"
#include "ui_Szukaj.h"

#include <QKeyEvent>

namespace vorida::editor {

TForm_Szukaj::TForm_Szukaj(QWidget* owner)
    : QWidget(owner,
        Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TForm_Szukaj>())
{
    QtPlatform::LoadWindowsFonts();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    ui->setupUi(this);
    setFixedSize(368, 119);

    connect(ui->Button1, &QPushButton::clicked, this, &TForm_Szukaj::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm_Szukaj::Button2Click);
    ui->Edit1->installEventFilter(this);

    show();
    ui->Edit1->setFocus();
}

TForm_Szukaj::~TForm_Szukaj() = default;

void TForm_Szukaj::ShowAgain()
{
    show();
    raise();
    activateWindow();
    ui->Edit1->setFocus();
    ui->Edit1->selectAll();
}

int TForm_Szukaj::kierunekItemIndex() const
{
    return ui->DoGory->isChecked() ? 0 : 1;
}

void TForm_Szukaj::SetKierunekItemIndex(int index)
{
    (index == 0 ? ui->DoGory : ui->DoDolu)->setChecked(true);
}

bool TForm_Szukaj::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Edit1 && event->type() == QEvent::KeyPress)
        Edit1KeyDown(static_cast<QKeyEvent*>(event)->key());
    return QWidget::eventFilter(watched, event); // the key goes on to the field unchanged
}

void TForm_Szukaj::Edit1KeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        ui->Button1->click();
}

void TForm_Szukaj::Button1Click()
{
    FindNext();
}

void TForm_Szukaj::Button2Click()
{
    hide();
}

void TForm_Szukaj::FindNext()
{
    if (!TargetEditor)
        return;
    TextArea& editor = *TargetEditor;
    const bool down = kierunekItemIndex() == 1;

    const QString text = ui->Edit1->text();
    TextArea::SearchOptions options;
    options.MatchCase = ui->CheckBox1->isChecked();
    options.WholeWords = ui->CheckBox2->isChecked();
    options.SelectedOnly = ui->CheckBox3->isChecked();
    options.Backwards = !down;

    // Does the search start at the edge of the text (or of the selection searched) in its own
    // direction? An empty text is at both edges.
    const bool atEdge = editor.SearchStartsAtEdge(options);

    // In normal mode, and the mode back afterwards without reshaping the hit: whole-lines mode
    // would widen it to its line and the next search would skip the rest of that line.
    const TextArea::SelectionMode mode = editor.GetSelectionMode();
    editor.SetSelectionMode(TextArea::SelectionMode::Normal);
    const int hits = editor.Find(text, options);
    editor.RestoreSelectionMode(mode);
    if (hits > 0)
        return;

    Platform& platform = CurrentPlatform();
    if (atEdge) {
        platform.ShowMessage("Tekstu nie znaleziono.");
        return;
    }
    if (platform.AskOkCancel("Koniec pliku. Szukać od początku?", "TELLAR Edytor") != Answer::Ok)
        return;
    editor.RestartSearch(options);
    // This time in whatever selection mode the text area has.
    if (editor.Find(text, options) == 0)
        platform.ShowMessage("Tekstu nie znaleziono.");
}

} // namespace vorida::editor
