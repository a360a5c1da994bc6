#pragma once

#include "config/FarmConfiguration.h"
#include "kiln/KilnRecord.h"
#include "net/CSimpleQueue.h"
#include "pclog/CLog.h"

#include <array>
#include <cstdint>
#include <optional>

// One farm as the document holds it: its stored configuration and its run-time state (the
// connection, the node queue, the units' records, the PC log writer and the scheduler's place).
struct FarmRecord : FarmConfiguration {
    std::int32_t m_bFarmIsConnected = 0;
    std::int32_t m_bPcLogNeeded = 0;
    CSimpleQueue m_queue;
    // Slot n holds the record of node ID n + 1, or nothing.
    std::array<std::optional<KilnRecord>, kUnitSlotCount> m_units;
    std::array<std::int32_t, kNodeFlagCount> m_bPcLogNode{};
    std::int32_t m_nLoggedNodes = 0;
    // The writer of this farm's PC log files.
    CLog m_log;
    std::int32_t m_iLastQueriedIndex = 0;
    std::int32_t m_iHighestConfiguredIndex = 0;
    std::int32_t m_iStartupScanEnd = 0;
    std::int32_t m_iRoundRobinIndex = 0;
    std::int32_t m_nUnitCount = 0;
    std::int32_t m_iSelectedNode = 0;

    // Bounds-checked slot access: nullptr for an index outside 0..253 or an empty slot.
    KilnRecord* Unit(int nodeIndex) {
        if (nodeIndex < 0 || nodeIndex >= kUnitSlotCount || !m_units[nodeIndex]) {
            return nullptr;
        }
        return &*m_units[nodeIndex];
    }
    const KilnRecord* Unit(int nodeIndex) const {
        return const_cast<FarmRecord*>(this)->Unit(nodeIndex);
    }
};
