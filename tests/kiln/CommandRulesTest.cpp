#include "kiln/CommandRules.h"
#include "kiln/KilnDecoding.h"

#include <gtest/gtest.h>

namespace {

KilnRecord Unit(std::int32_t status, std::int32_t curingMethod) {
    KilnRecord record;
    record.m_iUnitStatus = status;
    record.m_iCuringMethod = curingMethod;
    return record;
}

FarmRecord Farm(bool selectable, bool connected) {
    FarmRecord farm;
    farm.m_bFarmSelectable = selectable ? 1 : 0;
    farm.m_bFarmIsConnected = connected ? 1 : 0;
    return farm;
}

} // namespace

TEST(CommandRules, OperateNeedsAnAnsweredUnitInStandbyOrRun) {
    EXPECT_TRUE(MayOperateUnit(Unit(US_STANDBY, CM_AH)));
    EXPECT_TRUE(MayOperateUnit(Unit(US_RUN, CM_DT)));
    EXPECT_FALSE(MayOperateUnit(Unit(US_SETUP, CM_AH)));
    // A unit that never answered reads as Standby, but without a curing method.
    EXPECT_FALSE(MayOperateUnit(KilnRecord{}));
    EXPECT_FALSE(MayOperateUnit(Unit(US_RUN, CM_NONE)));
    EXPECT_FALSE(MayOperateUnit(Unit(3, CM_AH))) << "a status byte outside the three";
}

TEST(CommandRules, DeleteOnlyWhileTheFarmIsNotConnected) {
    EXPECT_TRUE(MayDeleteUnit(Farm(true, false)));
    EXPECT_TRUE(MayDeleteUnit(Farm(false, false)));
    EXPECT_FALSE(MayDeleteUnit(Farm(true, true)));
}

TEST(CommandRules, ConnectAndDisconnectFollowTheFarmsStateAndTheLine) {
    EXPECT_TRUE(MayConnectFarm(Farm(true, false)));
    EXPECT_FALSE(MayDisconnectFarm(Farm(true, false)));
    EXPECT_FALSE(MayConnectFarm(Farm(true, true)));
    EXPECT_TRUE(MayDisconnectFarm(Farm(true, true)));
    // Another farm holds the line: neither command.
    EXPECT_FALSE(MayConnectFarm(Farm(false, false)));
    EXPECT_FALSE(MayDisconnectFarm(Farm(false, true)));
}
