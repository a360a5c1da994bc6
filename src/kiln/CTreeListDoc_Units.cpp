// The units' records as the farms' configuration names them, and adding and deleting units.
// Adding and deleting keep every table that knows the farm's units in step: the record slots,
// the configured flags and their bitmap, the polling bookkeeping, the pending flags of a running
// logging cycle and the kiln list.

#include "app/CTreeListDoc.h"
#include "kiln/KilnListView.h"

namespace {

bool ValidSlot(int farmIndex, int nodeIndex) {
    return farmIndex >= 0 && farmIndex < kFarmCount && nodeIndex >= 0 && nodeIndex < kUnitSlotCount;
}

void SetNodeIdBit(FarmRecord& farm, int nodeIndex, bool set) {
    std::uint8_t& byte = farm.m_byNodeIdBitmap[static_cast<std::size_t>(nodeIndex / 8)];
    const auto bit = static_cast<std::uint8_t>(1u << (nodeIndex % 8));
    byte = set ? static_cast<std::uint8_t>(byte | bit) : static_cast<std::uint8_t>(byte & ~bit);
}

bool Configured(const FarmRecord& farm, int nodeIndex) {
    return farm.m_bNodeConfigured[static_cast<std::size_t>(nodeIndex)] != 0;
}

} // namespace

void CTreeListDoc::CreateUnitRecords() {
    for (FarmRecord& farm : m_farms) {
        farm.m_nUnitCount = 0;
        for (int index = 0; index <= kHighestUsableNodeIndex; ++index) {
            auto& slot = farm.m_units[static_cast<std::size_t>(index)];
            slot.reset();
            if (farm.m_bNodeConfigured[static_cast<std::size_t>(index)] == 0) {
                continue;
            }
            KilnRecord record;
            record.m_byIdentificationCode = static_cast<std::uint8_t>(index + 1);
            slot = record;
            ++farm.m_nUnitCount;
            farm.m_iHighestConfiguredIndex = index;
            farm.m_iRoundRobinIndex = index;
            farm.m_iStartupScanEnd = index + 1;
        }
        farm.m_iLastQueriedIndex = farm.m_iRoundRobinIndex;
    }
}

bool CTreeListDoc::AddKilnRecord(int farmIndex, int nodeIndex) {
    if (!ValidSlot(farmIndex, nodeIndex)) {
        return false;
    }
    FarmRecord& farm = Farm(farmIndex);
    const auto slot = static_cast<std::size_t>(nodeIndex);
    // The dialog offers free IDs only; a taken one must not lose its record or count twice.
    if (farm.m_units[slot] || Configured(farm, nodeIndex)) {
        return false;
    }
    const int nodeId = nodeIndex + 1;
    KilnRecord record;
    record.m_byIdentificationCode = static_cast<std::uint8_t>(nodeId);
    record.m_iCuringMethod = CM_NONE;
    farm.m_units[slot] = record;

    if (++farm.m_nUnitCount == 1) {
        farm.m_iRoundRobinIndex = nodeIndex;
        farm.m_iHighestConfiguredIndex = nodeIndex;
    } else if (nodeIndex > farm.m_iHighestConfiguredIndex) {
        farm.m_iHighestConfiguredIndex = nodeIndex;
    }

    farm.m_bNodeConfigured[slot] = 1;
    if (m_pclog.m_bLogCycleActive && m_pclog.m_iLogCycleFarm == farmIndex &&
        !farm.m_bPcLogNode[slot]) {
        // Pending in the running cycle, so its first reading is logged with the others.
        farm.m_bPcLogNode[slot] = 1;
        ++farm.m_nLoggedNodes;
    }
    farm.m_queue.Add(nodeId);
    SetNodeIdBit(farm, nodeIndex, true);
    SetNodeListsChanged();

    if (!farm.m_bFarmIsConnected && m_pListView != nullptr) {
        // The line appears at once, with "~" for every value until the unit answers.
        m_pListView->NotifyOfData(0, farmIndex, record, record, nodeId);
    }
    return true;
}

void CTreeListDoc::DeleteKilnRecord(int farmIndex, int itemIndex, int nodeIndex) {
    if (!ValidSlot(farmIndex, nodeIndex)) {
        return;
    }
    FarmRecord& farm = Farm(farmIndex);
    const auto slot = static_cast<std::size_t>(nodeIndex);
    if (!farm.m_units[slot]) {
        return;
    }

    if (--farm.m_nUnitCount > 0) {
        const int highest = farm.m_iHighestConfiguredIndex;
        if (nodeIndex == farm.m_iRoundRobinIndex) {
            // Forward to the next unit, wrapping to the lowest after the highest.
            const bool atTop = nodeIndex >= highest;
            const int from = atTop ? 0 : nodeIndex + 1;
            const int to = atTop ? highest - 1 : highest;
            for (int i = from; i <= to && i < kUnitSlotCount; ++i) {
                if (i != nodeIndex && Configured(farm, i)) {
                    farm.m_iRoundRobinIndex = i;
                    break;
                }
            }
        }
        if (nodeIndex == highest) {
            for (int i = nodeIndex - 1; i >= 0; --i) {
                if (Configured(farm, i)) {
                    farm.m_iHighestConfiguredIndex = i;
                    break;
                }
            }
        }
    } else {
        farm.m_nUnitCount = 0;
    }

    farm.m_units[slot].reset();
    farm.m_bNodeConfigured[slot] = 0;

    if (farm.m_bPcLogNode[slot]) {
        farm.m_bPcLogNode[slot] = 0;
        if (farm.m_nLoggedNodes > 0) {
            --farm.m_nLoggedNodes;
        }
    }

    if (m_pListView != nullptr) {
        m_pListView->RemoveLine(nodeIndex, itemIndex);
    }
    SetAlarmBit(nodeIndex, false);
    AnnunciateAlarms();

    SetNodeIdBit(farm, nodeIndex, false);
    SetNodeListsChanged();

    // The queue holds node IDs. A unit whose identification code differs from its node ID
    // would otherwise stay in the rotation after it was gone; every copy goes.
    const int nodeId = nodeIndex + 1;
    for (std::size_t size = farm.m_queue.Size();; size = farm.m_queue.Size()) {
        farm.m_queue.SeekAndDelete(nodeId);
        if (farm.m_queue.Size() == size) {
            break;
        }
    }
}
