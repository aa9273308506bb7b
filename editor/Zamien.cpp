#include "Zamien.h"

#include "Platform.h"
#include "QtPlatform.h"
#include "TextArea.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <string>

namespace vorida::editor {

namespace {

constexpr const char* kNotFound = "Tekstu nie znaleziono.";

// The byte position in the text area of the character offset `offset` of `text`.
long bytePosition(const QString& text, qsizetype offset)
{
    return static_cast<long>(QStringView(text).left(offset).toUtf8().size());
}

} // namespace

int ReplaceInText(QString& text, const QString& needle, const QString& replacement, qsizetype from,
    qsizetype to, const SearchOptions& options)
{
    SearchOptions forward = options;
    forward.Backwards = false;
    QString result;
    qsizetype copied = 0;
    int count = 0;
    for (qsizetype hit = FindInText(text, needle, from, to, forward); hit >= 0;
         hit = FindInText(text, needle, hit + needle.size(), to, forward)) {
        result += QStringView(text).mid(copied, hit - copied);
        result += replacement;
        copied = hit + needle.size();
        ++count;
    }
    if (count > 0) {
        result += QStringView(text).mid(copied);
        text = std::move(result);
    }
    return count;
}

int ReplaceAll(
    TextArea& area, const QString& needle, const QString& replacement, const SearchOptions& options)
{
    const QString before = area.text();
    const long selectionStart = area.SelectionStartPosition();
    const long selectionEnd = area.SelectionEndPosition();
    const bool inSelection = options.SelectedOnly && selectionStart < selectionEnd;
    const QByteArray bytes = before.toUtf8();
    const qsizetype from = inSelection ? QString::fromUtf8(bytes.left(selectionStart)).size() : 0;
    const qsizetype to
        = inSelection ? QString::fromUtf8(bytes.left(selectionEnd)).size() : before.size();

    QString after = before;
    const int count = ReplaceInText(after, needle, replacement, from, to, options);
    if (count == 0)
        return 0;
    // Only the span from the first hit to the last changes: the same text before and after it.
    qsizetype head = from;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
        && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const long start = bytePosition(before, head);
    const long end = bytePosition(before, before.size() - tail);
    const QByteArray middle = QStringView(after).mid(head, after.size() - tail - head).toUtf8();
    area.ReplaceUndoably(start, end, std::string_view(middle.constData(), middle.size()));
    if (inSelection) {
        const long grown = static_cast<long>(middle.size()) - (end - start);
        area.SendScintilla(QsciScintillaBase::SCI_SETSEL, selectionStart, selectionEnd + grown);
    }
    return count;
}

bool ReplaceNext(
    TextArea& area, const QString& needle, const QString& replacement, const SearchOptions& options)
{
    SearchOptions forward = options;
    forward.Backwards = false;
    forward.SelectedOnly = false;
    const long start = area.SelectionStartPosition();
    const long end = area.SelectionEndPosition();
    if (start < end) {
        const QString text = area.text();
        const QByteArray bytes = text.toUtf8();
        const qsizetype from = QString::fromUtf8(bytes.left(start)).size();
        const qsizetype to = QString::fromUtf8(bytes.left(end)).size();
        if (to - from == needle.size() && FindInText(text, needle, from, to, forward) == from) {
            const QByteArray utf8 = replacement.toUtf8();
            area.ReplaceUndoably(start, end, std::string_view(utf8.constData(), utf8.size()));
            area.SetCaretPosition(start + static_cast<long>(utf8.size()));
        }
    }
    const TextArea::SelectionMode mode = area.GetSelectionMode();
    area.SetSelectionMode(TextArea::SelectionMode::Normal);
    const int hits = area.Find(needle, forward);
    area.RestoreSelectionMode(mode);
    return hits > 0;
}

TForm_Zamien::TForm_Zamien(QWidget* owner)
    : QWidget(owner,
        Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    QtPlatform::LoadWindowsFonts();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    setFont(font);
    setObjectName(QStringLiteral("TForm_Zamien"));
    setWindowTitle(QStringLiteral("Zamień"));

    auto* grid = new QGridLayout(this);
    const auto field = [this, grid](int row, const char* label, const char* name) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        auto* caption = new QLabel(QString::fromUtf8(label), this);
        caption->setBuddy(edit);
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    Edit1 = field(0, "&Tekst:", "Edit1");
    Edit2 = field(1, "Zamień &na:", "Edit2");
    const auto box = [this, grid](int row, const char* text, const char* name) {
        auto* check = new QCheckBox(QString::fromUtf8(text), this);
        check->setObjectName(QString::fromLatin1(name));
        grid->addWidget(check, row, 0, 1, 2);
        return check;
    };
    CheckBox1 = box(2, "Uwzględniaj wielkość liter", "CheckBox1");
    CheckBox2 = box(3, "Tylko całe wyrazy", "CheckBox2");
    CheckBox3 = box(4, "Tylko zaznaczenie", "CheckBox3");
    const auto button = [this, grid](int row, const char* text, const char* name) {
        auto* push = new QPushButton(QString::fromUtf8(text), this);
        push->setObjectName(QString::fromLatin1(name));
        push->setMinimumWidth(push->fontMetrics().horizontalAdvance(push->text()) + 24);
        grid->addWidget(push, row, 2);
        return push;
    };
    QPushButton* zamien = button(0, "Zamień", "Zamien");
    QPushButton* wszystko = button(1, "Zamień wszystko", "ZamienWszystko");
    QPushButton* anuluj = button(2, "Anuluj", "Anuluj");
    zamien->setDefault(true);
    connect(zamien, &QPushButton::clicked, this, &TForm_Zamien::ZamienClick);
    connect(wszystko, &QPushButton::clicked, this, &TForm_Zamien::ZamienWszystkoClick);
    connect(anuluj, &QPushButton::clicked, this, &QWidget::hide);
    connect(Edit1, &QLineEdit::returnPressed, this, &TForm_Zamien::ZamienClick);
    connect(Edit2, &QLineEdit::returnPressed, this, &TForm_Zamien::ZamienClick);
    Edit1->setMinimumWidth(200);
    setFixedSize(sizeHint());

    show();
    Edit1->setFocus();
}

void TForm_Zamien::ShowAgain()
{
    show();
    raise();
    activateWindow();
    Edit1->setFocus();
    Edit1->selectAll();
}

SearchOptions TForm_Zamien::options() const
{
    SearchOptions options;
    options.MatchCase = CheckBox1->isChecked();
    options.WholeWords = CheckBox2->isChecked();
    options.SelectedOnly = CheckBox3->isChecked();
    return options;
}

void TForm_Zamien::ZamienClick()
{
    if (!TargetEditor || ReplaceNext(*TargetEditor, Edit1->text(), Edit2->text(), options()))
        return;
    const QtPlatform::DialogOwner owner(isVisible() ? this : TargetEditor->window());
    CurrentPlatform().ShowMessage(kNotFound);
}

void TForm_Zamien::ZamienWszystkoClick()
{
    if (!TargetEditor)
        return;
    const int count = ReplaceAll(*TargetEditor, Edit1->text(), Edit2->text(), options());
    const QtPlatform::DialogOwner owner(isVisible() ? this : TargetEditor->window());
    CurrentPlatform().ShowMessage(
        count == 0 ? std::string(kNotFound) : "Zamieniono: " + std::to_string(count) + ".");
}

} // namespace vorida::editor
