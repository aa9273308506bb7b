#include "Szukaj.h"

#include "Platform.h"
#include "QtPlatform.h"
#include "TextArea.h"
#include "ui_Szukaj.h"

#include <QAction>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>

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
    for (const bool down : { true, false }) {
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(down ? Qt::Key_F3 : (Qt::SHIFT | Qt::Key_F3)));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, down] { FindInDirection(down); });
    }

    // Opened to be typed in: active, the keyboard in the text field, as each later showing.
    ShowAgain();
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

QString TForm_Szukaj::SearchText() const
{
    return ui->Edit1->text();
}

void TForm_Szukaj::FindNext()
{
    FindInDirection(kierunekItemIndex() == 1);
}

void TForm_Szukaj::FindInDirection(bool down)
{
    if (!TargetEditor)
        return;
    TextArea& editor = *TargetEditor;

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
    if (hits > 0) {
        stayOffTheHit();
        return;
    }

    // The messages belong to this dialog while it is shown, else to the editor searched.
    const QtPlatform::DialogOwner owner(isVisible() ? this : editor.window());
    Platform& platform = CurrentPlatform();
    if (atEdge) {
        platform.ShowMessage(kTextNotFound);
        return;
    }
    if (platform.AskOkCancel("Koniec pliku. Szukać od początku?", "TELLAR Edytor") != Answer::Ok)
        return;
    editor.RestartSearch(options);
    // This time in whatever selection mode the text area has.
    if (editor.Find(text, options) == 0)
        platform.ShowMessage(kTextNotFound);
    else
        stayOffTheHit();
}

void TForm_Szukaj::stayOffTheHit()
{
    if (!isVisible() || !TargetEditor)
        return;
    TextArea& editor = *TargetEditor;
    const auto point = [&editor](long position) {
        return QPoint(static_cast<int>(editor.SendScintilla(
                          QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, position)),
            static_cast<int>(
                editor.SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, position)));
    };
    const long start = editor.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    const long end = editor.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONEND);
    const int lineHeight = static_cast<int>(editor.SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT,
        static_cast<unsigned long>(
            editor.SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, start))));
    // A hit on one line: from its start to its end; one over several lines: their full width.
    QRect hit(point(start), point(end) + QPoint(0, lineHeight));
    if (hit.height() > lineHeight + 1)
        hit = QRect(0, hit.top(), editor.viewport()->width(), hit.height());
    hit = QRect(
        editor.viewport()->mapToGlobal(hit.normalized().topLeft()), hit.normalized().size());
    const QRect frame = frameGeometry();
    if (!frame.intersects(hit))
        return;
    // Below the hit if the screen has room, else above it, else beside it.
    const QScreen* shown = screen();
    const QRect room = shown ? shown->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    const int gap = 8;
    QPoint place(frame.left(), hit.bottom() + gap);
    if (place.y() + frame.height() > room.bottom())
        place.setY(hit.top() - gap - frame.height());
    if (place.y() < room.top()) {
        place.setY(frame.top());
        place.setX(hit.right() + gap);
        if (place.x() + frame.width() > room.right())
            place.setX(hit.left() - gap - frame.width());
    }
    place.setX(
        std::clamp(place.x(), room.left(), std::max(room.left(), room.right() - frame.width())));
    move(place);
}

} // namespace vorida::editor
