#include "kiln/qt/KilnListModel.h"

#include "kiln/qt/KilnIcons.h"
#include "widgets/UiText.h"

#include <QColor>
#include <QFont>

#include <algorithm>

namespace {

const QList<int> kTextRoles = {Qt::DisplayRole, Qt::AccessibleTextRole};
const QList<int> kIconRoles = {Qt::DecorationRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole};
// How a line in alarm stands out across the row: bold text on a light amber band, so it reads
// by weight where a colour cannot be told apart.
const QList<int> kAlarmStyleRoles = {Qt::FontRole, Qt::BackgroundRole, Qt::ForegroundRole};

} // namespace

KilnListModel::KilnListModel(Language language, QObject* parent)
    : QAbstractTableModel(parent), m_language(language), m_texts(language) {
    m_itemNodes.reserve(kNodeCount);
}

int KilnListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_itemNodes.size());
}

int KilnListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

Qt::Alignment KilnListModel::ColumnAlignment(int column) {
    switch (column) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 7:
        return Qt::AlignLeft | Qt::AlignVCenter;
    default:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
}

const KilnListModel::Row* KilnListModel::RowAt(int itemIndex) const {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(m_itemNodes.size())) {
        return nullptr;
    }
    const auto& row =
        m_rows[static_cast<std::size_t>(m_itemNodes[static_cast<std::size_t>(itemIndex)])];
    return row ? &*row : nullptr;
}

QVariant KilnListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() < 0 || index.column() >= kColumnCount) {
        return {};
    }
    const Row* row = RowAt(index.row());
    if (row == nullptr) {
        return {};
    }
    const bool hasData =
        row->state == KilnLineState::State::Normal || row->state == KilnLineState::State::Alarm;
    switch (role) {
    case Qt::AccessibleTextRole:
        // "~" read aloud says nothing: the Status cell of a line without data says why.
        if (index.column() == kStatusColumn && !hasData) {
            return StateText(row->state);
        }
        [[fallthrough]];
    case Qt::DisplayRole:
        return QString::fromStdString(row->line[static_cast<std::size_t>(index.column())]);
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(KilnIcons::Icon(KilnLineState::Icon(row->state)))
                                   : QVariant();
    case Qt::ToolTipRole: {
        // The line's state in words, then whatever else is known about the unit.
        QString tip = StateText(row->state);
        if (row->unacknowledged) {
            tip += QLatin1Char('\n') + UiText(m_language, IDS_LINE_ALARM_NOT_ACKNOWLEDGED);
        }
        if (m_tipSource) {
            const QString more = m_tipSource(NodeIndexOfItem(index.row()));
            if (!more.isEmpty()) {
                tip += QLatin1Char('\n') + more;
            }
        }
        return tip;
    }
    case Qt::AccessibleDescriptionRole: {
        // The icon's state in words, for those who cannot tell the pictures apart, and what
        // the bold type of a line whose alarm is not acknowledged shows.
        if (index.column() != 0) {
            return {};
        }
        QString description = StateText(row->state);
        if (row->unacknowledged) {
            description +=
                QStringLiteral("; ") + UiText(m_language, IDS_LINE_ALARM_NOT_ACKNOWLEDGED);
        }
        return description;
    }
    case Qt::TextAlignmentRole:
        return static_cast<int>(ColumnAlignment(index.column()));
    case Qt::FontRole:
        if (row->icon == KilnLineText::kIconAlarm || row->unacknowledged) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::BackgroundRole:
        return row->icon == KilnLineText::kIconAlarm ? QVariant(QColor(255, 226, 184)) : QVariant();
    case Qt::ForegroundRole:
        return row->icon == KilnLineText::kIconAlarm ? QVariant(QColor(Qt::black)) : QVariant();
    default:
        return {};
    }
}

void KilnListModel::SetIcon(int item, Row& row, int icon, KilnLineState::State state) {
    const bool wasAlarm = row.icon == KilnLineText::kIconAlarm;
    const bool stateChanged = state != row.state;
    row.icon = icon;
    row.state = state;
    emit dataChanged(index(item, 0), index(item, 0), kIconRoles);
    if (stateChanged) {
        emit dataChanged(index(item, kStatusColumn), index(item, kStatusColumn),
                         {Qt::AccessibleTextRole});
    }
    if (wasAlarm != (icon == KilnLineText::kIconAlarm)) {
        emit dataChanged(index(item, 0), index(item, kColumnCount - 1), kAlarmStyleRoles);
    }
}

QString KilnListModel::StateText(int icon) const {
    return StateText(KilnLineState::OfIcon(icon));
}

QString KilnListModel::StateText(KilnLineState::State state) const {
    return QString::fromStdString(KilnLineState::Text(state, m_language));
}

KilnLineState::State KilnListModel::StateFor(int nodeIndex, int icon) const {
    return KilnLineState::Of(icon, m_healthSource ? m_healthSource(nodeIndex) : nullptr);
}

QVariant KilnListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return QString::fromStdString(m_texts.Header(section));
    case Qt::TextAlignmentRole:
        return static_cast<int>(ColumnAlignment(section));
    default:
        return {};
    }
}

Qt::ItemFlags KilnListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool KilnListModel::IsShown(int nodeIndex) const {
    return ValidNode(nodeIndex) && m_rows[static_cast<std::size_t>(nodeIndex)].has_value();
}

int KilnListModel::ItemOfNode(int nodeIndex) const {
    if (!ValidNode(nodeIndex)) {
        return -1;
    }
    const auto place = std::lower_bound(m_itemNodes.begin(), m_itemNodes.end(), nodeIndex);
    return static_cast<int>(place - m_itemNodes.begin());
}

int KilnListModel::NodeIndexOfItem(int itemIndex) const {
    if (itemIndex < 0 || itemIndex >= static_cast<int>(m_itemNodes.size())) {
        return -1;
    }
    return m_itemNodes[static_cast<std::size_t>(itemIndex)];
}

KilnListModel::Row KilnListModel::MakeRow(int nodeIndex, bool clear,
                                          const KilnRecord& record) const {
    Row row;
    row.unacknowledged = m_unacknowledgedSource && m_unacknowledgedSource(nodeIndex);
    if (clear) {
        KilnRecord none;
        none.m_byIdentificationCode = record.m_byIdentificationCode;
        row.line = m_texts.Inserted(none);
        row.icon = KilnLineText::kIconNoData;
        row.state = KilnLineState::State::NoData;
    } else {
        row.line = m_texts.Inserted(record);
        row.icon = KilnLineText::InsertedIcon(record);
        row.state = StateFor(nodeIndex, row.icon);
    }
    return row;
}

void KilnListModel::InsertLine(int nodeIndex, const KilnRecord& record) {
    if (!ValidNode(nodeIndex)) {
        return;
    }
    auto& slot = m_rows[static_cast<std::size_t>(nodeIndex)];
    const int item = ItemOfNode(nodeIndex);
    if (slot) {
        *slot = MakeRow(nodeIndex, false, record);
        emit dataChanged(index(item, 0), index(item, kColumnCount - 1),
                         kTextRoles + kIconRoles + kAlarmStyleRoles);
        return;
    }
    beginInsertRows(QModelIndex(), item, item);
    slot = MakeRow(nodeIndex, false, record);
    m_itemNodes.insert(m_itemNodes.begin() + item, nodeIndex);
    endInsertRows();
}

void KilnListModel::ReportColumns(int item, std::vector<int> columns) {
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    // One report per run of neighbouring columns: the cells between two redrawn ones are
    // never claimed.
    std::size_t first = 0;
    while (first < columns.size()) {
        std::size_t last = first;
        while (last + 1 < columns.size() && columns[last + 1] == columns[last] + 1) {
            ++last;
        }
        emit dataChanged(index(item, columns[first]), index(item, columns[last]), kTextRoles);
        first = last + 1;
    }
}

bool KilnListModel::UpdateLine(int nodeIndex, const KilnRecord& newRecord,
                               const KilnRecord& oldRecord) {
    if (!IsShown(nodeIndex)) {
        return false;
    }
    Row& row = *m_rows[static_cast<std::size_t>(nodeIndex)];
    const KilnLineText::Update update = m_texts.Updated(newRecord, oldRecord);
    KilnLineText::Apply(row.line, update);
    const int item = ItemOfNode(nodeIndex);
    std::vector<int> columns;
    columns.reserve(update.columns.size());
    for (const auto& cell : update.columns) {
        if (cell.first >= 0 && cell.first < kColumnCount) {
            columns.push_back(cell.first);
        }
    }
    ReportColumns(item, std::move(columns));
    const int icon = update.icon >= 0 ? update.icon : row.icon;
    const KilnLineState::State state = StateFor(nodeIndex, icon);
    if (update.icon >= 0 || state != row.state) {
        SetIcon(item, row, icon, state);
    }
    return true;
}

void KilnListModel::ClearLine(int nodeIndex, std::uint8_t identificationCode) {
    if (!ValidNode(nodeIndex)) {
        return;
    }
    auto& slot = m_rows[static_cast<std::size_t>(nodeIndex)];
    if (!slot) {
        KilnRecord none;
        none.m_byIdentificationCode = identificationCode;
        InsertLine(nodeIndex, none);
        return;
    }
    const KilnLineText::Update cleared = KilnLineText::Cleared();
    KilnLineText::Apply(slot->line, cleared);
    const int item = ItemOfNode(nodeIndex);
    emit dataChanged(index(item, 1), index(item, kColumnCount - 1), kTextRoles);
    // A wiped line starts again from nothing known, whatever the line said of the unit.
    if (slot->icon != cleared.icon || slot->state != KilnLineState::State::NoData) {
        SetIcon(item, *slot, cleared.icon, KilnLineState::State::NoData);
    }
}

void KilnListModel::RemoveLine(int nodeIndex) {
    if (!IsShown(nodeIndex)) {
        return;
    }
    const int item = ItemOfNode(nodeIndex);
    beginRemoveRows(QModelIndex(), item, item);
    m_rows[static_cast<std::size_t>(nodeIndex)].reset();
    m_itemNodes.erase(m_itemNodes.begin() + item);
    endRemoveRows();
}

void KilnListModel::RemoveAll() {
    if (m_itemNodes.empty()) {
        return;
    }
    beginResetModel();
    m_rows.fill(std::nullopt);
    m_itemNodes.clear();
    endResetModel();
}

void KilnListModel::ShowAll(bool clear, const KilnListView::UnitSlots& units) {
    if (m_itemNodes.empty()) {
        beginResetModel();
        for (int nodeIndex = 0; nodeIndex < kNodeCount; ++nodeIndex) {
            const auto& record = units[static_cast<std::size_t>(nodeIndex)];
            if (record) {
                m_rows[static_cast<std::size_t>(nodeIndex)] = MakeRow(nodeIndex, clear, *record);
                m_itemNodes.push_back(nodeIndex);
            }
        }
        endResetModel();
        return;
    }
    for (int nodeIndex = 0; nodeIndex < kNodeCount; ++nodeIndex) {
        const auto& record = units[static_cast<std::size_t>(nodeIndex)];
        if (!record) {
            continue;
        }
        if (clear) {
            ClearLine(nodeIndex, record->m_byIdentificationCode);
        } else {
            InsertLine(nodeIndex, *record);
        }
    }
}

const KilnLineText::Line* KilnListModel::LineOf(int nodeIndex) const {
    return IsShown(nodeIndex) ? &m_rows[static_cast<std::size_t>(nodeIndex)]->line : nullptr;
}

int KilnListModel::IconOf(int nodeIndex) const {
    return IsShown(nodeIndex) ? KilnLineState::Icon(StateOf(nodeIndex)) : -1;
}

KilnLineState::State KilnListModel::StateOf(int nodeIndex) const {
    return IsShown(nodeIndex) ? m_rows[static_cast<std::size_t>(nodeIndex)]->state
                              : KilnLineState::State::NoData;
}

bool KilnListModel::Unacknowledged(int nodeIndex) const {
    return IsShown(nodeIndex) && m_rows[static_cast<std::size_t>(nodeIndex)]->unacknowledged;
}

void KilnListModel::RefreshUnacknowledged() {
    for (std::size_t item = 0; item < m_itemNodes.size(); ++item) {
        const int nodeIndex = m_itemNodes[item];
        Row& row = *m_rows[static_cast<std::size_t>(nodeIndex)];
        const bool unacknowledged = m_unacknowledgedSource && m_unacknowledgedSource(nodeIndex);
        if (unacknowledged == row.unacknowledged) {
            continue;
        }
        row.unacknowledged = unacknowledged;
        const int at = static_cast<int>(item);
        emit dataChanged(index(at, 0), index(at, kColumnCount - 1), {Qt::FontRole});
        emit dataChanged(index(at, 0), index(at, 0),
                         {Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
    }
}
