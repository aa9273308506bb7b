#include "UEdytorFrame.h"

#include "Platform.h"
#include "Printing.h"
#include "Szukaj.h"
#include "TextArea.h"
#include "TextFile.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QClipboard>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

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

    struct ButtonSpec
    {
        const char* name;
        const char* hint;
        int glyph;
        void (TEdytorFrame::*click)();
    };
    const ButtonSpec buttons[12] = {
        { "ToolbarButton974", "Wyczyść", 3, &TEdytorFrame::ToolbarButton974Click },
        { "ToolbarButton975", "Otwórz", 4, &TEdytorFrame::ToolbarButton975Click },
        { "ToolbarButton976", "Zapisz", 5, &TEdytorFrame::ToolbarButton976Click },
        { "ToolbarButton977", "Drukuj", 6, &TEdytorFrame::ToolbarButton977Click },
        { "ToolbarButton971", "Zaznaczanie zwykłe", 2, &TEdytorFrame::ToolbarButton971Click },
        { "ToolbarButton972", "Zaznaczanie całych linii", 1, &TEdytorFrame::ToolbarButton972Click },
        { "ToolbarButton973", "Zaznacznie kolumnowe", 0, &TEdytorFrame::ToolbarButton973Click },
        { "ToolbarButton978", "Kopiuj", 7, &TEdytorFrame::ToolbarButton978Click },
        { "ToolbarButton979", "Wytnij", 8, &TEdytorFrame::ToolbarButton979Click },
        { "ToolbarButton9710", "Wklej", 9, nullptr }, // runs the action wklejaj
        { "ToolbarButton9711", "Cofnij", 10, &TEdytorFrame::ToolbarButton9711Click },
        { "ToolbarButton9712", "Szukaj", 11, &TEdytorFrame::ToolbarButton9712Click },
    };

    wklejaj = new QAction(EditorGlyph(9), QStringLiteral("Wklej"), this);
    wklejaj->setObjectName(QStringLiteral("wklejaj"));
    wklejaj->setToolTip(QStringLiteral("Wklej"));
    wklejaj->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    wklejaj->setShortcutContext(Qt::WindowShortcut);
    addAction(wklejaj);
    connect(wklejaj, &QAction::triggered, this, &TEdytorFrame::wklejajExecute);

    selectionModes_ = new QButtonGroup(this);
    selectionModes_->setExclusive(true);
    int x = 0;
    for (const ButtonSpec& spec : buttons) {
        auto* button = new QToolButton(strip);
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setGeometry(x, 0, 25, 25);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus); // the text area keeps the focus
        button->setIcon(EditorGlyph(spec.glyph));
        button->setIconSize(QSize(16, 16));
        button->setToolTip(QString::fromUtf8(spec.hint));
        if (spec.click)
            connect(button, &QToolButton::clicked, this, spec.click);
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
    setFocusProxy(TextArea1);
}

TEdytorFrame::~TEdytorFrame()
{
    delete searchDialog_.data();
}

TForm_Szukaj* TEdytorFrame::SearchDialog() const
{
    return searchDialog_.data();
}

void TEdytorFrame::report(const std::exception& error)
{
    CurrentPlatform().ShowMessage(error.what());
}

// ---- Files ----

bool TEdytorFrame::SaveFile()
{
    TextArea1->FinishEditing();
    if (fileName_.isEmpty()) {
        // Only a window whose file could not be read has no name: ask for one and keep it.
        auto chosen = CurrentPlatform().ChooseFileToSave("", "");
        if (!chosen)
            return false;
        const QString path = QString::fromStdString(*chosen);
        WriteWholeFile(path, TextArea1->SavedBytes());
        fileName_ = path;
        emit FileNameChanged(path);
    } else {
        WriteWholeFile(fileName_, TextArea1->SavedBytes());
    }
    TextArea1->SetModified(false);
    return true;
}

void TEdytorFrame::ToolbarButton975Click()
{
    try {
        auto chosen = CurrentPlatform().ChooseFileToOpen("", "");
        if (!chosen)
            return;
        // Read first: a file that cannot be read leaves everything as it was.
        const std::string bytes = ReadWholeFile(QString::fromStdString(*chosen));
        TextArea1->LoadBytes(bytes);
        ExpandTabs();
        TextArea1->SetModified(true); // the text now differs from the window's own file
    } catch (const std::exception& error) {
        report(error);
    }
}

void TEdytorFrame::ToolbarButton976Click()
{
    try {
        SaveFile();
    } catch (const std::exception& error) {
        report(error);
    }
}

void TEdytorFrame::ToolbarButton974Click()
{
    TextArea1->ClearAll();
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
    area.EmptyUndoHistory();
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
    try {
        PrintService& service = PrintService::Current();
        TextArea1->FinishEditing();
        std::unique_ptr<QsciPrinter> printer = service.CreatePrinter();
        PreparePrinter(*printer);
        const int pages = CountPages(*TextArea1, *printer);
        if (!service.ExecPrintDialog(*printer, pages, TextArea1->hasSelectedText(), window()))
            return;
        PrintText(*TextArea1, *printer);
    } catch (const std::exception& error) {
        report(error);
    }
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

} // namespace vorida::editor
