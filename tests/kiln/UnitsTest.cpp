#include "support/DocProbe.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Drain(CSimpleQueue& queue) {
    std::vector<int> ids;
    while (!queue.IsEmpty()) {
        ids.push_back(queue.Delete());
    }
    return ids;
}

bool NodeIdBit(const FarmRecord& farm, int nodeIndex) {
    return (farm.m_byNodeIdBitmap[std::size_t(nodeIndex / 8)] >> (nodeIndex % 8)) & 1;
}

// Units 1..253 on farm 1, as the stored configuration creates them.
FarmRecord& FillFarm(EngineFixture& f) {
    FarmRecord& farm = f.doc.Farm(1);
    for (int nodeIndex = 0; nodeIndex < 253; ++nodeIndex) {
        farm.m_bNodeConfigured[std::size_t(nodeIndex)] = 1;
        farm.m_byNodeIdBitmap[std::size_t(nodeIndex / 8)] |= std::uint8_t(1u << (nodeIndex % 8));
    }
    ConfigureUnits(farm, {});
    return farm;
}

} // namespace

TEST(AddUnit, FillsTheLastFreeSlotAndRefusesItOnceTaken) {
    EngineFixture f;
    FarmRecord& farm = FillFarm(f);
    ASSERT_TRUE(f.doc.AddKilnRecord(1, 253));
    EXPECT_EQ(farm.m_nUnitCount, 254);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 253);
    ASSERT_NE(farm.Unit(253), nullptr);
    EXPECT_EQ(farm.Unit(253)->m_byIdentificationCode, 254);
    EXPECT_TRUE(NodeIdBit(farm, 253));
    EXPECT_TRUE(DocProbe(f.doc).NodeListsChanged());
    ASSERT_EQ(f.list.data.size(), 1u) << "the line shows at once, without data";
    EXPECT_EQ(f.list.data[0].nodeId, 254);
    EXPECT_EQ(f.list.data[0].newRecord.m_iCuringMethod, 0);

    farm.Unit(253)->m_iCuringMethod = 1;
    EXPECT_FALSE(f.doc.AddKilnRecord(1, 253));
    EXPECT_FALSE(f.doc.AddKilnRecord(1, 254)) << "node 255 is the alarm station";
    EXPECT_EQ(farm.m_nUnitCount, 254);
    EXPECT_EQ(farm.Unit(253)->m_iCuringMethod, 1);
    EXPECT_EQ(Drain(farm.m_queue), std::vector<int>{254});
    EXPECT_EQ(f.list.data.size(), 1u);
}

TEST(DeleteUnit, MovesTheRotationForwardWithWrapAndLowersTheHighest) {
    EngineFixture f;
    FarmRecord& farm = FillFarm(f);
    farm.m_iRoundRobinIndex = 100;
    f.doc.DeleteKilnRecord(1, 100, 100);
    EXPECT_EQ(farm.m_iRoundRobinIndex, 101);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 252);

    farm.m_iRoundRobinIndex = 252; // the highest unit is also the rotation's
    f.doc.DeleteKilnRecord(1, 251, 252);
    EXPECT_EQ(farm.m_iRoundRobinIndex, 0);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 251);
    EXPECT_EQ(farm.m_nUnitCount, 251);
    EXPECT_EQ(farm.Unit(252), nullptr);
    EXPECT_FALSE(NodeIdBit(farm, 252));
    EXPECT_TRUE(NodeIdBit(farm, 251));
    EXPECT_EQ(f.list.removedLines, (std::vector<std::pair<int, int>>{{100, 100}, {252, 251}}));
}

TEST(DeleteUnit, TakesTheNodeIdOutOfTheQueueEvenWhenTheUnitReportsAnotherCode) {
    EngineFixture f;
    FarmRecord& farm = f.doc.Farm(0);
    ConfigureUnits(farm, {5, 77});
    farm.Unit(4)->m_byIdentificationCode = 77; // what unit 5 reported of itself
    for (int id : {5, 77, 5}) {
        farm.m_queue.Add(id);
    }
    f.doc.DeleteKilnRecord(0, 0, 4);
    EXPECT_EQ(Drain(farm.m_queue), std::vector<int>{77});
}

TEST(AddUnit, AUnitAddedDuringALoggingCycleIsPendingInThatCycle) {
    EngineFixture f;
    f.frame.answerDescriptorAtOnce = true;
    ConfigureUnits(f.doc.Farm(0), {1, 2});
    f.doc.FarmConnect(0);
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    ASSERT_TRUE(DocProbe(f.doc).LogCycleActive());
    ASSERT_TRUE(f.doc.AddKilnRecord(0, 2));
    EXPECT_TRUE(f.list.data.empty()) << "a connected farm shows the unit when it answers";

    for (int i = 0; i < 3; ++i) { // the start-up scan's 1 and 2, then the new unit 3
        const std::size_t before = f.port.writes.size();
        f.doc.Timer1_Tick();
        ASSERT_EQ(f.ScanTargets(before), std::vector<int>{i + 1});
        f.Reply(StatusReply(i + 1, 0xA3));
        EXPECT_EQ(f.doc.PcLog(0).IsLogFileOpen(), i < 2) << "after unit " << i + 1;
    }
}
