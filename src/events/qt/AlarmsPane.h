#pragma once

#include "app/Language.h"
#include "events/AlarmList.h"

#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTreeView;

// The operator's alarm list below the kiln list: one line per alarm the operator has to see,
// those not yet acknowledged first and in bold, with Acknowledge (the line the keyboard is on,
// also Enter or a double click there) and Acknowledge All.
//
// The pane only shows what it is given and asks for the commands; whoever owns the alarms
// carries them out and gives the pane the list again. A screen reader hears every cell, and
// for a line not yet acknowledged its state says so, since bold type is not read aloud.
class AlarmsPane : public QWidget {
    Q_OBJECT

public:
    enum Column { kTime, kGroup, kUnit, kCondition, kState, kColumnCount };

    explicit AlarmsPane(Language language, QWidget* parent = nullptr);

    // The list as it is now. The line the keyboard was on stays on its alarm while that alarm
    // is still shown as it was; one that was just acknowledged or left leaves the keyboard on
    // the same place in the list, which is then the next alarm to see to.
    void ShowAlarms(const std::vector<AlarmList::Alarm>& alarms);

    // The alarm of the selected line, which the keyboard is on; none when there is none.
    std::optional<AlarmList::Alarm> CurrentAlarm() const;
    int LineCount() const { return static_cast<int>(m_shown.size()); }
    // nullptr for a line that is not there.
    const AlarmList::Alarm* AlarmOfLine(int line) const;

    // "MM/DD/YY hh:mm:ss" of a time in local seconds since 2000, as the PC logs date a line.
    static QString TimeText(std::int64_t localSeconds);

    QTreeView& List() { return *m_pList; }
    QStandardItemModel& Model() { return *m_pModel; }
    QPushButton& AcknowledgeButton() { return *m_pAcknowledge; }
    QPushButton& AcknowledgeAllButton() { return *m_pAcknowledgeAll; }
    QLabel& Label() { return *m_pLabel; }

signals:
    // farmIndex 0..3, unit the node ID, condition as the alarm list names it.
    void acknowledgeRequested(int farmIndex, int unit, const QString& condition);
    void acknowledgeAllRequested();

private:
    void AcknowledgeCurrent();
    void UpdateButtons();
    QString StateText(const AlarmList::Alarm& alarm) const;
    QString ConditionText(const std::string& condition) const;

    Language m_language;
    QLabel* m_pLabel = nullptr;
    QTreeView* m_pList = nullptr;
    QStandardItemModel* m_pModel = nullptr;
    QPushButton* m_pAcknowledge = nullptr;
    QPushButton* m_pAcknowledgeAll = nullptr;
    std::vector<AlarmList::Alarm> m_shown; // line n shows m_shown[n]
};
