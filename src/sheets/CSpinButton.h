#pragma once

#include <QAbstractSpinBox>

// The up-down arrows of a dialog without a value of their own: every step is reported and
// the dialog decides what it means. The arrow keys and Page Up/Down step it when it has the
// focus, and a screen reader's Increase and Decrease do as the arrows do. steps > 0 for the
// up arrow.
class CSpinButton : public QAbstractSpinBox {
    Q_OBJECT

public:
    explicit CSpinButton(QWidget* parent = nullptr);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    void stepped(int steps);

protected:
    StepEnabled stepEnabled() const override;
};
