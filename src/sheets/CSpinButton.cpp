#include "sheets/CSpinButton.h"

#include "sheets/SpinButtonAccessible.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

CSpinButton::CSpinButton(QWidget* parent) : QAbstractSpinBox(parent) {
    SpinButtonAccessible::Install();
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setFocusPolicy(Qt::StrongFocus);
    // The arrows alone: the value they change is shown beside them.
    lineEdit()->setReadOnly(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CSpinButton::stepBy(int steps) {
    if (steps != 0 && isEnabled()) {
        emit stepped(steps);
    }
}

QSize CSpinButton::sizeHint() const {
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QRect up =
        style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, this);
    const int frame = style()->pixelMetric(QStyle::PM_SpinBoxFrameWidth, &option, this);
    const int height = QAbstractSpinBox::sizeHint().height();
    // The arrows' own width, with room for the frame; never narrower than a text line is high.
    const int width = qMax(up.width() + 2 * frame + 4, fontMetrics().height());
    return {width, height};
}

QSize CSpinButton::minimumSizeHint() const {
    return sizeHint();
}

QValidator::State CSpinButton::validate(QString& input, int& /*pos*/) const {
    return input.isEmpty() ? QValidator::Acceptable : QValidator::Invalid;
}

QAbstractSpinBox::StepEnabled CSpinButton::stepEnabled() const {
    return isEnabled() ? (StepUpEnabled | StepDownEnabled) : StepNone;
}
