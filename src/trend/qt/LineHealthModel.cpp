#include "trend/qt/LineHealthModel.h"

#include "net/LineHealthTable.h"
#include "widgets/UiText.h"

#include <QBrush>
#include <QFont>

#include <algorithm>
#include <unordered_map>

LineHealthModel::LineHealthModel(Language language, QObject* parent)
    : QAbstractTableModel(parent), m_language(language) {}

void LineHealthModel::Refresh(const LineHealth& health, std::int64_t now) {
    std::vector<UnitLineHealth> rows = health.Units();
    std::vector<int> rank(rows.size());
    std::unordered_map<int, int> position;
    const auto ordered = health.FailingFirst(now);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        position[ordered[i].nodeId] = static_cast<int>(i);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rank[i] = position[rows[i].nodeId];
    }
    const bool sameUnits = rows.size() == m_rows.size() &&
                           std::equal(rows.begin(), rows.end(), m_rows.begin(),
                                      [](const UnitLineHealth& a, const UnitLineHealth& b) {
                                          return a.nodeId == b.nodeId;
                                      });
    m_now = now;
    if (!sameUnits) {
        beginResetModel();
        m_rows = std::move(rows);
        m_rank = std::move(rank);
        endResetModel();
        return;
    }
    m_rows = std::move(rows);
    m_rank = std::move(rank);
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(static_cast<int>(m_rows.size()) - 1, ColumnCount - 1));
    }
}

int LineHealthModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LineHealthModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LineHealthModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount() || index.column() < 0 ||
        index.column() >= ColumnCount) {
        return {};
    }
    const UnitLineHealth& u = m_rows[static_cast<std::size_t>(index.row())];
    const std::int64_t since = u.SecondsSinceGoodReply(m_now);
    if (role == SortRole) {
        switch (index.column()) {
        case State:
            return m_rank[static_cast<std::size_t>(index.row())];
        case Unit:
            return u.nodeId;
        case Polls:
            return QVariant::fromValue<qulonglong>(u.polls);
        case Good:
            return QVariant::fromValue<qulonglong>(u.goodReplies);
        case NoReply:
            return QVariant::fromValue<qulonglong>(u.noValidReply);
        case GiveUps:
            return QVariant::fromValue<qulonglong>(u.giveUps);
        case Refused:
            return QVariant::fromValue<qulonglong>(u.refused);
        case LastGood:
            return QVariant::fromValue<qlonglong>(u.lastGoodReply);
        case Since:
            return QVariant::fromValue<qlonglong>(since < 0 ? INT64_MAX : since);
        default:
            return {};
        }
    }
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        switch (index.column()) {
        case State:
            return UiText(m_language, u.Failing() ? IDS_HEALTH_FAILING : IDS_HEALTH_OK);
        case Unit:
            return QString::asprintf("%03d", u.nodeId);
        case Polls:
            return QString::number(u.polls);
        case Good:
            return QString::number(u.goodReplies);
        case NoReply:
            return QString::number(u.noValidReply);
        case GiveUps:
            return QString::number(u.giveUps);
        case Refused:
            return QString::number(u.refused);
        case LastGood:
            return QString::fromStdString(LineHealthTable::ClockText(u.lastGoodReply));
        case Since:
            return QString::fromStdString(LineHealthTable::AgeText(since));
        default:
            return {};
        }
    }
    if (role == Qt::TextAlignmentRole) {
        return index.column() <= Unit ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                      : int(Qt::AlignRight | Qt::AlignVCenter);
    }
    if (role == Qt::FontRole && u.Failing()) {
        // Bold as well as coloured, so a grey-scale screen shows it too.
        QFont font;
        font.setBold(true);
        return font;
    }
    if (role == Qt::ForegroundRole && u.Failing() && index.column() == State) {
        return QBrush(Qt::darkRed);
    }
    if (role == Qt::ToolTipRole) {
        return QString::fromStdString(LineHealthTable::TipText(u, m_now, m_language));
    }
    return {};
}

QVariant LineHealthModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    static const int kTitles[ColumnCount] = {
        IDS_HEALTH_COLUMN_STATE,   IDS_HEALTH_COLUMN_UNIT,      IDS_HEALTH_COLUMN_POLLS,
        IDS_HEALTH_COLUMN_GOOD,    IDS_HEALTH_COLUMN_NO_REPLY,  IDS_HEALTH_COLUMN_GIVEN_UP,
        IDS_HEALTH_COLUMN_REFUSED, IDS_HEALTH_COLUMN_LAST_GOOD, IDS_HEALTH_COLUMN_SINCE};
    return UiText(m_language, kTitles[section]);
}
