#include "kiln/CommandRules.h"

#include "kiln/KilnDecoding.h"

bool MayOperateUnit(const KilnRecord& unit) {
    return unit.m_iCuringMethod != CM_NONE &&
           (unit.m_iUnitStatus == US_STANDBY || unit.m_iUnitStatus == US_RUN);
}

bool MayDeleteUnit(const FarmRecord& farm) {
    return farm.m_bFarmIsConnected == 0;
}

bool MayConnectFarm(const FarmRecord& farm) {
    return farm.m_bFarmSelectable != 0 && farm.m_bFarmIsConnected == 0;
}

bool MayDisconnectFarm(const FarmRecord& farm) {
    return farm.m_bFarmSelectable != 0 && farm.m_bFarmIsConnected != 0;
}
