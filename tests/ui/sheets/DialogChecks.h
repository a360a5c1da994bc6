#pragma once

// Checks every dialog of the program passes: its texts fit at the normal font and at twice
// its size (200 % scaling), and each control a screen reader reaches has a name.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>

namespace uicheck {

inline void ExpectTextsFitAt(QWidget& dialog, const QFont& font) {
    dialog.setFont(font);
    dialog.adjustSize();
    dialog.show();
    QApplication::processEvents();
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        if (!child->isVisible()) {
            continue;
        }
        const bool hasText = qobject_cast<QLabel*>(child) != nullptr ||
                             qobject_cast<QAbstractButton*>(child) != nullptr;
        if (hasText) {
            EXPECT_GE(child->width(), child->minimumSizeHint().width())
                << child->metaObject()->className() << " '"
                << child->property("text").toString().toStdString() << "' at point size "
                << font.pointSizeF();
        }
    }
    dialog.hide();
}

inline void ExpectTextsFit(QWidget& dialog) {
    const QFont normal = dialog.font();
    ExpectTextsFitAt(dialog, normal);
    QFont doubled = normal;
    doubled.setPointSizeF(normal.pointSizeF() * 2);
    ExpectTextsFitAt(dialog, doubled);
    dialog.setFont(normal);
}

// Every control that takes the focus has an accessible name.
inline void ExpectNamedControls(QWidget& dialog) {
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractSpinBox*>(child) != nullptr ||
                             (qobject_cast<QLineEdit*>(child) != nullptr &&
                              qobject_cast<QAbstractSpinBox*>(child->parentWidget()) == nullptr);
        if (control) {
            EXPECT_FALSE(child->accessibleName().isEmpty()) << child->metaObject()->className();
        }
    }
}

// The keyboard focus of window is on w or inside it (a spin box hands it to its editor).
inline bool FocusIn(QWidget& window, QWidget* w) {
    QWidget* focus = window.focusWidget();
    return focus != nullptr && (focus == w || w->isAncestorOf(focus));
}

// The control Tab reaches after w.
inline QWidget* NextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != nullptr && next != w;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) != 0 && !w->isAncestorOf(next)) {
            return next;
        }
    }
    return nullptr;
}

} // namespace uicheck
