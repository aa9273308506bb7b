#include "SpinEdit.h"

#include <QApplication>
#include <QLineEdit>

namespace vorida::ui {

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    SetValue(minimum_);
}

void TSpinEdit::SetRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = maximum;
}

int TSpinEdit::Value() const
{
    bool ok = false;
    int v = text().trimmed().toInt(&ok, 10); // C-locale digits, never grouped
    return ok ? v : minimum_;
}

void TSpinEdit::SetValue(int value)
{
    lineEdit()->setText(QString::number(value));
}

QValidator::State TSpinEdit::validate(QString& input, int&) const
{
    for (QChar c : input) {
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('+') && c != QLatin1Char('-')
            && c != QLatin1Char('.')) {
            QApplication::beep();
            return QValidator::Invalid;
        }
    }
    return QValidator::Acceptable;
}

void TSpinEdit::stepBy(int steps)
{
    SetValue(std::clamp(Value() + steps, minimum_, maximum_));
    selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    // Only a bound shown as such stops a step: from a typed value outside the range (or text
    // that is no whole number) either step lands inside it.
    const QString shown = text().trimmed();
    StepEnabled enabled = StepNone;
    if (shown != QString::number(maximum_))
        enabled |= StepUpEnabled;
    if (shown != QString::number(minimum_))
        enabled |= StepDownEnabled;
    return enabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    // A typed value outside the range is pulled to the nearer bound.
    const int v = Value();
    if (v < minimum_ || v > maximum_ || text().trimmed().toInt() != v)
        SetValue(std::clamp(v, minimum_, maximum_));
    QAbstractSpinBox::focusOutEvent(event);
}

} // namespace vorida::ui
