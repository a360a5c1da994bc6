#pragma once

#include "app/Language.h"
#include "net/LineHealth.h"

#include <QAbstractTableModel>

#include <vector>

// The line health table: one row per unit of the connected farm, kept in node order so that a
// live refresh only changes values; a sorting proxy orders it. The State column sorts the
// failing units first, the longest silent on top.
class LineHealthModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        State,
        Unit,
        Polls,
        Good,
        NoReply,
        GiveUps,
        Refused,
        LastGood,
        Since,
        ColumnCount
    };
    // The value a column sorts by (numbers as numbers).
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit LineHealthModel(Language language, QObject* parent = nullptr);

    // Takes the figures as they are now; rows are added or removed only when the set of units
    // changes (a new connection, a unit added).
    void Refresh(const LineHealth& health, std::int64_t now);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Language m_language;
    std::vector<UnitLineHealth> m_rows; // node order
    std::vector<int> m_rank;            // position of each row in failing-first order
    std::int64_t m_now = 0;
};
