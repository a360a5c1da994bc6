#include "events/qt/EventHistoryModel.h"

#include "app/StringTable.h"
#include "events/EventLine.h"
#include "widgets/UiText.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<int, kEventKindCount> kKindLabels = {
    IDS_EVENT_ALARM_RAISED,     IDS_EVENT_ALARM_CLEARED,    IDS_EVENT_ALARM_ACKNOWLEDGED,
    IDS_EVENT_UNIT_SILENT,      IDS_EVENT_UNIT_ANSWERING,   IDS_EVENT_SENSOR_FAULT,
    IDS_EVENT_SENSOR_RECOVERED, IDS_EVENT_CHARGE_QUALIFIED, IDS_EVENT_CHARGE_BROKEN,
    IDS_EVENT_MODE_CHANGED,     IDS_EVENT_FARM_CONNECTED,   IDS_EVENT_FARM_DISCONNECTED,
    IDS_EVENT_PORT_LOST,        IDS_EVENT_RECONNECTED,      IDS_EVENT_PROGRAM_STARTED,
    IDS_EVENT_PROGRAM_ENDED,
};
static_assert(kKindLabels.back() == IDS_EVENT_PROGRAM_ENDED &&
                  static_cast<int>(EventKind::ProgramEnded) + 1 == kEventKindCount,
              "every kind of event has its label, in the order of EventKind");

constexpr std::array<int, EventHistoryModel::ColumnCount> kColumnTitles = {
    IDS_HISTORY_COLUMN_TIME, IDS_HISTORY_COLUMN_FARM,   IDS_HISTORY_COLUMN_UNIT,
    IDS_HISTORY_COLUMN_KIND, IDS_HISTORY_COLUMN_DETAIL,
};

} // namespace

EventHistoryModel::EventHistoryModel(Language language, QObject* parent)
    : QAbstractTableModel(parent), m_language(language) {}

void EventHistoryModel::SetEvents(std::vector<Event> events) {
    beginResetModel();
    m_events = std::move(events);
    endResetModel();
}

QString EventHistoryModel::KindLabel(Language language, EventKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    if (index >= kKindLabels.size()) {
        return QString();
    }
    return UiText(language, kKindLabels[index]);
}

QString EventHistoryModel::TimeText(std::int64_t localSeconds) {
    const LocalDateTime when = event_line::DateTimeOf(localSeconds);
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(when.year, 4, 10, QLatin1Char('0'))
        .arg(when.month, 2, 10, QLatin1Char('0'))
        .arg(when.day, 2, 10, QLatin1Char('0'))
        .arg(when.hour, 2, 10, QLatin1Char('0'))
        .arg(when.minute, 2, 10, QLatin1Char('0'))
        .arg(when.second, 2, 10, QLatin1Char('0'));
}

int EventHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_events.size());
}

int EventHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EventHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= m_events.size()) {
        return {};
    }
    const Event& event = m_events[static_cast<std::size_t>(index.row())];
    const bool hasFarm = event.farm >= 0;
    const bool hasUnit = event.unit > 0;
    if (role == SortRole) {
        switch (index.column()) {
        case Time:
            return QVariant::fromValue<qlonglong>(event.time);
        case Farm:
            return QVariant::fromValue<qlonglong>(hasFarm ? event.farm : -1);
        case Unit:
            return QVariant::fromValue<qlonglong>(hasUnit ? event.unit : -1);
        default:
            break;
        }
        role = Qt::DisplayRole;
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case Time:
            return TimeText(event.time);
        case Farm:
            return hasFarm ? QString::number(event.farm + 1) : QString();
        case Unit:
            return hasUnit ? QString::number(event.unit) : QString();
        case Kind:
            return KindLabel(m_language, event.kind);
        case Detail:
            return QString::fromStdString(event.detail);
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole && (index.column() == Farm || index.column() == Unit)) {
        return QVariant::fromValue<int>(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant EventHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return {};
    }
    if (role == Qt::InitialSortOrderRole) {
        // A first click on the time shows the newest first, as the window opens.
        return QVariant::fromValue<int>(section == Time ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    return UiText(m_language, kColumnTitles[static_cast<std::size_t>(section)]);
}
