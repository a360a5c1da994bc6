#include "support/DocProbe.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

// A local farm with the given units, connected; the burst and the two settle ticks have not
// run yet.
void ConnectLocalFarm(EngineFixture& f, std::initializer_list<int> nodeIds, int farmIndex = 0) {
    ConfigureUnits(f.doc.Farm(farmIndex), nodeIds);
    f.doc.FarmConnect(farmIndex);
    ASSERT_TRUE(f.doc.Farm(farmIndex).m_bFarmIsConnected);
}

// Runs one tick and answers the scan it sent, unless the target is silent.
void TickAndAnswer(EngineFixture& f, std::initializer_list<int> silent = {}) {
    const std::size_t before = f.port.writes.size();
    f.doc.Timer1_Tick();
    const auto targets = f.ScanTargets(before);
    if (targets.empty()) {
        return;
    }
    for (int s : silent) {
        if (s == targets.back()) {
            return;
        }
    }
    f.Reply(StatusReply(targets.back()));
}

} // namespace

TEST(Scheduler, ElapsedTimeTextShowsDaysHoursMinutesSeconds) {
    EXPECT_EQ(CTreeListDoc::ElapsedTimeText(0), "0000:00:00:00");
    EXPECT_EQ(CTreeListDoc::ElapsedTimeText(3661), "0000:01:01:01");
    EXPECT_EQ(CTreeListDoc::ElapsedTimeText(65535), "0000:18:12:15");
}

TEST(Scheduler, SendsTheBurstThenPollsStartupScanThenRotationFromTheFourthTick) {
    EngineFixture f;
    ConnectLocalFarm(f, {3, 5, 9});

    f.doc.Timer1_Tick();
    ASSERT_EQ(f.port.writes.size(), 1u);
    EXPECT_EQ(f.port.writes[0].bytes, std::vector<std::uint8_t>(480, 0));
    EXPECT_EQ(f.port.writes[0].expectedReplyBytes, 0);
    f.doc.Timer1_Tick();
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.port.writes.size(), 1u) << "the two settle ticks send nothing";

    for (int i = 0; i < 8; ++i) {
        TickAndAnswer(f);
    }
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 5, 9, 3, 5, 9, 3, 5}));
    EXPECT_EQ(f.port.writes[1].bytes, (std::vector<std::uint8_t>{0x03, 0x51, 0x00, 0x54}));
    EXPECT_EQ(f.port.writes[1].expectedReplyBytes, 60);
}

TEST(Scheduler, AsksASilentUnitSevenTimesAndShowsItNotAnsweringOnlyAfterTheSeventh) {
    EngineFixture f;
    ConnectLocalFarm(f, {3, 5, 9});
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    for (int i = 0; i < 10; ++i) {
        TickAndAnswer(f, {5});
    }
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 5, 5, 5, 5, 5, 5, 5, 9, 3}));

    std::vector<int> countdowns;
    for (const auto& d : f.list.data) {
        if (d.nodeId == 5) {
            countdowns.push_back(d.retryCountdown);
            EXPECT_EQ(d.newRecord.m_iCuringMethod, 0);
        }
    }
    // The list acts only on a countdown of 0: the seventh time-out.
    EXPECT_EQ(countdowns, (std::vector<int>{6, 5, 4, 3, 2, 1, 0}));

    std::vector<std::string> unit5Lines;
    for (const auto& line : f.frame.lines) {
        if (line.find("(KVN.005.") != std::string::npos) {
            unit5Lines.push_back(line.substr(line.find('(')));
        }
    }
    ASSERT_EQ(unit5Lines.size(), 7u);
    EXPECT_EQ(unit5Lines.front(), "(KVN.005.1)");
    EXPECT_EQ(unit5Lines.back(), "(KVN.005.7)");
}

TEST(Scheduler, TimeOutClearsTheUnitsDataAndAlarmBit) {
    EngineFixture f;
    ConnectLocalFarm(f, {4});
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    f.doc.Timer1_Tick(); // scan 4
    f.Reply(StatusReply(4, 0xA3, 0x04));
    ASSERT_TRUE(f.doc.AlarmBit(3));
    f.doc.Timer1_Tick(); // scan 4 again, left unanswered
    f.doc.Timer1_Tick(); // time-out
    const KilnRecord* stored = f.doc.Farm(0).Unit(3);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->m_iCuringMethod, 0);
    EXPECT_EQ(stored->m_iAlarmStatus, 0);
    EXPECT_FALSE(f.doc.AlarmBit(3));
}

TEST(Scheduler, AsksASingleUnitEverySecond) {
    EngineFixture f;
    ConnectLocalFarm(f, {17});
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    for (int i = 0; i < 5; ++i) {
        TickAndAnswer(f);
    }
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{17, 17, 17, 17, 17}));
}

TEST(Scheduler, RotationNeverPollsTheStationWhoseBitAStoredBitmapMaySet) {
    EngineFixture f;
    // Node 255's flag, the last of the stored bitmap: the station's address, never a unit.
    f.doc.Farm(0).m_bNodeConfigured[kNodeFlagCount - 1] = 1;
    ConnectLocalFarm(f, {3, 254});
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    for (int i = 0; i < 8; ++i) {
        TickAndAnswer(f);
    }
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 254, 3, 254, 3, 254, 3, 254}));
}

TEST(Scheduler, FarmWithoutUnitsShowsTheEmptyQueueLineAndSendsNothing) {
    EngineFixture f;
    ConnectLocalFarm(f, {});
    for (int i = 0; i < 5; ++i) {
        f.doc.Timer1_Tick();
    }
    EXPECT_TRUE(f.ScanTargets().empty());
    EXPECT_EQ(f.frame.Last(), "0000:00:00:01: TT_KVN_T1_PIO_O (KVN)");
}

TEST(Scheduler, CommitRequestedDuringAScanWaitGoesOutAfterTheReplyThenScanningResumes) {
    EngineFixture f;
    ConnectLocalFarm(f, {3, 5});
    f.doc.Farm(0).m_iSelectedNode = 3;
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    TickAndAnswer(f);    // unit 3's reply: the image a commit is built on
    f.doc.Timer1_Tick(); // scan 5 in flight
    f.doc.Apply_3_1(4);
    f.Reply(StatusReply(5));
    f.doc.Timer1_Tick();
    ASSERT_EQ(f.port.Last().bytes.size(), 60u);
    EXPECT_EQ(f.port.Last().bytes[1], 0x43);
    EXPECT_EQ(f.port.Last().expectedReplyBytes, 4);
    EXPECT_NE(f.frame.Last().find("TT_KVN_T2_PIO_O (KVN)"), std::string::npos);

    f.Reply(ShortReply({0x03, 0x53}));
    EXPECT_EQ(f.list.statusCodes, (std::vector<int>{0x53}));
    const std::size_t before = f.port.writes.size();
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.ScanTargets(before), (std::vector<int>{3}));
}

TEST(Scheduler, UnansweredCommitIsReportedAsFAndScanningResumesOnTheSameTick) {
    EngineFixture f;
    ConnectLocalFarm(f, {3});
    f.doc.Farm(0).m_iSelectedNode = 3;
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    TickAndAnswer(f);
    f.doc.Apply_3_1(0);
    f.doc.Timer1_Tick(); // the scan was answered: the commit goes out now
    ASSERT_EQ(f.port.Last().bytes.size(), 60u);
    const std::size_t before = f.port.writes.size();
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.list.statusCodes, (std::vector<int>{0x46}));
    EXPECT_EQ(f.ScanTargets(before), (std::vector<int>{3}));
}

TEST(Scheduler, StatusTimeWrapsAfterThe65536thLine) {
    EngineFixture f;
    ConnectLocalFarm(f, {});
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    DocProbe(f.doc).SetStatusTimeCounter(65535);
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "0000:18:12:15: TT_KVN_T1_PIO_O (KVN)");
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "0000:00:00:00: TT_KVN_T1_PIO_O (KVN)");
}
