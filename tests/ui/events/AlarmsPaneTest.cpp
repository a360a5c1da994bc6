#include "events/qt/AlarmsPane.h"

#include <QAccessible>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

// 12/08/26 14:03:07 in local seconds since 2000.
constexpr std::int64_t kAfternoon = 9838LL * 86400 + 14 * 3600 + 3 * 60 + 7;

AlarmList::Alarm Alarm(int farm, int unit, const char* condition, std::int64_t raised,
                       bool cleared = false, bool acknowledged = false) {
    AlarmList::Alarm alarm;
    alarm.farm = farm;
    alarm.unit = unit;
    alarm.condition = condition;
    alarm.raised = raised;
    alarm.cleared = cleared;
    alarm.acknowledged = acknowledged;
    return alarm;
}

QString Cell(AlarmsPane& pane, int line, int column, int role = Qt::DisplayRole) {
    return pane.Model().data(pane.Model().index(line, column), role).toString();
}

bool Bold(AlarmsPane& pane, int line, int column) {
    return pane.Model().data(pane.Model().index(line, column), Qt::FontRole).value<QFont>().bold();
}

int CurrentLine(AlarmsPane& pane) {
    return pane.List().currentIndex().row();
}

void PressEnter(AlarmsPane& pane) {
    QTest::keyClick(&pane.List(), Qt::Key_Return);
}

} // namespace

TEST(AlarmsPaneLines, NotAcknowledgedComeFirstInBoldWithTheirTimeUnitAndState) {
    AlarmsPane pane(Language::English);
    pane.ShowAlarms({Alarm(0, 3, "Low", kAfternoon - 600, false, true),
                     Alarm(1, 12, "High", kAfternoon), Alarm(0, 7, "High", kAfternoon - 60, true)});
    ASSERT_EQ(pane.Model().rowCount(), 3);
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kTime), "12/08/26 14:03:07");
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kGroup), "2");
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kUnit), "12");
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kCondition), "High");
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kState), "Active");
    EXPECT_EQ(Cell(pane, 1, AlarmsPane::kUnit), "7");
    EXPECT_EQ(Cell(pane, 1, AlarmsPane::kState), "Cleared");
    EXPECT_EQ(Cell(pane, 2, AlarmsPane::kUnit), "3");
    EXPECT_EQ(Cell(pane, 2, AlarmsPane::kCondition), "Low");
    EXPECT_EQ(Cell(pane, 2, AlarmsPane::kState), "Active, acknowledged");
    for (int column = 0; column < AlarmsPane::kColumnCount; ++column) {
        EXPECT_TRUE(Bold(pane, 0, column));
        EXPECT_TRUE(Bold(pane, 1, column));
        EXPECT_FALSE(Bold(pane, 2, column));
    }
    EXPECT_EQ(pane.AlarmOfLine(1)->unit, 7);
    EXPECT_EQ(pane.AlarmOfLine(3), nullptr);
    EXPECT_EQ(pane.AlarmOfLine(-1), nullptr);

    // Nothing left to see to: the list empties and the buttons have nothing to do.
    pane.ShowAlarms({});
    EXPECT_EQ(pane.Model().rowCount(), 0);
    EXPECT_FALSE(pane.CurrentAlarm().has_value());
    EXPECT_FALSE(pane.AcknowledgeButton().isEnabled());
    EXPECT_FALSE(pane.AcknowledgeAllButton().isEnabled());
}

TEST(AlarmsPaneLines, TheSameAlarmsAgainLeaveTheListAsItIs) {
    AlarmsPane pane(Language::English);
    const std::vector<AlarmList::Alarm> alarms = {Alarm(0, 5, "High", kAfternoon),
                                                  Alarm(0, 6, "Low", kAfternoon - 1)};
    pane.ShowAlarms(alarms);
    QTest::keyClick(&pane.List(), Qt::Key_Down);
    QSignalSpy removed(&pane.Model(), &QAbstractItemModel::rowsRemoved);
    pane.ShowAlarms(alarms);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(pane.CurrentAlarm()->unit, 6);
}

TEST(AlarmsPaneLines, TimesAreDatedAsThePcLogsDateTheirLines) {
    EXPECT_EQ(AlarmsPane::TimeText(0), "01/01/00 00:00:00");
    EXPECT_EQ(AlarmsPane::TimeText(59 * 86400 + 1), "02/29/00 00:00:01");
    EXPECT_EQ(AlarmsPane::TimeText(-1), "12/31/99 23:59:59");
}

TEST(AlarmsPaneCommands, EnterAndTheButtonsAcknowledgeOnlyWhatIsNotAcknowledged) {
    AlarmsPane pane(Language::English);
    QSignalSpy one(&pane, &AlarmsPane::acknowledgeRequested);
    QSignalSpy all(&pane, &AlarmsPane::acknowledgeAllRequested);
    pane.ShowAlarms(
        {Alarm(2, 9, "Low", kAfternoon), Alarm(0, 3, "High", kAfternoon - 5, false, true)});

    // The newest alarm to see to is the line the keyboard starts on.
    EXPECT_EQ(CurrentLine(pane), 0);
    EXPECT_TRUE(pane.AcknowledgeButton().isEnabled());
    PressEnter(pane);
    ASSERT_EQ(one.count(), 1);
    EXPECT_EQ(one.at(0).at(0).toInt(), 2);
    EXPECT_EQ(one.at(0).at(1).toInt(), 9);
    EXPECT_EQ(one.at(0).at(2).toString(), "Low");

    // An acknowledged line has nothing left to acknowledge.
    QTest::keyClick(&pane.List(), Qt::Key_Down);
    EXPECT_EQ(CurrentLine(pane), 1);
    EXPECT_FALSE(pane.AcknowledgeButton().isEnabled());
    PressEnter(pane);
    pane.AcknowledgeButton().click();
    EXPECT_EQ(one.count(), 1);

    QTest::keyClick(&pane.List(), Qt::Key_Up);
    // Unselected, the line is not acknowledged, though the keyboard is still on it.
    QTest::keyClick(&pane.List(), Qt::Key_Space, Qt::ControlModifier);
    ASSERT_FALSE(pane.List().selectionModel()->isRowSelected(0));
    EXPECT_FALSE(pane.AcknowledgeButton().isEnabled());
    PressEnter(pane);
    EXPECT_EQ(one.count(), 1);
    QTest::keyClick(&pane.List(), Qt::Key_Space, Qt::ControlModifier);
    pane.AcknowledgeButton().click();
    EXPECT_EQ(one.count(), 2);
    pane.AcknowledgeAllButton().click();
    EXPECT_EQ(all.count(), 1);

    pane.ShowAlarms({Alarm(0, 3, "High", kAfternoon - 5, false, true)});
    EXPECT_FALSE(pane.AcknowledgeAllButton().isEnabled());
    pane.AcknowledgeAllButton().click();
    EXPECT_EQ(all.count(), 1);
}

TEST(AlarmsPaneCommands, AccessKeysReachTheButtonsAndTheList) {
    AlarmsPane pane(Language::English);
    QSignalSpy one(&pane, &AlarmsPane::acknowledgeRequested);
    QSignalSpy all(&pane, &AlarmsPane::acknowledgeAllRequested);
    pane.ShowAlarms({Alarm(0, 5, "High", kAfternoon), Alarm(0, 6, "High", kAfternoon - 1)});
    pane.show();
    pane.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&pane));

    // A button's access key presses it as a click would, the click coming a moment later.
    QTest::keyClick(pane.windowHandle(), Qt::Key_K, Qt::AltModifier);
    EXPECT_TRUE(one.count() == 1 || one.wait());
    QTest::keyClick(pane.windowHandle(), Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(all.count() == 1 || all.wait());
    EXPECT_EQ(one.count(), 1);
    pane.AcknowledgeAllButton().setFocus();
    QTest::keyClick(pane.windowHandle(), Qt::Key_A, Qt::AltModifier);
    EXPECT_TRUE(pane.List().hasFocus());
}

TEST(AlarmsPaneCommands, KeyboardFollowsItsAlarmButStaysPutWhenTheAlarmIsAcknowledged) {
    AlarmsPane pane(Language::English);
    const AlarmList::Alarm newest = Alarm(0, 1, "High", kAfternoon);
    const AlarmList::Alarm middle = Alarm(0, 2, "High", kAfternoon - 10);
    const AlarmList::Alarm oldest = Alarm(0, 3, "High", kAfternoon - 20);
    pane.ShowAlarms({newest, middle, oldest});
    QTest::keyClick(&pane.List(), Qt::Key_Down);
    ASSERT_EQ(pane.CurrentAlarm()->unit, 2);

    // A new alarm on top: the keyboard stays with unit 2, one line down.
    const AlarmList::Alarm fresh = Alarm(1, 8, "Low", kAfternoon + 5);
    pane.ShowAlarms({fresh, newest, middle, oldest});
    EXPECT_EQ(CurrentLine(pane), 2);
    EXPECT_EQ(pane.CurrentAlarm()->unit, 2);

    // Unit 2 acknowledged moves down among the acknowledged: the keyboard stays on line 2,
    // now the next alarm to see to, so Enter after Enter works down the list.
    AlarmList::Alarm seen = middle;
    seen.acknowledged = true;
    pane.ShowAlarms({fresh, newest, oldest, seen});
    EXPECT_EQ(CurrentLine(pane), 2);
    EXPECT_EQ(pane.CurrentAlarm()->unit, 3);

    // A line that left the list past its end leaves the keyboard on the last line.
    QTest::keyClick(&pane.List(), Qt::Key_End);
    pane.ShowAlarms({fresh, newest});
    EXPECT_EQ(CurrentLine(pane), 1);
    EXPECT_EQ(pane.List().selectionModel()->selectedRows().size(), 1);
}

TEST(AlarmsPaneAccessibility, EveryControlIsNamedAndEveryCellIsRead) {
    AlarmsPane pane(Language::English);
    pane.ShowAlarms(
        {Alarm(0, 12, "High", kAfternoon, true), Alarm(0, 4, "Low", kAfternoon - 9, false, true)});
    pane.show();
    EXPECT_EQ(pane.List().accessibleName(), "Alarms");
    EXPECT_EQ(pane.AcknowledgeButton().accessibleName(), "Acknowledge");
    EXPECT_EQ(pane.AcknowledgeAllButton().accessibleName(), "Acknowledge All");

    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&pane.List());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->text(QAccessible::Name), "Alarms");
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 2);
    ASSERT_EQ(table->columnCount(), AlarmsPane::kColumnCount);
    auto spoken = [&](int row, int column) {
        QAccessibleInterface* cell = table->cellAt(row, column);
        return cell != nullptr ? cell->text(QAccessible::Name) : QString();
    };
    EXPECT_EQ(spoken(0, AlarmsPane::kTime), "12/08/26 14:03:07");
    EXPECT_EQ(spoken(0, AlarmsPane::kUnit), "12");
    EXPECT_EQ(spoken(0, AlarmsPane::kCondition), "High");
    // Bold is not read aloud: the state says what it shows.
    EXPECT_EQ(spoken(0, AlarmsPane::kState), "Cleared, not acknowledged");
    EXPECT_EQ(spoken(1, AlarmsPane::kState), "Active, acknowledged");
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kUnit, Qt::ToolTipRole), "Cleared, not acknowledged");
}

TEST(AlarmsPaneLanguage, SpanishTextsThroughoutWithTheirOwnAccessKeys) {
    AlarmsPane pane(Language::Spanish);
    pane.ShowAlarms({Alarm(0, 12, "High", kAfternoon), Alarm(0, 3, "Low", kAfternoon - 9, true),
                     Alarm(0, 4, "Low", kAfternoon - 19, false, true)});
    EXPECT_EQ(pane.Label().text(), "&Alarmas");
    EXPECT_EQ(pane.AcknowledgeButton().text(), "&Reconocer");
    EXPECT_EQ(pane.AcknowledgeAllButton().text(), "Reconocer &todas");
    EXPECT_EQ(pane.AcknowledgeAllButton().accessibleName(), "Reconocer todas");
    QStringList headers;
    for (int column = 0; column < AlarmsPane::kColumnCount; ++column) {
        headers << pane.Model().headerData(column, Qt::Horizontal).toString();
    }
    EXPECT_EQ(headers, QStringList({"Hora", "Grupo", "Unidad", "Condición", "Estado"}));
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kState), "Activa");
    EXPECT_EQ(Cell(pane, 0, AlarmsPane::kState, Qt::AccessibleTextRole), "Activa, sin reconocer");
    EXPECT_EQ(Cell(pane, 1, AlarmsPane::kState), "Normalizada");
    EXPECT_EQ(Cell(pane, 2, AlarmsPane::kState), "Activa, reconocida");
}
