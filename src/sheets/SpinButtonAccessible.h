#pragma once

#include <QAccessibleWidget>

class CSpinButton;
class QObject;
class QString;

// What a screen reader can do with the up-down arrows: Increase and Decrease step them as the
// up and down arrows do, while the control is enabled, and are not offered while it is not.
// The arrows carry no value of their own (the dialog shows what a step did beside them), so
// none is exposed: a value offered would make the reader's own Increase and Decrease change
// that value instead, which nothing here reads.
class SpinButtonAccessible : public QAccessibleWidget {
public:
    explicit SpinButtonAccessible(CSpinButton* spin);

    // Makes the accessibility interface build this for every CSpinButton; once per program.
    static void Install();

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

private:
    static QAccessibleInterface* Create(const QString& className, QObject* object);
    CSpinButton* Spin() const;
};
