#include "Zamien.h"

#include "Platform.h"
#include "QtPlatform.h"
#include "TextArea.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vorida::editor {

namespace {

// The UTF-8 length of UTF-16 text.
long utf8Length(QStringView text)
{
    long bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && i + 1 < text.size()
            && QChar::isLowSurrogate(text[i + 1].unicode()))
            bytes += 4, ++i;
        else
            bytes += 3;
    }
    return bytes;
}

using Ranges = std::vector<std::pair<long, long>>; // bytes, [start, end), ascending

// Where "Zamień wszystko" replaces: with "Tylko zaznaczenie" and a selection, inside it (each
// row of a rectangle, the whole lines of a whole-lines selection), else the whole text.
Ranges replaceRanges(const TextArea& area, bool selectedOnly)
{
    const long start = area.SelectionStartPosition();
    const long end = area.SelectionEndPosition();
    if (!selectedOnly || start >= end)
        return { { 0L, area.length() } };
    if (area.SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE)) {
        Ranges rows;
        const long count = area.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONS);
        for (long i = 0; i < count; ++i)
            rows.emplace_back(area.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONNSTART, i),
                area.SendScintilla(QsciScintillaBase::SCI_GETSELECTIONNEND, i));
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    if (area.GetSelectionMode() == TextArea::SelectionMode::Lines)
        return { area.SelectedLines() };
    return { { start, end } };
}

// The hits of `needle` in `ranges`, a part of whole lines at a time (a hit never spans a line
// end), as pieces to be replaced by `replacement`.
TextArea::Pieces findPieces(const TextArea& area, const Ranges& ranges, const QString& needle,
    const QString& replacement, const SearchOptions& options)
{
    SearchOptions forward = options;
    forward.Backwards = false;
    TextArea::Pieces pieces;
    pieces.After = replacement.toStdString();
    std::vector<QString> variants;
    long previous = 0;
    constexpr long kPart = 1L << 20;
    for (const auto& [rangeStart, rangeEnd] : ranges) {
        for (long from = rangeStart; from < rangeEnd;) {
            // Whole lines around [from, to), so that whole words are judged as in the text.
            const int firstLine = area.LineOf(from);
            const int lastLine = area.LineOf(std::min(rangeEnd, from + kPart));
            const long textStart = area.SendScintilla(
                QsciScintillaBase::SCI_POSITIONFROMLINE, static_cast<unsigned long>(firstLine));
            const long textEnd = area.SendScintilla(
                QsciScintillaBase::SCI_GETLINEENDPOSITION, static_cast<unsigned long>(lastLine));
            const long to = std::min(rangeEnd, textEnd);
            const std::string bytes = area.Bytes(textStart, textEnd);
            const QString text
                = QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
            const auto offset = [&bytes, textStart](long position) {
                return QString::fromUtf8(bytes.data(), position - textStart).size();
            };
            const qsizetype end = offset(to);
            qsizetype done = 0;
            long donePosition = textStart;
            for (qsizetype hit = FindInText(text, needle, offset(from), end, forward); hit >= 0;
                 hit = FindInText(text, needle, hit + needle.size(), end, forward)) {
                const long position
                    = donePosition + utf8Length(QStringView(text).mid(done, hit - done));
                const QStringView found = QStringView(text).mid(hit, needle.size());
                auto variant = std::find(variants.begin(), variants.end(), found);
                if (variant == variants.end()) {
                    variants.emplace_back(found.toString());
                    pieces.Before.push_back(found.toUtf8().toStdString());
                    variant = variants.end() - 1;
                    if (variants.size() == 2)
                        pieces.Variants.assign(pieces.Gaps.size(), 0);
                }
                if (!pieces.Variants.empty())
                    pieces.Variants.push_back(static_cast<uint32_t>(variant - variants.begin()));
                if (pieces.Gaps.empty())
                    pieces.First = position;
                pieces.Gaps.push_back(
                    pieces.Gaps.empty() ? 0U : static_cast<uint32_t>(position - previous));
                previous = position;
                done = hit;
                donePosition = position;
            }
            from = textEnd + 1;
        }
    }
    return pieces;
}

} // namespace

int ReplaceAll(
    TextArea& area, const QString& needle, const QString& replacement, const SearchOptions& options)
{
    const Ranges ranges = replaceRanges(area, options.SelectedOnly);
    const bool rectangle
        = ranges.size() > 1 || area.SendScintilla(QsciScintillaBase::SCI_SELECTIONISRECTANGLE) != 0;
    TextArea::Pieces pieces = findPieces(area, ranges, needle, replacement, options);
    const int count = static_cast<int>(pieces.Gaps.size());
    if (count == 0)
        return 0;
    // The selection as it will stand: a rectangle by its corners' lines and columns, any other
    // by its ends, the later one grown by what the pieces inside add.
    const auto corner = [&area](unsigned position, unsigned virtualSpace) {
        const long at = area.SendScintilla(position);
        return std::pair<int, int>(area.LineOf(at),
            area.ColumnOf(at) + static_cast<int>(area.SendScintilla(virtualSpace)));
    };
    const auto anchor = corner(QsciScintillaBase::SCI_GETRECTANGULARSELECTIONANCHOR,
        QsciScintillaBase::SCI_GETRECTANGULARSELECTIONANCHORVIRTUALSPACE);
    const auto caret = corner(QsciScintillaBase::SCI_GETRECTANGULARSELECTIONCARET,
        QsciScintillaBase::SCI_GETRECTANGULARSELECTIONCARETVIRTUALSPACE);
    const bool selected = options.SelectedOnly && area.hasSelectedText();
    const long selectionStart = area.SelectionStartPosition();
    long selectionEnd = area.SelectionEndPosition();
    {
        long position = pieces.First;
        for (size_t j = 0; j < pieces.Gaps.size(); ++j) {
            position += pieces.Gaps[j];
            const auto& before = pieces.Before[pieces.Variants.empty() ? 0 : pieces.Variants[j]];
            if (position < selectionEnd)
                selectionEnd += static_cast<long>(pieces.After.size() - before.size());
        }
    }
    area.ReplacePieces(std::move(pieces));
    if (!selected)
        return count;
    if (rectangle) {
        const auto place
            = [&area](std::pair<int, int> at, unsigned position, unsigned virtualSpace) {
                  const long found = area.PositionAt(at.first, at.second);
                  area.SendScintilla(position, static_cast<unsigned long>(found));
                  area.SendScintilla(virtualSpace,
                      static_cast<unsigned long>(std::max(0, at.second - area.ColumnOf(found))));
              };
        place(anchor, QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHOR,
            QsciScintillaBase::SCI_SETRECTANGULARSELECTIONANCHORVIRTUALSPACE);
        place(caret, QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARET,
            QsciScintillaBase::SCI_SETRECTANGULARSELECTIONCARETVIRTUALSPACE);
    } else {
        area.SendScintilla(QsciScintillaBase::SCI_SETSEL, selectionStart, selectionEnd);
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
    // Esc as "Anuluj" (a window, not a dialog, has no key of its own for it).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::hide);
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
    CurrentPlatform().ShowMessage(kTextNotFound);
}

void TForm_Zamien::ZamienWszystkoClick()
{
    if (!TargetEditor)
        return;
    const int count = ReplaceAll(*TargetEditor, Edit1->text(), Edit2->text(), options());
    const QtPlatform::DialogOwner owner(isVisible() ? this : TargetEditor->window());
    CurrentPlatform().ShowMessage(
        count == 0 ? std::string(kTextNotFound) : "Zamieniono: " + std::to_string(count) + ".");
}

} // namespace vorida::editor
