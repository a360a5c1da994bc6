#pragma once

#include "app/Language.h"
#include "kiln/KilnLineState.h"
#include "kiln/KilnLineText.h"
#include "kiln/KilnListView.h"
#include "kiln/KilnRecord.h"

#include <QAbstractTableModel>

#include <array>
#include <functional>
#include <optional>
#include <vector>

struct UnitLineHealth;

// The lines of the kiln list: one row per shown unit, in node order, eighteen columns whose
// texts come from KilnLineText. Lines are addressed by node index (0..253); the row of a line is
// the number of shown lines of lower node indices, so a line keeps its place as others come and
// go. Every change reports exactly the cells the line's redraw rules name, so a farm of 254 units
// updating one line a second repaints a few cells, never the whole list.
class KilnListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kNodeCount = 254;
    static constexpr int kColumnCount = KilnLineText::kColumnCount;

    explicit KilnListModel(Language language, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Left or right, as the column's values read best.
    static Qt::Alignment ColumnAlignment(int column);

    bool IsShown(int nodeIndex) const;
    // The row a node's line has, or would take if it were inserted now; -1 outside 0..253.
    int ItemOfNode(int nodeIndex) const;
    // The node index of a row; -1 when there is no such row.
    int NodeIndexOfItem(int itemIndex) const;

    // Puts the line of a record in its place; a line already shown is rewritten whole.
    void InsertLine(int nodeIndex, const KilnRecord& record);
    // Redraws what changed between two records of a shown line; false when it is not shown.
    bool UpdateLine(int nodeIndex, const KilnRecord& newRecord, const KilnRecord& oldRecord);
    // Wipes a shown line to "no data"; a line not shown yet is inserted without data.
    void ClearLine(int nodeIndex, std::uint8_t identificationCode);
    void RemoveLine(int nodeIndex);
    void RemoveAll();
    // Every present slot's line, in node order: inserted from its record, or without data when
    // clear is set. An empty list is filled in one step.
    void ShowAll(bool clear, const KilnListView::UnitSlots& units);

    // The line and icon as shown; nullptr / -1 when the node has no line.
    const KilnLineText::Line* LineOf(int nodeIndex) const;
    int IconOf(int nodeIndex) const;
    // The state the line shows (its icon, in words for a screen reader).
    KilnLineState::State StateOf(int nodeIndex) const;

    Language GetLanguage() const { return m_language; }

    // More about a unit for its line's tooltip (its line health, say), by node index; the
    // tooltip otherwise gives the line's state in words.
    using TipSource = std::function<QString(int nodeIndex)>;
    void SetTipSource(TipSource source) { m_tipSource = std::move(source); }
    // The unit's line health on the connection shown, by node index, or nullptr when the farm
    // shown is not connected: it tells a unit that stopped answering from one not asked yet.
    // Asked whenever a line is inserted or updated; a line wiped to no data shows no data.
    using HealthSource = std::function<const UnitLineHealth*(int nodeIndex)>;
    void SetHealthSource(HealthSource source) { m_healthSource = std::move(source); }
    // The state an icon stands for, in words: no data, not answering, normal or alarm.
    QString StateText(int icon) const;

    // Whether a unit has an alarm the operator has not acknowledged, by node index. Such a
    // line stays in bold, and says so to a screen reader, after its alarm has cleared, until
    // the alarm is acknowledged. Asked when a line is inserted and on RefreshUnacknowledged.
    using UnacknowledgedSource = std::function<bool(int nodeIndex)>;
    void SetUnacknowledgedSource(UnacknowledgedSource source) {
        m_unacknowledgedSource = std::move(source);
    }
    // Asks again for every shown line and restyles those whose answer changed.
    void RefreshUnacknowledged();
    bool Unacknowledged(int nodeIndex) const;

private:
    struct Row {
        KilnLineText::Line line;
        int icon = KilnLineText::kIconNoData; // as the record's texts set it
        KilnLineState::State state = KilnLineState::State::NoData;
        bool unacknowledged = false;
    };
    // The column whose accessible text says a line's state while the line has no data, where
    // it shows only "~".
    static constexpr int kStatusColumn = 2;

    static bool ValidNode(int nodeIndex) { return nodeIndex >= 0 && nodeIndex < kNodeCount; }
    const Row* RowAt(int itemIndex) const;
    Row MakeRow(int nodeIndex, bool clear, const KilnRecord& record) const;
    KilnLineState::State StateFor(int nodeIndex, int icon) const;
    QString StateText(KilnLineState::State state) const;
    void ReportColumns(int item, std::vector<int> columns);
    // A new icon and state for a shown line; a line going into or out of alarm restyles its
    // whole row.
    void SetIcon(int item, Row& row, int icon, KilnLineState::State state);

    Language m_language;
    KilnLineText m_texts;
    TipSource m_tipSource;
    HealthSource m_healthSource;
    UnacknowledgedSource m_unacknowledgedSource;
    std::array<std::optional<Row>, kNodeCount> m_rows{};
    // Node indices of the shown lines in ascending order: row r shows m_itemNodes[r].
    std::vector<int> m_itemNodes;
};
