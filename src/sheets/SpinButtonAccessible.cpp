#include "sheets/SpinButtonAccessible.h"

#include "sheets/CSpinButton.h"

#include <mutex>

SpinButtonAccessible::SpinButtonAccessible(CSpinButton* spin)
    : QAccessibleWidget(spin, QAccessible::SpinBox) {}

void SpinButtonAccessible::Install() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&SpinButtonAccessible::Create); });
}

QAccessibleInterface* SpinButtonAccessible::Create(const QString& className, QObject* object) {
    if (className == QLatin1String("CSpinButton")) {
        if (auto* spin = qobject_cast<CSpinButton*>(object)) {
            return new SpinButtonAccessible(spin);
        }
    }
    return nullptr;
}

CSpinButton* SpinButtonAccessible::Spin() const {
    return static_cast<CSpinButton*>(widget());
}

QStringList SpinButtonAccessible::actionNames() const {
    QStringList names = QAccessibleWidget::actionNames();
    if (Spin()->isEnabled()) {
        names << increaseAction() << decreaseAction();
    }
    return names;
}

void SpinButtonAccessible::doAction(const QString& actionName) {
    // The same steps the arrows make, so the dialog cannot tell the two apart.
    if (actionName == increaseAction()) {
        Spin()->stepUp();
    } else if (actionName == decreaseAction()) {
        Spin()->stepDown();
    } else {
        QAccessibleWidget::doAction(actionName);
    }
}

QStringList SpinButtonAccessible::keyBindingsForAction(const QString& actionName) const {
    if (actionName == increaseAction()) {
        return {QStringLiteral("Up")};
    }
    if (actionName == decreaseAction()) {
        return {QStringLiteral("Down")};
    }
    return QAccessibleWidget::keyBindingsForAction(actionName);
}
