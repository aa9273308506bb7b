#include "UEdytorFrame.h"

#include "DiskWatch.h"
#include "Failure.h"
#include "Platform.h"
#include "Printing.h"
#include "System.h"
#include "Szukaj.h"
#include "TextArea.h"
#include "TextFile.h"
#include "Zamien.h"

#include "QtPlatform.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <Qsci/qscicommandset.h>

#include <algorithm>

namespace vorida::editor {

namespace {

const char* const kGlyphFiles[12] = {
    "00-zaznaczanie-kolumnowe",
    "01-zaznaczanie-linii",
    "02-zaznaczanie-zwykle",
    "03-wyczysc",
    "04-otworz",
    "05-zapisz",
    "06-drukuj",
    "07-kopiuj",
    "08-wytnij",
    "09-wklej",
    "10-cofnij",
    "11-szukaj",
};

} // namespace

QIcon EditorGlyph(int index)
{
    return QIcon(QStringLiteral(":/vorida/editor/glyphs/%1.xpm")
                     .arg(QString::fromLatin1(kGlyphFiles[index])));
}

TEdytorFrame::TEdytorFrame(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(70);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("Panel1"));
    strip->setFixedHeight(25);
    layout->addWidget(strip);

    TextArea1 = new TextArea(this);
    TextArea1->setObjectName(QStringLiteral("TextArea1"));
    layout->addWidget(TextArea1, 1);

    wklejaj = new QAction(EditorGlyph(9), QStringLiteral("Wklej"), this);
    wklejaj->setObjectName(QStringLiteral("wklejaj"));
    wklejaj->setToolTip(QStringLiteral("Wklej"));
    // Shift+Insert pastes as Ctrl+V does, with its tabs expanded.
    wklejaj->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert) });
    wklejaj->setShortcutContext(Qt::WindowShortcut);
    addAction(wklejaj);
    connect(wklejaj, &QAction::triggered, this, &TEdytorFrame::wklejajExecute);

    buildToolbar(strip);
    buildContextMenu();
    setFocusProxy(TextArea1);
    buildKeys();

    encodingLabel_ = new QLabel(strip);
    encodingLabel_->setObjectName(QStringLiteral("Kodowanie"));
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 4, 0);
    // The labels to the right of the twelve buttons, never over one, in the dialogs' font:
    // "zmieniony" and the encoding fit beside them at the window's width of 447 pixels.
    stripLayout->addSpacing(12 * 25);
    stripLayout->addStretch(1);
    buildModifiedMark(*stripLayout);
    stripLayout->addWidget(encodingLabel_);
    QtPlatform::LoadWindowsFonts();
    QFont labels(QStringLiteral("MS Sans Serif"));
    labels.setPixelSize(11);
    modifiedLabel_->setFont(labels);
    encodingLabel_->setFont(labels);
    showEncoding();

    diskWatch_ = new DiskWatch(this);
    connect(diskWatch_, &DiskWatch::CheckDue, this, &TEdytorFrame::CheckDisk);
}

void TEdytorFrame::buildToolbar(QWidget* strip)
{
    struct ToolbarRow
    {
        const char* name;
        const char* hint;
        int glyph;
        void (TEdytorFrame::*click)();
    };
    const ToolbarRow buttons[12] = {
        { "ToolbarButton974", "Wyczyść", 3, &TEdytorFrame::ToolbarButton974Click },
        { "ToolbarButton975", "Otwórz (Ctrl+O)", 4, &TEdytorFrame::ToolbarButton975Click },
        { "ToolbarButton976", "Zapisz (Ctrl+S)", 5, &TEdytorFrame::ToolbarButton976Click },
        { "ToolbarButton977", "Drukuj (Ctrl+P)", 6, &TEdytorFrame::ToolbarButton977Click },
        { "ToolbarButton971", "Zaznaczanie zwykłe", 2, &TEdytorFrame::ToolbarButton971Click },
        { "ToolbarButton972", "Zaznaczanie całych linii", 1, &TEdytorFrame::ToolbarButton972Click },
        { "ToolbarButton973", "Zaznacznie kolumnowe", 0, &TEdytorFrame::ToolbarButton973Click },
        { "ToolbarButton978", "Kopiuj (Ctrl+C)", 7, &TEdytorFrame::ToolbarButton978Click },
        { "ToolbarButton979", "Wytnij (Ctrl+X)", 8, &TEdytorFrame::ToolbarButton979Click },
        { "ToolbarButton9710", "Wklej (Ctrl+V)", 9, nullptr }, // runs the action wklejaj
        { "ToolbarButton9711", "Cofnij (Ctrl+Z)", 10, &TEdytorFrame::ToolbarButton9711Click },
        { "ToolbarButton9712", "Szukaj (Ctrl+F, F3, Shift+F3)", 11,
            &TEdytorFrame::ToolbarButton9712Click },
    };

    selectionModes_ = new QButtonGroup(this);
    selectionModes_->setExclusive(true);
    int x = 0;
    for (const ToolbarRow& row : buttons) {
        auto* button = new QToolButton(strip);
        button->setObjectName(QString::fromLatin1(row.name));
        button->setGeometry(x, 0, 25, 25);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus); // the text area keeps the focus
        button->setIcon(EditorGlyph(row.glyph));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(QString::fromUtf8(row.hint));
        if (row.click)
            connect(button, &QToolButton::clicked, this, row.click);
        else
            connect(button, &QToolButton::clicked, wklejaj, &QAction::trigger);
        x += 25;
    }
    for (const char* name : { "ToolbarButton971", "ToolbarButton972", "ToolbarButton973" }) {
        auto* button = strip->findChild<QToolButton*>(QString::fromLatin1(name));
        button->setCheckable(true);
        selectionModes_->addButton(button);
    }
    strip->findChild<QToolButton*>(QStringLiteral("ToolbarButton971"))->setChecked(true);
}

void TEdytorFrame::buildContextMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const struct
    {
        const char* name;
        const char* caption;
        void (TEdytorFrame::*click)();
    } items[] = {
        { "Cofnij1", "Cofnij", &TEdytorFrame::Cofnij1Click },
        { "Wytnij1", "Wytnij", &TEdytorFrame::Wytnij1Click },
        { "Kopiuj1", "Kopiuj", &TEdytorFrame::Kopiuj1Click },
        { "Wklej1", "Wklej", &TEdytorFrame::Wklej1Click },
    };
    for (const auto& item : items) {
        QAction* action = PopupMenu1->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        connect(action, &QAction::triggered, this, item.click);
    }
    TextArea1->SetContextMenu(PopupMenu1);
}

void TEdytorFrame::buildKeys()
{
    // The keys every editor has, for the whole window. A key the text area binds itself would
    // never reach a window shortcut: such a binding goes.
    const struct
    {
        const char* name;
        QKeyCombination key;
        void (TEdytorFrame::*run)();
    } keys[] = {
        { "zapiszKey", Qt::CTRL | Qt::Key_S, &TEdytorFrame::ToolbarButton976Click },
        { "otworzKey", Qt::CTRL | Qt::Key_O, &TEdytorFrame::ToolbarButton975Click },
        { "szukajKey", Qt::CTRL | Qt::Key_F, &TEdytorFrame::ToolbarButton9712Click },
        { "drukujKey", Qt::CTRL | Qt::Key_P, &TEdytorFrame::ToolbarButton977Click },
        { "zamienKey", Qt::CTRL | Qt::Key_H, &TEdytorFrame::ShowReplace },
        { "wierszKey", Qt::CTRL | Qt::Key_G, &TEdytorFrame::AskGoToLine },
    };
    QsciCommandSet& commands = *TextArea1->standardCommands();
    for (const auto& key : keys) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(key.name));
        action->setShortcut(QKeySequence(key.key));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, key.run);
    }
    for (const bool down : { true, false }) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(down ? "dalejKey" : "wsteczKey"));
        action->setShortcut(QKeySequence(down ? Qt::Key_F3 : (Qt::SHIFT | Qt::Key_F3)));
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, [this, down] { FindAgain(down); });
    }
    for (QAction* action : actions()) {
        for (const QKeySequence& shortcut : action->shortcuts()) {
            const int key = shortcut[0].toCombined();
            if (QsciCommand* bound = commands.boundTo(key)) {
                if (bound->key() == key)
                    bound->setKey(0);
                if (bound->alternateKey() == key)
                    bound->setAlternateKey(0);
            }
        }
    }
}

TEdytorFrame::~TEdytorFrame()
{
    delete searchDialog_.data();
    delete replaceDialog_.data();
}

TForm_Szukaj* TEdytorFrame::SearchDialog() const
{
    return searchDialog_.data();
}

// ---- Tabs and paste ----

void TEdytorFrame::ExpandTabs()
{
    TextArea& area = *TextArea1;
    area.viewport()->setCursor(Qt::WaitCursor);
    area.setUpdatesEnabled(false);
    area.ExpandAllTabs();
    area.setUpdatesEnabled(true);
    area.viewport()->setCursor(Qt::IBeamCursor);
}

void TEdytorFrame::PasteExpandingTabs()
{
    TextArea& area = *TextArea1;
    if (!area.hasFocus())
        return;
    long start = area.PastePosition();
    // A paste into virtual space first fills it with blanks: the pasted text starts after them.
    const int padding
        = area.hasSelectedText() || area.GetSelectionMode() == TextArea::SelectionMode::Lines
        ? 0
        : area.CaretVirtualSpace();
    const int line = area.LineOf(start);
    const int column = area.ColumnOf(start) + padding;
    start += padding;

    // The paste and its expansion are one undo step, after the typing before it.
    const TextArea::UndoStep step(area);
    area.paste();
    const long end = area.CaretPosition();
    if (area.Bytes(start, end).find('\t') != std::string_view::npos) {
        ExpandTabs();
        // Tabs before the paste on its line have become spaces too: find the start of the
        // pasted text again by its display column, which expansion keeps.
        start = area.PositionAt(line, column);
    }
    area.SetCaretPosition(start);
}

void TEdytorFrame::wklejajExecute()
{
    PasteExpandingTabs();
}

// ---- Printing ----

void TEdytorFrame::ToolbarButton977Click()
{
    const QtPlatform::DialogOwner owner(window());
    ShowingFailure([this] {
        PrintService& service = PrintService::Current();
        TextArea1->FinishEditing();
        std::unique_ptr<QsciPrinter> printer = service.CreatePrinter();
        PreparePrinter(*printer);
        ChooseOrientation(*TextArea1, *printer);
        const int pages = CountPages(*TextArea1, *printer);
        if (!service.ExecPrintDialog(*printer, pages, TextArea1->hasSelectedText(), window()))
            return;
        PrintText(*TextArea1, *printer);
    });
}

// ---- Selection modes, clipboard, undo ----

void TEdytorFrame::ToolbarButton971Click()
{
    TextArea1->SetSelectionMode(TextArea::SelectionMode::Normal);
}

void TEdytorFrame::ToolbarButton972Click()
{
    TextArea1->SetSelectionMode(TextArea::SelectionMode::Lines);
}

void TEdytorFrame::ToolbarButton973Click()
{
    TextArea1->SetSelectionMode(TextArea::SelectionMode::Column);
}

void TEdytorFrame::ToolbarButton978Click()
{
    TextArea1->copy();
}

void TEdytorFrame::ToolbarButton979Click()
{
    TextArea1->cut();
}

void TEdytorFrame::ToolbarButton9711Click()
{
    TextArea1->undo();
}

void TEdytorFrame::Cofnij1Click()
{
    TextArea1->undo();
}

void TEdytorFrame::Wytnij1Click()
{
    TextArea1->cut();
}

void TEdytorFrame::Kopiuj1Click()
{
    TextArea1->copy();
}

void TEdytorFrame::Wklej1Click()
{
    TextArea1->paste();
}

// ---- Search ----

void TEdytorFrame::ToolbarButton9712Click()
{
    if (!searchDialog_) {
        searchDialog_ = new TForm_Szukaj(window());
        searchDialog_->TargetEditor = TextArea1;
    } else {
        searchDialog_->ShowAgain();
    }
}

void TEdytorFrame::FindAgain(bool down)
{
    if (!searchDialog_ || searchDialog_->SearchText().isEmpty())
        ToolbarButton9712Click();
    else
        searchDialog_->FindInDirection(down);
}

// ---- "zmieniony", "Przejdź do wiersza" and the replace dialog ----
void TEdytorFrame::buildModifiedMark(QHBoxLayout& strip)
{
    modifiedLabel_ = new QLabel(QStringLiteral("zmieniony"), this);
    modifiedLabel_->setObjectName(QStringLiteral("Zmieniony"));
    modifiedLabel_->setToolTip(QStringLiteral("Tekst ma zmiany, które nie zostały zapisane"));
    modifiedLabel_->setVisible(TextArea1->Modified());
    strip.addWidget(modifiedLabel_);
    strip.addSpacing(6);
    connect(TextArea1, &TextArea::ModifiedChanged, modifiedLabel_, &QLabel::setVisible);
}

void TEdytorFrame::ShowReplace()
{
    if (!replaceDialog_) {
        replaceDialog_ = new TForm_Zamien(window());
        replaceDialog_->TargetEditor = TextArea1;
    } else {
        replaceDialog_->ShowAgain();
    }
}

TForm_Zamien* TEdytorFrame::ReplaceDialog() const
{
    return replaceDialog_.data();
}

void TEdytorFrame::AskGoToLine()
{
    const int lines = std::max(1, TextArea1->LineCount());
    QInputDialog dialog(window());
    dialog.setObjectName(QStringLiteral("PrzejdzDoWiersza"));
    dialog.setWindowTitle(QStringLiteral("Przejdź do wiersza"));
    dialog.setLabelText(QStringLiteral("Numer wiersza (1–%1):").arg(lines));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(1, lines);
    dialog.setIntValue(std::clamp(TextArea1->CaretLine(), 1, lines));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Anuluj"));
    // Wide enough for its caption in the title bar, beside the title bar's buttons.
    QFont title = dialog.font();
    title.setBold(true);
    // (The dialog takes its width from its layout: through the number field.)
    if (auto* number = dialog.findChild<QSpinBox*>())
        number->setMinimumWidth(QFontMetrics(title).horizontalAdvance(dialog.windowTitle()) + 100);
    QtPlatform::KeepAboveStayingOnTop(dialog);
    if (dialog.exec() == QDialog::Accepted)
        GoToLine(dialog.intValue());
}

void TEdytorFrame::GoToLine(int line)
{
    const int lines = std::max(1, TextArea1->LineCount());
    TextArea1->SetCaret(std::clamp(line, 1, lines), 1);
    TextArea1->ensureCursorVisible();
    TextArea1->setFocus();
}

} // namespace vorida::editor
