#pragma once

#include "kiln/KilnRecord.h"
#include "net/CSimpleQueue.h"
#include "net/ScanPace.h"
#include "pclog/CLog.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Connection types: bits 1-2 of a farm's "Bit Set 1".
enum ConnectionType : std::uint8_t { CT_LOCAL = 0, CT_LOCAL_MODEM = 1, CT_REMOTE_MODEM = 2 };

inline constexpr int kFarmCount = 4;
inline constexpr int kNodeFlagCount = 255; // node IDs 1..255 in the stored bitmap
inline constexpr int kUnitSlotCount = 254; // node IDs 1..254 can be units
inline constexpr int kNodeBitmapBytes = 32;
inline constexpr int kHighestUsableNodeIndex = kUnitSlotCount - 1; // node ID 254

// Configuration and run-time state of one farm. Node index = node ID - 1 in every table.
struct FarmRecord {
    std::array<std::int32_t, kNodeFlagCount> m_bNodeConfigured{};
    std::int32_t m_bFarmSelectable = 1;
    std::int32_t m_bFarmIsConnected = 0;
    std::int32_t m_bPcLogNeeded = 0;
    std::uint8_t m_byConnectionType = CT_LOCAL;
    std::array<std::uint8_t, kNodeBitmapBytes> m_byNodeIdBitmap{};
    CSimpleQueue m_queue;
    std::string m_strPhoneNumber;
    std::uint32_t m_dwBitSet = 0;
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
    std::int32_t m_iSerialPort = 1;
    ScanPaceSettings m_scanPace;

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
