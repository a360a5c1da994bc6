#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

struct ModemFarm : EngineFixture {
    explicit ModemFarm(std::uint8_t type = CT_REMOTE_MODEM, int farmIndex = 0) {
        FarmRecord& farm = doc.Farm(farmIndex);
        ConfigureUnits(farm, {3, 5});
        farm.m_byConnectionType = type;
        farm.m_strPhoneNumber = "5551234";
        farm.m_iSerialPort = 2;
        doc.FarmConnect(farmIndex);
    }

    // Runs ticks until the farm is connected, at most limit ticks; returns the count.
    int TicksUntilConnected(int limit = 40) {
        for (int i = 1; i <= limit; ++i) {
            doc.Timer1_Tick();
            if (doc.CurrentFarm().m_bFarmIsConnected) {
                return i;
            }
        }
        return -1;
    }
};

} // namespace

TEST(ModemConnect, SendsTheHangUpEchoOffAndDialOnTheirTicks) {
    ModemFarm f;
    EXPECT_EQ(f.port.opens, (std::vector<std::pair<bool, int>>{{false, 2}}));
    std::vector<std::string> perTick;
    for (int tick = 1; tick <= 8; ++tick) {
        const std::size_t before = f.port.writes.size();
        f.doc.Timer1_Tick();
        perTick.push_back(f.port.writes.size() > before ? f.port.Last().Text() : "");
    }
    EXPECT_EQ(perTick, (std::vector<std::string>{"", "", "+++", "", "ATH0\r\n", "ATE0\r\n", "",
                                                 "ATDT5551234\r\n"}));
    EXPECT_EQ(f.port.Last().bytes.size(), 13u);
    for (const auto& w : f.port.writes) {
        EXPECT_EQ(w.expectedReplyBytes, -1);
    }
    EXPECT_TRUE(f.doc.InCommandMode());
    EXPECT_EQ(f.frame.lines.front(), "ConnectStage == 12 (WAIT STATE)");
    EXPECT_EQ(f.frame.Last(), "ConnectStage == 5 (ATX1D<CR><LF>)");
}

TEST(ModemConnect, LocalModemDialsWithATX1D) {
    ModemFarm f(CT_LOCAL_MODEM);
    for (int tick = 1; tick <= 8; ++tick) {
        f.doc.Timer1_Tick();
    }
    EXPECT_EQ(f.port.Last().Text(), "ATX1D\r\n");
}

TEST(ModemConnect, GivesUpAfterThirtyTicksWithoutCarrier) {
    ModemFarm f;
    for (int tick = 1; tick <= 8; ++tick) {
        f.doc.Timer1_Tick();
    }
    for (int count = 1; count <= 29; ++count) {
        f.doc.Timer1_Tick();
        EXPECT_EQ(f.frame.Last(),
                  "ConnectStage == 4 (WAITING for RESPONSE)..." + std::to_string(count));
    }
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "UNABLE TO CONNECT");
    EXPECT_FALSE(f.doc.InCommandMode());
    EXPECT_TRUE(f.port.open);
    f.doc.Timer1_Tick();
    EXPECT_FALSE(f.port.open) << "the idle tick closes the port";
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "NOT CONNECTED");
    EXPECT_FALSE(f.doc.CurrentFarm().m_bFarmIsConnected);
}

TEST(ModemConnect, CarrierAlreadyPresentConnectsOnTheTwelfthTickAndScansFourLater) {
    ModemFarm f;
    f.port.carrier = 1;
    EXPECT_EQ(f.TicksUntilConnected(), 12);
    EXPECT_FALSE(f.doc.InCommandMode());
    EXPECT_EQ(f.tree.events, (std::vector<std::pair<bool, int>>{{true, 0}}));
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    EXPECT_TRUE(f.ScanTargets().empty());
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3}));
}

TEST(ModemConnect, CarrierEventDuringStageFourMovesOnAtOnce) {
    ModemFarm f;
    for (int tick = 1; tick <= 9; ++tick) {
        f.doc.Timer1_Tick();
    }
    ASSERT_EQ(f.doc.ConnectStage(), 4);
    f.doc.SetFarmIsConnected(); // the carrier event, between ticks
    EXPECT_EQ(f.doc.ConnectStage(), 3);
    f.doc.Timer1_Tick();
    ASSERT_GE(f.frame.lines.size(), 2u);
    EXPECT_EQ(f.frame.lines[f.frame.lines.size() - 2], "CONNECTED to Group 1");
    EXPECT_EQ(f.frame.Last(), "ConnectStage == 3 (WAIT STATE)");
}

TEST(ModemConnect, CarrierWhileNoConnectionIsMadeClosesThePort) {
    ModemFarm f;
    f.doc.Timer1_Tick();
    for (int i = 0; i < 40 && f.doc.ConnectStage() > 0; ++i) {
        f.doc.Timer1_Tick();
    }
    f.doc.Timer1_Tick();
    f.port.open = true;
    f.doc.PortOpen(false, 2);
    f.doc.SetFarmIsConnected();
    EXPECT_FALSE(f.port.open);
}

TEST(ModemDisconnect, RunsTheHangUpStagesAndIsNotRestarted) {
    ModemFarm f;
    f.port.carrier = 1;
    ASSERT_EQ(f.TicksUntilConnected(), 12);
    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(f.doc.DisconnectStage(), 6);
    f.doc.Timer1_Tick();
    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(f.doc.DisconnectStage(), 5) << "a running disconnect is not restarted";

    std::vector<std::string> perTick;
    for (int tick = 0; tick < 5; ++tick) {
        const std::size_t before = f.port.writes.size();
        f.doc.Timer1_Tick();
        perTick.push_back(f.port.writes.size() > before ? f.port.Last().Text() : "");
    }
    EXPECT_EQ(perTick, (std::vector<std::string>{"", "+++", "", "ATH0\r\n", ""}));
    EXPECT_EQ(f.frame.Last(), "DisconnectStage == 1 (CLOSE THE PORT)");
    EXPECT_FALSE(f.doc.CurrentFarm().m_bFarmIsConnected);
    EXPECT_FALSE(f.port.open);
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "NOT CONNECTED");
}

TEST(FarmConnection, ConnectedFarmMakesTheOthersUnselectableUntilItDisconnects) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(2), {1});
    f.doc.FarmConnect(2);
    EXPECT_EQ(f.doc.Farm(0).m_bFarmSelectable, 0);
    EXPECT_EQ(f.doc.Farm(1).m_bFarmSelectable, 0);
    EXPECT_EQ(f.doc.Farm(2).m_bFarmSelectable, 1);
    EXPECT_EQ(f.doc.Farm(3).m_bFarmSelectable, 0);
    EXPECT_EQ(f.frame.Last(), "CONNECTED to Group 3");
    f.doc.fARMdISCONNECT(2);
    for (int i = 0; i < kFarmCount; ++i) {
        EXPECT_EQ(f.doc.Farm(i).m_bFarmSelectable, 1) << i;
    }
    EXPECT_EQ(f.frame.Last(), "NOT CONNECTED");
}

TEST(FarmConnection, DisconnectClearsDataAlarmsAndTheQueue) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(0), {3, 5});
    f.doc.FarmConnect(0);
    for (int i = 0; i < 4; ++i) {
        f.doc.Timer1_Tick();
    }
    f.Reply(StatusReply(3, 0xA3, 0x08));
    ASSERT_TRUE(f.doc.AlarmBit(2));
    f.doc.fARMdISCONNECT(0);
    EXPECT_FALSE(f.doc.AlarmBit(2));
    EXPECT_EQ(f.doc.Farm(0).Unit(2)->m_iCuringMethod, 0);
    EXPECT_TRUE(f.doc.Farm(0).m_queue.IsEmpty());
    EXPECT_EQ(f.list.treeSelections.back(), (std::pair<bool, int>{true, 0}));
    EXPECT_EQ(f.tree.events.back(), (std::pair<bool, int>{false, 0}));
}

TEST(FarmConnection, FailedLocalOpenKeepsTheUnitsQueuedForTheNextAttempt) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(0), {3});
    f.port.openSucceeds = false;
    f.doc.FarmConnect(0);
    EXPECT_EQ(f.frame.Last(), "UNABLE TO OPEN THE PORT");
    f.port.openSucceeds = true;
    f.doc.FarmConnect(0);
    for (int i = 0; i < 5; ++i) {
        f.doc.Timer1_Tick();
        f.Reply(StatusReply(3));
    }
    // The start-up scan asks unit 3 twice: once per attempt.
    EXPECT_EQ(f.ScanTargets(), (std::vector<int>{3, 3}));
}

TEST(FarmConnection, StartupFarmIsConnectedOnTheFirstTick) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(1), {8});
    f.doc.SetFarmToConnectOnStartup(2);
    f.doc.Timer1_Tick();
    EXPECT_TRUE(f.doc.Farm(1).m_bFarmIsConnected);
    EXPECT_EQ(f.doc.FarmToConnectOnStartup(), 0);
}

TEST(FarmConnection, ShutdownHangsUpAModemFarmStillConnected) {
    ModemFarm f;
    f.port.carrier = 1;
    ASSERT_EQ(f.TicksUntilConnected(), 12);
    const std::size_t before = f.port.writes.size();
    f.doc.HangUpAtShutdown();
    ASSERT_EQ(f.port.writes.size(), before + 2);
    EXPECT_EQ(f.port.writes[before].Text(), "+++");
    EXPECT_EQ(f.port.writes[before + 1].Text(), "ATH0\r\n");
    EXPECT_EQ(f.clock.waited, (std::vector<int>{1000}));
}
