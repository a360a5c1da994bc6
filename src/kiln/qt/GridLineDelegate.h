#pragma once

#include <QStyledItemDelegate>

// Draws each cell as usual, then a thin line along its right and bottom edges, so the report
// style reads as a grid. Cells without width draw nothing extra.
class GridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
