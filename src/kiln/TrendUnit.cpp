#include "kiln/TrendUnit.h"

int TrendUnitToShow(const FarmRecord& farm, int currentLineNodeId) {
    if (farm.Unit(currentLineNodeId - 1) != nullptr) {
        return currentLineNodeId;
    }
    if (farm.Unit(farm.m_iSelectedNode - 1) != nullptr) {
        return farm.m_iSelectedNode;
    }
    for (int index = 0; index < kUnitSlotCount; ++index) {
        if (farm.Unit(index) != nullptr) {
            return index + 1;
        }
    }
    return 1;
}
