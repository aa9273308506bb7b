// A spin edit for whole numbers that lets a typed value outside its range stand until the
// field loses the focus (QSpinBox refuses such text outright). Text that is not a whole number
// reads as the minimum.
#pragma once

#include <QAbstractSpinBox>

namespace vorida::ui {

class TSpinEdit : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    int Maximum() const { return maximum_; }

    // The text read as a whole number, or the minimum when it is none.
    int Value() const;
    void SetValue(int value);

    QValidator::State validate(QString& input, int& pos) const override;
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int minimum_ = 1;
    int maximum_ = 5;
};

} // namespace vorida::ui
