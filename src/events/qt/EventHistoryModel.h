#pragma once

#include "app/Language.h"
#include "events/Event.h"

#include <QAbstractTableModel>
#include <QString>

#include <vector>

// The events of the journal as read back, one row an event in journal order, with the kind in
// the program's language. Sorting goes by SortRole: times and numbers as numbers, so that the
// order of dates is the order of time and not of their text.
class EventHistoryModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Farm, Unit, Kind, Detail, ColumnCount };
    static constexpr int SortRole = Qt::UserRole + 1;

    explicit EventHistoryModel(Language language, QObject* parent = nullptr);

    void SetEvents(std::vector<Event> events);
    const std::vector<Event>& Events() const { return m_events; }

    // The kind as the operator reads it ("Alarm raised" / "Alarma activada").
    static QString KindLabel(Language language, EventKind kind);
    // "2026-12-08 14:03:07": the date first, so that it reads the same in both languages.
    static QString TimeText(std::int64_t localSeconds);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    Language m_language;
    std::vector<Event> m_events;
};
