#pragma once

#include <QAccessibleWidget>

class QObject;
class QString;

// What a screen reader finds of the kiln list: the view on screen and nothing else. The list
// keeps a report view and an icon view on one model and hides the one its style does not use;
// a hidden view exposed beside the shown one would give every unit twice, the second time at a
// place on screen where something else is drawn.
class KilnListAccessible : public QAccessibleWidget {
public:
    explicit KilnListAccessible(QWidget* list);

    // Makes the accessibility interface build this for every kiln list; once per program.
    static void Install();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

private:
    static QAccessibleInterface* Create(const QString& className, QObject* object);
    QList<QAccessibleInterface*> ShownChildren() const;
};
