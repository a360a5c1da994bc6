#include "events/qt/AlarmsPane.h"

#include "widgets/UiText.h"

#include <QDate>
#include <QEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTime>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

// What a screen reader calls a control whose label carries an access key.
QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

bool SameAlarm(const AlarmList::Alarm& a, const AlarmList::Alarm& b) {
    return a.farm == b.farm && a.unit == b.unit && a.condition == b.condition &&
           a.raised == b.raised;
}

// Enter on a line acknowledges it, as the Acknowledge button does. Only Enter: a platform
// that activates items on a single click must not acknowledge what was merely selected.
class EnterKeyFilter : public QObject {
public:
    EnterKeyFilter(QObject* parent, std::function<void()> action)
        : QObject(parent), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                m_action();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

} // namespace

AlarmsPane::AlarmsPane(Language language, QWidget* parent) : QWidget(parent), m_language(language) {
    m_pLabel = new QLabel(UiText(language, IDS_ALARMS_LABEL), this);
    m_pModel = new QStandardItemModel(0, kColumnCount, this);
    m_pModel->setHorizontalHeaderLabels(
        {UiText(language, IDS_ALARMS_TIME), UiText(language, IDS_ALARMS_GROUP),
         UiText(language, IDS_ALARMS_UNIT), UiText(language, IDS_ALARMS_CONDITION),
         UiText(language, IDS_ALARMS_STATE)});

    m_pList = new QTreeView(this);
    m_pList->setModel(m_pModel);
    m_pList->setRootIsDecorated(false);
    m_pList->setItemsExpandable(false);
    m_pList->setUniformRowHeights(true);
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pList->header()->setStretchLastSection(true);
    const QFontMetrics metrics(font());
    m_pList->setColumnWidth(kTime,
                            metrics.horizontalAdvance(QStringLiteral("00/00/00 00:00:00")) + 16);
    for (int column : {kGroup, kUnit, kCondition}) {
        m_pList->setColumnWidth(
            column, std::max(metrics.horizontalAdvance(
                                 m_pModel->headerData(column, Qt::Horizontal).toString()),
                             metrics.horizontalAdvance(QStringLiteral("000000"))) +
                        16);
    }
    m_pLabel->setBuddy(m_pList);

    m_pAcknowledge = new QPushButton(UiText(language, IDS_ALARMS_ACKNOWLEDGE), this);
    m_pAcknowledgeAll = new QPushButton(UiText(language, IDS_ALARMS_ACKNOWLEDGE_ALL), this);
    // Enter belongs to the list's line, never to a button by default.
    m_pAcknowledge->setAutoDefault(false);
    m_pAcknowledgeAll->setAutoDefault(false);

    m_pList->setAccessibleName(Plain(m_pLabel->text()));
    m_pAcknowledge->setAccessibleName(Plain(m_pAcknowledge->text()));
    m_pAcknowledgeAll->setAccessibleName(Plain(m_pAcknowledgeAll->text()));

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pAcknowledge);
    buttons->addWidget(m_pAcknowledgeAll);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(m_pList, 1);
    row->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(m_pLabel);
    layout->addLayout(row, 1);

    connect(m_pAcknowledge, &QPushButton::clicked, this, &AlarmsPane::AcknowledgeCurrent);
    connect(m_pAcknowledgeAll, &QPushButton::clicked, this, [this] {
        const bool any =
            std::any_of(m_shown.begin(), m_shown.end(),
                        [](const AlarmList::Alarm& alarm) { return !alarm.acknowledged; });
        if (any) {
            emit acknowledgeAllRequested();
        }
    });
    connect(m_pList, &QAbstractItemView::doubleClicked, this, &AlarmsPane::AcknowledgeCurrent);
    m_pList->installEventFilter(new EnterKeyFilter(this, [this] { AcknowledgeCurrent(); }));
    connect(m_pList->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &AlarmsPane::UpdateButtons);
    connect(m_pList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AlarmsPane::UpdateButtons);
    UpdateButtons();
}

QString AlarmsPane::TimeText(std::int64_t localSeconds) {
    // Floor division: a time before 2000 still gets its own day, not the next one.
    std::int64_t days = localSeconds / 86400;
    std::int64_t ofDay = localSeconds % 86400;
    if (ofDay < 0) {
        ofDay += 86400;
        --days;
    }
    const QDate date = QDate(2000, 1, 1).addDays(days);
    const QTime time = QTime(0, 0).addSecs(static_cast<int>(ofDay));
    return date.toString(QStringLiteral("MM/dd/yy")) + QLatin1Char(' ') +
           time.toString(QStringLiteral("hh:mm:ss"));
}

QString AlarmsPane::ConditionText(const std::string& condition) const {
    // As the kiln list and the controller sheet name the alarm status.
    if (condition == "High") {
        return UiText(m_language, IDS_ALARM_HIGH);
    }
    if (condition == "Low") {
        return UiText(m_language, IDS_ALARM_LOW);
    }
    return QString::fromStdString(condition);
}

QString AlarmsPane::StateText(const AlarmList::Alarm& alarm) const {
    if (alarm.acknowledged) {
        return UiText(m_language,
                      alarm.cleared ? IDS_ALARM_CLEARED : IDS_ALARM_ACTIVE_ACKNOWLEDGED);
    }
    return UiText(m_language, alarm.cleared ? IDS_ALARM_CLEARED : IDS_ALARM_ACTIVE);
}

const AlarmList::Alarm* AlarmsPane::AlarmOfLine(int line) const {
    if (line < 0 || line >= LineCount()) {
        return nullptr;
    }
    return &m_shown[static_cast<std::size_t>(line)];
}

std::optional<AlarmList::Alarm> AlarmsPane::CurrentAlarm() const {
    // A line the keyboard is on but that has been unselected (Ctrl and a click) is no line to
    // acknowledge.
    const QModelIndex current = m_pList->currentIndex();
    if (!current.isValid() || !m_pList->selectionModel()->isRowSelected(current.row())) {
        return std::nullopt;
    }
    const AlarmList::Alarm* alarm = AlarmOfLine(current.row());
    if (alarm == nullptr) {
        return std::nullopt;
    }
    return *alarm;
}

void AlarmsPane::ShowAlarms(const std::vector<AlarmList::Alarm>& alarms) {
    const std::optional<AlarmList::Alarm> before = CurrentAlarm();
    const int beforeLine = before ? m_pList->currentIndex().row() : -1;

    std::vector<AlarmList::Alarm> shown = alarms;
    // Whatever order the list came in, what still needs the operator comes first.
    std::stable_partition(shown.begin(), shown.end(),
                          [](const AlarmList::Alarm& alarm) { return !alarm.acknowledged; });
    // Events that leave the alarms as they were (a charge, a mode) leave the list alone: no
    // scrolling back, nothing read out again.
    if (shown == m_shown) {
        return;
    }
    m_shown = std::move(shown);

    m_pModel->setRowCount(0);
    QFont bold = font();
    bold.setBold(true);
    for (const AlarmList::Alarm& alarm : m_shown) {
        const QString state = StateText(alarm);
        const QString spoken =
            alarm.acknowledged ? state : UiText(m_language, IDS_ALARM_NOT_ACKNOWLEDGED).arg(state);
        QList<QStandardItem*> cells;
        for (const QString& text :
             {TimeText(alarm.raised), QString::number(alarm.farm + 1), QString::number(alarm.unit),
              ConditionText(alarm.condition), state}) {
            auto* cell = new QStandardItem(text);
            cell->setEditable(false);
            cell->setToolTip(spoken);
            if (!alarm.acknowledged) {
                cell->setFont(bold);
            }
            cells.append(cell);
        }
        cells[kState]->setData(spoken, Qt::AccessibleTextRole);
        m_pModel->appendRow(cells);
    }

    // The keyboard stays with its alarm, unless acknowledging moved that alarm away: then it
    // stays where it was, on the next one to see to.
    int line = -1;
    if (before) {
        for (int i = 0; i < LineCount(); ++i) {
            const AlarmList::Alarm& alarm = m_shown[static_cast<std::size_t>(i)];
            if (SameAlarm(alarm, *before) && alarm.acknowledged == before->acknowledged) {
                line = i;
                break;
            }
        }
    }
    if (line < 0 && !m_shown.empty()) {
        line = std::clamp(beforeLine, 0, LineCount() - 1);
    }
    if (line >= 0) {
        m_pList->selectionModel()->setCurrentIndex(m_pModel->index(line, 0),
                                                   QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    }
    UpdateButtons();
}

void AlarmsPane::AcknowledgeCurrent() {
    const std::optional<AlarmList::Alarm> alarm = CurrentAlarm();
    if (!alarm || alarm->acknowledged) {
        return;
    }
    emit acknowledgeRequested(alarm->farm, alarm->unit, QString::fromStdString(alarm->condition));
}

void AlarmsPane::UpdateButtons() {
    const std::optional<AlarmList::Alarm> current = CurrentAlarm();
    m_pAcknowledge->setEnabled(current.has_value() && !current->acknowledged);
    m_pAcknowledgeAll->setEnabled(
        std::any_of(m_shown.begin(), m_shown.end(),
                    [](const AlarmList::Alarm& alarm) { return !alarm.acknowledged; }));
}
