#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

std::vector<int> Drain(CSimpleQueue& queue) {
    std::vector<int> ids;
    while (!queue.IsEmpty()) {
        ids.push_back(queue.Delete());
    }
    return ids;
}

bool NodeIdBit(const FarmRecord& farm, int nodeIndex) {
    return (farm.m_byNodeIdBitmap[static_cast<std::size_t>(nodeIndex / 8)] >> (nodeIndex % 8)) & 1;
}

// Units 1..253 on farm 1, as the stored configuration would create them.
void FillFarm(EngineFixture& f) {
    FarmRecord& farm = f.doc.Farm(1);
    for (int nodeIndex = 0; nodeIndex < 253; ++nodeIndex) {
        farm.m_bNodeConfigured[static_cast<std::size_t>(nodeIndex)] = 1;
        farm.m_byNodeIdBitmap[static_cast<std::size_t>(nodeIndex / 8)] |=
            static_cast<std::uint8_t>(1u << (nodeIndex % 8));
    }
    ConfigureUnits(farm, {});
}

} // namespace

TEST(AddUnit, FillsTheLastFreeSlotOfAFarmAndShowsItsLineWithoutData) {
    EngineFixture f;
    FillFarm(f);
    FarmRecord& farm = f.doc.Farm(1);
    ASSERT_EQ(farm.m_nUnitCount, 253);

    ASSERT_TRUE(f.doc.AddKilnRecord(1, 253));
    EXPECT_EQ(farm.m_nUnitCount, 254);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 253);
    ASSERT_NE(farm.Unit(253), nullptr);
    EXPECT_EQ(farm.Unit(253)->m_byIdentificationCode, 254);
    EXPECT_EQ(farm.Unit(253)->m_iCuringMethod, 0);
    EXPECT_EQ(farm.m_bNodeConfigured[253], 1);
    EXPECT_TRUE(NodeIdBit(farm, 253));
    EXPECT_TRUE(f.doc.NodeListsChanged());
    EXPECT_EQ(Drain(farm.m_queue), std::vector<int>{254});
    ASSERT_EQ(f.list.data.size(), 1u);
    EXPECT_EQ(f.list.data[0].nodeId, 254);
    EXPECT_EQ(f.list.data[0].farmIndex, 1);
    EXPECT_EQ(f.list.data[0].retryCountdown, 0) << "the list acts only on a settled countdown";
    EXPECT_EQ(f.list.data[0].newRecord.m_iCuringMethod, 0);
}

TEST(AddUnit, RefusesATakenSlotOrOneOutsideTheTableAndChangesNothing) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(0), {4});
    KilnRecord& existing = *f.doc.Farm(0).Unit(3);
    existing.m_iCuringMethod = 1;
    existing.m_byIdentificationCode = 40;

    EXPECT_FALSE(f.doc.AddKilnRecord(0, 3));
    EXPECT_FALSE(f.doc.AddKilnRecord(0, 254)) << "node 255 is the alarm station";
    EXPECT_FALSE(f.doc.AddKilnRecord(0, -1));
    EXPECT_FALSE(f.doc.AddKilnRecord(4, 0));

    EXPECT_EQ(f.doc.Farm(0).m_nUnitCount, 1);
    EXPECT_EQ(existing.m_iCuringMethod, 1);
    EXPECT_EQ(existing.m_byIdentificationCode, 40);
    EXPECT_TRUE(f.doc.Farm(0).m_queue.IsEmpty());
    EXPECT_TRUE(f.list.data.empty());
    EXPECT_FALSE(f.doc.NodeListsChanged());
}

TEST(AddUnit, TheFirstUnitOfAFarmBecomesTheRotationAndTheHighest) {
    EngineFixture f;
    ASSERT_TRUE(f.doc.AddKilnRecord(2, 17));
    EXPECT_EQ(f.doc.Farm(2).m_iRoundRobinIndex, 17);
    EXPECT_EQ(f.doc.Farm(2).m_iHighestConfiguredIndex, 17);
    ASSERT_TRUE(f.doc.AddKilnRecord(2, 5));
    EXPECT_EQ(f.doc.Farm(2).m_iRoundRobinIndex, 17);
    EXPECT_EQ(f.doc.Farm(2).m_iHighestConfiguredIndex, 17) << "a lower unit leaves it";
}

TEST(DeleteUnit, MovesTheRotationForwardWithWrapAndLowersTheHighest) {
    EngineFixture f;
    FillFarm(f);
    FarmRecord& farm = f.doc.Farm(1);
    ASSERT_EQ(farm.m_iHighestConfiguredIndex, 252);

    farm.m_iRoundRobinIndex = 100;
    f.doc.DeleteKilnRecord(1, 100, 100);
    EXPECT_EQ(farm.m_iRoundRobinIndex, 101);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 252);

    // The highest unit is also the rotation's: the rotation wraps, the highest drops.
    farm.m_iRoundRobinIndex = 252;
    f.doc.DeleteKilnRecord(1, 251, 252);
    EXPECT_EQ(farm.m_iRoundRobinIndex, 0);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 251);

    EXPECT_EQ(farm.m_nUnitCount, 251);
    EXPECT_EQ(farm.Unit(252), nullptr);
    EXPECT_EQ(farm.m_bNodeConfigured[252], 0);
    EXPECT_FALSE(NodeIdBit(farm, 252));
    EXPECT_FALSE(NodeIdBit(farm, 100));
    EXPECT_TRUE(NodeIdBit(farm, 251));
    EXPECT_TRUE(f.doc.NodeListsChanged());
    EXPECT_EQ(f.list.removedLines, (std::vector<std::pair<int, int>>{{100, 100}, {252, 251}}));
}

TEST(DeleteUnit, TheLastUnitLeavesTheIndexesAsTheyWere) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(0), {9});
    f.doc.DeleteKilnRecord(0, 0, 8);
    EXPECT_EQ(f.doc.Farm(0).m_nUnitCount, 0);
    EXPECT_EQ(f.doc.Farm(0).m_iRoundRobinIndex, 8);
    EXPECT_EQ(f.doc.Farm(0).m_iHighestConfiguredIndex, 8);
    EXPECT_EQ(f.doc.Farm(0).Unit(8), nullptr);
}

TEST(DeleteUnit, TakesTheNodeIdOutOfTheQueueEvenWhenTheUnitReportsAnotherCode) {
    EngineFixture f;
    FarmRecord& farm = f.doc.Farm(0);
    ConfigureUnits(farm, {5, 77});
    farm.Unit(4)->m_byIdentificationCode = 77; // what unit 5 reported of itself
    farm.m_queue.Add(5);
    farm.m_queue.Add(77);
    farm.m_queue.Add(5);

    f.doc.DeleteKilnRecord(0, 0, 4);
    EXPECT_EQ(Drain(farm.m_queue), std::vector<int>{77});
    EXPECT_NE(farm.Unit(76), nullptr);
}

TEST(DeleteUnit, AnEmptySlotOrAnIndexOutsideTheTableChangesNothing) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(0), {2});
    f.doc.DeleteKilnRecord(0, 0, 0);
    f.doc.DeleteKilnRecord(0, 0, 254);
    f.doc.DeleteKilnRecord(0, 0, -3);
    f.doc.DeleteKilnRecord(7, 0, 1);
    EXPECT_EQ(f.doc.Farm(0).m_nUnitCount, 1);
    EXPECT_TRUE(f.list.removedLines.empty());
    EXPECT_FALSE(f.doc.NodeListsChanged());
}

TEST(AddUnit, AUnitAddedDuringALoggingCycleIsLoggedInThatCycle) {
    EngineFixture f;
    f.clock.now = {2006, 12, 6, 8, 15, 0};
    f.frame.answerDescriptorAtOnce = true;
    ConfigureUnits(f.doc.Farm(0), {1, 2});
    f.doc.FarmConnect(0);
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    ASSERT_TRUE(f.doc.LogCycleActive());

    ASSERT_TRUE(f.doc.AddKilnRecord(0, 2));
    EXPECT_EQ(f.doc.Farm(0).m_bPcLogNode[2], 1);
    EXPECT_EQ(f.doc.Farm(0).m_nLoggedNodes, 3);
    EXPECT_TRUE(f.list.data.empty()) << "a connected farm shows the unit when it answers";

    // The start-up scan asks 1 and 2, then the queue brings the new unit 3.
    std::vector<int> asked;
    for (int i = 0; i < 3; ++i) {
        const std::size_t before = f.port.writes.size();
        f.doc.Timer1_Tick();
        const auto targets = f.ScanTargets(before);
        ASSERT_EQ(targets.size(), 1u);
        asked.push_back(targets[0]);
        f.Reply(StatusReply(targets[0], 0xA3));
        EXPECT_EQ(f.doc.PcLog(0).IsLogFileOpen(), i < 2) << "after unit " << targets[0];
    }
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    std::ifstream in(f.doc.PcLog(0).LogFileName(), std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find(",003,135,"), std::string::npos);
}
