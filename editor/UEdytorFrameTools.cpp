// The editor frame's tools beside the search: the "zmieniony" mark, "Przejdź do wiersza" and
// the replace dialog.
#include "QtPlatform.h"
#include "TextArea.h"
#include "UEdytorFrame.h"
#include "Zamien.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>

namespace vorida::editor {

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
