#include "events/AlarmList.h"
#include "events/EventDetector.h"

#include "base/PcLogLine.h"
#include "kiln/KilnDecoding.h"
#include "support/EngineFakes.h"
#include "tools/treat/PcLogFollower.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A running unit's record with data; raw temperatures are 1/20 F (2640 = 132F).
KilnRecord Running(int alarm = AS_NORMAL, std::uint16_t rtd = 2640, int status = US_RUN) {
    KilnRecord record;
    record.m_iCuringMethod = CM_AH;
    record.m_iUnitStatus = status;
    record.m_iAlarmStatus = alarm;
    record.m_wRtd = {rtd, rtd, rtd, 2000};
    return record;
}

const KilnRecord kNoAnswer{};

std::vector<std::string> Kinds(const std::vector<Event>& events) {
    std::vector<std::string> kinds;
    for (const Event& event : events) {
        kinds.push_back(std::string(EventKindName(event.kind)) +
                        (event.detail.empty() ? "" : " " + event.detail));
    }
    return kinds;
}

using Texts = std::vector<std::string>;

} // namespace

TEST(EventRules, AnAlarmRaisedAndClearedTwiceIsFourEventsAndTheSameStateNone) {
    EventDetector rules("op pid 1");
    rules.FarmConnected(0, 100);
    rules.UnitData(0, 12, Running(), 0, false, 101);
    rules.UnitData(0, 12, Running(AS_HIGH), 0, false, 102);
    rules.UnitData(0, 12, Running(AS_HIGH), 0, false, 103);
    rules.UnitData(0, 12, Running(), 0, false, 104);
    rules.UnitData(0, 12, Running(AS_LOW), 0, false, 105);
    rules.UnitData(0, 12, Running(AS_HIGH), 0, false, 106);
    rules.UnitData(0, 12, Running(AS_HIGH, 2640, US_STANDBY), 0, false, 107);
    const std::vector<Event> events = rules.TakeEvents();
    EXPECT_EQ(Kinds(events), (Texts{"farm-connected", "alarm-raised High", "alarm-cleared High",
                                    "alarm-raised Low", "alarm-cleared Low", "alarm-raised High",
                                    "mode-changed Standby, at the unit"}))
        << "the alarm is taken as decoded, whatever the mode";
    EXPECT_EQ(events[1].time, 102);
    EXPECT_EQ(events[1].farm, 0);
    EXPECT_EQ(events[1].unit, 12);
}

TEST(EventRules, AUnitIsSilentOnlyWhenItsAttemptsAreGivenUpAndAnswersAgainOnce) {
    EventDetector rules("op pid 1");
    rules.UnitData(1, 5, Running(AS_HIGH), 0, false, 10);
    for (int countdown = 6; countdown >= 1; --countdown) {
        rules.UnitData(1, 5, kNoAnswer, countdown, false, 11);
    }
    EXPECT_EQ(Kinds(rules.TakeEvents()), (Texts{"alarm-raised High"}));
    rules.UnitData(1, 5, kNoAnswer, 0, false, 12);
    rules.UnitData(1, 5, kNoAnswer, 0, false, 20); // the next round: still silent
    rules.UnitData(1, 5, Running(), 3, false, 30);
    rules.UnitData(1, 5, Running(), 0, false, 31);
    EXPECT_EQ(Kinds(rules.TakeEvents()),
              (Texts{"alarm-cleared High, unit silent", "unit-silent", "unit-answering"}));
}

TEST(EventRules, ACoreBeyondItsSensorIsAFaultUntilItReadsAgain) {
    EventDetector rules("op pid 1");
    rules.UnitData(0, 3, Running(), 0, false, 1);
    KilnRecord broken = Running();
    broken.m_wRtd[1] = 5000; // 250F: no sensor of a core reads that
    rules.UnitData(0, 3, broken, 0, false, 2);
    broken.m_wRtd[2] = 4300;
    rules.UnitData(0, 3, broken, 0, false, 3);
    rules.UnitData(0, 3, Running(), 0, false, 4);
    KilnRecord hot = Running(AS_NORMAL, 4240); // 212F is still a reading
    rules.UnitData(0, 3, hot, 0, false, 5);
    EXPECT_EQ(Kinds(rules.TakeEvents()),
              (Texts{"sensor-fault core 2 reads 250F", "sensor-fault core 3 reads 215F",
                     "sensor-ok core 2 reads 132F; core 3 reads 132F"}));
}

TEST(EventRules, AModeChangeSaysWhetherThisProgramsCommitDidIt) {
    EventDetector rules("anna@kiln-pc pid 42");
    rules.UnitData(0, 7, Running(AS_NORMAL, 2640, US_STANDBY), 0, false, 1);
    rules.UnitData(0, 7, Running(), 0, true, 2);
    rules.UnitData(0, 7, Running(AS_NORMAL, 2640, US_STANDBY), 0, false, 3);
    // A farm connected again starts its modes afresh: no change is made up from the old one.
    rules.FarmDisconnected(0, 4);
    rules.FarmConnected(0, 5);
    rules.UnitData(0, 7, Running(), 0, false, 6);
    EXPECT_EQ(Kinds(rules.TakeEvents()),
              (Texts{"mode-changed Run, by commit of anna@kiln-pc pid 42",
                     "mode-changed Standby, at the unit", "farm-disconnected", "farm-connected"}));
}

TEST(EventRules, ALostPortClearsTheFarmsAlarmsAndTheNextConnectionIsAReconnection) {
    EventDetector rules("op pid 1");
    rules.FarmConnected(2, 1);
    rules.UnitData(2, 1, Running(AS_LOW), 0, false, 2);
    rules.PortLost(2, 3);
    rules.FarmDisconnected(2, 3);
    rules.FarmConnected(2, 9);
    rules.FarmDisconnected(2, 10);
    rules.FarmConnected(2, 11);
    EXPECT_EQ(Kinds(rules.TakeEvents()),
              (Texts{"farm-connected", "alarm-raised Low", "port-lost", "farm-disconnected",
                     "alarm-cleared Low, farm disconnected", "reconnected", "farm-disconnected",
                     "farm-connected"}));
}

TEST(EventRules, OutOfRangeFarmsAndUnitsAreIgnored) {
    EventDetector rules("op pid 1");
    rules.UnitData(4, 1, Running(AS_HIGH), 0, false, 1);
    rules.UnitData(-1, 1, Running(AS_HIGH), 0, false, 1);
    rules.UnitData(0, 0, Running(AS_HIGH), 0, false, 1);
    rules.UnitData(0, 255, Running(AS_HIGH), 0, false, 1);
    rules.FarmConnected(7, 1);
    rules.PortLost(-3, 1);
    EXPECT_TRUE(rules.TakeEvents().empty());
}

// The connected farm's PC log, growing a line per unit a minute.
struct LiveLog : ::testing::Test {
    ScratchDirectory dir;
    std::string path = dir.Path() + "/001_261208_080000.CSV";
    EventDetector rules{"op pid 1"};
    logtools::PcLogFollower follower{rules.Rule()};

    LiveLog() { std::ofstream(path, std::ios::binary) << "charge 14\r\n"; }
    void Minute(int unit, int minute, int value) {
        const int ofDay = 8 * 3600 + minute * 60;
        std::ofstream(path, std::ios::binary | std::ios::app)
            << PcLogLine::stamp(12, 8, 26, ofDay / 3600, ofDay / 60 % 60, ofDay % 60) +
                   PcLogLine::fields(unit, true, value, value, value, 70) + "\r\n";
    }
    void Look(std::int64_t now) {
        ASSERT_TRUE(follower.follow(path));
        rules.Treatment(0, follower, now);
    }
};

TEST_F(LiveLog, AChargeQualifiesOnceAndOneBrokenAt29MinutesIsTold) {
    // Unit 1 holds 56C for 29 minutes and drops; unit 2 holds on past 30.
    for (int minute = 0; minute <= 40; ++minute) {
        Minute(1, minute, minute <= 29 ? 57 : 50);
        Minute(2, minute, 58);
        if (minute % 7 == 0) {
            Look(minute);
        }
    }
    Look(100);
    Look(101);
    EXPECT_EQ(Kinds(rules.TakeEvents()),
              (Texts{"charge-broken 29 min at 56C (132.8F) since 2026-12-08 08:00:00, core 1 "
                     "read 50C",
                     "charge-qualified 30 min at 56C (132.8F) since 2026-12-08 08:00:00"}));
}

TEST_F(LiveLog, AStretchStillShortWhenTheLogEndsIsBroken) {
    for (int minute = 0; minute <= 12; ++minute) {
        Minute(4, minute, 60);
    }
    Minute(5, 12, 60); // one line at the threshold is no charge yet
    Look(13);
    rules.TreatmentEnded(0, 14);
    EXPECT_EQ(Kinds(rules.TakeEvents()),
              (Texts{"charge-broken 12 min at 56C (132.8F) since 2026-12-08 08:00:00, the log "
                     "ended"}));
}

TEST(AlarmList, UnacknowledgedComeFirstAndACheckedAlarmLeavesOnlyOnceCleared) {
    AlarmList alarms;
    EXPECT_TRUE(alarms.Raise(0, 1, "High", 10));
    EXPECT_TRUE(alarms.Raise(0, 2, "Low", 20));
    EXPECT_FALSE(alarms.Raise(0, 2, "Low", 21)) << "the same alarm is listed once";
    EXPECT_TRUE(alarms.Acknowledge(0, 2, "Low"));
    EXPECT_FALSE(alarms.Acknowledge(0, 2, "Low"));
    ASSERT_EQ(alarms.Entries().size(), 2u);
    EXPECT_EQ(alarms.Entries()[0].unit, 1) << "unacknowledged first";
    EXPECT_TRUE(alarms.Unacknowledged(0, 1));
    EXPECT_FALSE(alarms.Unacknowledged(0, 2));

    alarms.Clear(0, 1, "High");
    EXPECT_TRUE(alarms.Unacknowledged(0, 1)) << "cleared but not yet seen by the operator";
    alarms.Clear(0, 2, "Low");
    ASSERT_EQ(alarms.Entries().size(), 1u) << "cleared and acknowledged: gone";
    EXPECT_EQ(alarms.AcknowledgeAll().size(), 1u);
    EXPECT_TRUE(alarms.Entries().empty());
    EXPECT_FALSE(alarms.AnyUnacknowledged());
}
