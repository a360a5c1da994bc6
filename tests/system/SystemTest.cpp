#include "support/DocProbe.h"
#include "system/FarmHarness.h"
#include "system/FarmInvariants.h"
#include "system/SoakSeeds.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

farmsim::UnitConfig Unit(int nodeId, farmsim::Mode mode = farmsim::Mode::Run) {
    farmsim::UnitConfig unit;
    unit.nodeId = nodeId;
    unit.idCode = static_cast<std::uint8_t>(nodeId);
    unit.mode = mode;
    unit.centigrade = nodeId % 3 == 0;
    return unit;
}

int CountLinesContaining(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(text) != std::string::npos;
    }));
}

} // namespace

TEST(WholeSystem, PollsAnsweringUnitsAndReportsTheSilentOneAfterSevenAttempts) {
    farmsim::FarmConfig config;
    config.units = {Unit(3), Unit(5), Unit(9, farmsim::Mode::Standby)};
    config.units[1].silent = true;
    FarmHarness h(config, 11);
    h.ConfigureFarm();
    FarmInvariants invariants(h);
    h.afterTick = [&] { invariants.Check(); };

    h.Doc().FarmConnect(0);
    h.RunTicks(25);

    ASSERT_EQ(invariants.Failure(), "");
    // Ticks 5-11 and 14-20 ask unit 5 seven times each; ticks 23-25 start the third round.
    EXPECT_EQ(CountLinesContaining(h.Frame().lines, "(KVN.005."), 17);
    EXPECT_EQ(CountLinesContaining(h.Frame().lines, "(KVN.005.7)"), 2);
    EXPECT_EQ(CountLinesContaining(h.Frame().lines, "(KVN.005.8)"), 0);
    const auto shownSilent = std::count_if(h.List().data.begin(), h.List().data.end(), [](auto& d) {
        return d.nodeId == 5 && d.retryCountdown == 0 && d.newRecord.m_iCuringMethod == 0;
    });
    EXPECT_EQ(shownSilent, 2);
    const KilnRecord* unit3 = h.Doc().Farm(0).Unit(2);
    ASSERT_NE(unit3, nullptr);
    EXPECT_EQ(unit3->m_iUnitStatus, 4);
    EXPECT_EQ(unit3->m_bCentigrade, 1);
    EXPECT_EQ(h.Doc().Farm(0).Unit(8)->m_iUnitStatus, 0);
}

TEST(WholeSystem, CommitFromTheSheetSwitchesAUnitToRun) {
    farmsim::FarmConfig config;
    config.units = {Unit(4, farmsim::Mode::Standby), Unit(7)};
    FarmHarness h(config, 5);
    h.ConfigureFarm();
    h.Doc().Farm(0).m_iSelectedNode = 4;
    h.Doc().FarmConnect(0);
    h.RunTicks(8);
    ASSERT_EQ(h.Doc().RecordImage()[0], 4) << "the selected unit's reply fills the image";

    h.Doc().Apply_3_1(4);
    h.RunTicks(6);
    EXPECT_EQ(h.Sim().Unit(4)->GetMode(), farmsim::Mode::Run);
    ASSERT_FALSE(h.List().statusCodes.empty());
    EXPECT_EQ(h.List().statusCodes.back(), 0x53);
    EXPECT_EQ(h.Doc().Farm(0).Unit(3)->m_iUnitStatus, 4);
}

TEST(WholeSystem, StationSizeQueryReadsTheGrowingLog) {
    farmsim::FarmConfig config;
    config.units = {Unit(1), Unit(2)};
    config.zrmLogIntervalMs = 10000;
    FarmHarness h(config, 3);
    h.ConfigureFarm();
    h.Doc().FarmConnect(0);
    h.RunTicks(30);
    h.Doc().ZRM_Query1_Query();
    h.RunTicks(1);
    h.Line().RunUntil(h.NowMs() + 900); // the reply is in before the next tick sends again
    EXPECT_EQ(DocProbe(h.Doc()).Query1State(), 1);
    EXPECT_EQ(DocProbe(h.Doc()).Query1ByteCount(), h.Sim().Zrm()->ByteCount());
    EXPECT_GT(DocProbe(h.Doc()).Query1ByteCount(), 0u);
    h.Doc().ZRM_QueryN_Adjustment(true);
    const auto queriesBefore =
        h.Sim().Unit(1)->GetTraffic().queriesSeen + h.Sim().Unit(2)->GetTraffic().queriesSeen;
    h.RunTicks(4);
    EXPECT_GT(h.Sim().Unit(1)->GetTraffic().queriesSeen + h.Sim().Unit(2)->GetTraffic().queriesSeen,
              queriesBefore);
}

namespace {

void FullFarmWithRandomFaultsForADay(std::uint64_t seed, SoakTally& tally) {
    farmsim::FarmConfig config;
    config.seed = seed;
    for (int node = 1; node <= 254; ++node) {
        config.units.push_back(
            Unit(node, node % 5 == 0 ? farmsim::Mode::Standby : farmsim::Mode::Run));
    }
    config.units[17].silent = true;
    config.faults = EverydayFaults(0.02);
    FarmHarness h(config, seed);
    h.ConfigureFarm();
    FarmInvariants invariants(h);
    h.afterTick = [&] {
        invariants.Check();
        if (!invariants.Failure().empty()) {
            throw std::runtime_error(invariants.Failure());
        }
    };

    h.Doc().FarmConnect(0);
    try {
        h.RunTicks(24 * 3600);
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(invariants.Failure(), "") << "seed " << seed;
    EXPECT_TRUE(h.Doc().Farm(0).m_bFarmIsConnected) << "seed " << seed;
    EXPECT_GT(invariants.RoundsCompleted(), 200u) << "seed " << seed;
    EXPECT_GT(invariants.UnitLinesChecked(), 70000u) << "seed " << seed;
    tally.Add(h.Ticks() / 86400.0, !invariants.Failure().empty(), h.Sim().Counters().repliesDue,
              h.Sim().Counters().undetectedDamage, invariants.DamagedLinesShown());
}

} // namespace

TEST(WholeSystemLongRun, FullFarmWithRandomFaultsForADay) {
    RunOverSoakSeeds("FullFarmWithRandomFaultsForADay", 20061206, FullFarmWithRandomFaultsForADay);
}

TEST(WholeSystemLongRun, ModemFarmConnectsLosesCarrierReconnectsAndDisconnects) {
    const std::uint64_t seed = 77;
    farmsim::FarmConfig config;
    config.seed = seed;
    config.modem.present = true;
    config.modem.carrierDelayMs = 4000;
    for (int node : {2, 3, 11, 40}) {
        config.units.push_back(Unit(node));
    }
    config.faults.badChecksum = 0.05;
    config.faults.late = 0.02;
    FarmHarness h(config, seed);
    h.ConfigureFarm(CT_REMOTE_MODEM, "5551234");
    FarmInvariants invariants(h);
    h.afterTick = [&] { invariants.Check(); };
    const auto connected = [&] { return h.Doc().Farm(0).m_bFarmIsConnected != 0; };

    for (int round = 0; round < 2; ++round) {
        h.Doc().FarmConnect(0);
        for (int i = 0; i < 40 && !connected(); ++i) {
            h.RunTicks(1);
        }
        ASSERT_TRUE(connected()) << "round " << round << " seed " << seed;
        EXPECT_EQ(h.Sim().Modem()->LastNumber(), "5551234");
        h.RunTicks(120);
        if (round == 0) {
            h.Sim().DropCarrier(h.NowMs());
        } else {
            h.Doc().fARMdISCONNECT(0);
        }
        for (int i = 0; i < 12 && connected(); ++i) {
            h.RunTicks(1);
        }
        ASSERT_FALSE(connected()) << "round " << round;
        h.RunTicks(2);
        EXPECT_EQ(h.Frame().Last(), "NOT CONNECTED");
        EXPECT_FALSE(h.Line().IsOpen());
    }
    EXPECT_EQ(invariants.Failure(), "") << "seed " << seed;
    EXPECT_GT(invariants.UnitLinesChecked(), 100u);
}
