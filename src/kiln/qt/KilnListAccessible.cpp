#include "kiln/qt/KilnListAccessible.h"

#include <QWidget>

#include <mutex>

KilnListAccessible::KilnListAccessible(QWidget* list) : QAccessibleWidget(list) {}

void KilnListAccessible::Install() {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&KilnListAccessible::Create); });
}

QAccessibleInterface* KilnListAccessible::Create(const QString& className, QObject* object) {
    if (className == QLatin1String("CMyListView") && object != nullptr && object->isWidgetType()) {
        return new KilnListAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

QList<QAccessibleInterface*> KilnListAccessible::ShownChildren() const {
    QList<QAccessibleInterface*> shown;
    const int count = QAccessibleWidget::childCount();
    for (int i = 0; i < count; ++i) {
        QAccessibleInterface* candidate = QAccessibleWidget::child(i);
        // Hidden by the list itself, not merely not on screen yet: a list in a window about to
        // be shown already exposes its view.
        const auto* widget =
            candidate != nullptr ? qobject_cast<QWidget*>(candidate->object()) : nullptr;
        if (widget != nullptr && !widget->isHidden()) {
            shown.append(candidate);
        }
    }
    return shown;
}

int KilnListAccessible::childCount() const {
    return static_cast<int>(ShownChildren().size());
}

QAccessibleInterface* KilnListAccessible::child(int index) const {
    const QList<QAccessibleInterface*> shown = ShownChildren();
    return index >= 0 && index < shown.size() ? shown.at(index) : nullptr;
}

int KilnListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return static_cast<int>(ShownChildren().indexOf(const_cast<QAccessibleInterface*>(child)));
}
