#pragma once

#include <array>
#include <cstdint>
#include <string>

// Connection types: bits 1-2 of a farm's "Bit Set 1".
enum ConnectionType : std::uint8_t { CT_LOCAL = 0, CT_LOCAL_MODEM = 1, CT_REMOTE_MODEM = 2 };

inline constexpr int kFarmCount = 4;
inline constexpr int kNodeFlagCount = 255; // node IDs 1..255 in the stored bitmap
inline constexpr int kUnitSlotCount = 254; // node IDs 1..254 can be units
inline constexpr int kNodeBitmapBytes = 32;
inline constexpr int kHighestUsableNodeIndex = kUnitSlotCount - 1; // node ID 254

// What the registry holds of one farm, and the flags worked out from it as it is read. Node
// index = node ID - 1 in every table.
struct FarmConfiguration {
    std::array<std::int32_t, kNodeFlagCount> m_bNodeConfigured{};
    std::int32_t m_bFarmSelectable = 1;
    std::uint8_t m_byConnectionType = CT_LOCAL;
    std::array<std::uint8_t, kNodeBitmapBytes> m_byNodeIdBitmap{};
    std::string m_strPhoneNumber;
    std::uint32_t m_dwBitSet = 0;
    std::int32_t m_iSerialPort = 1;
};
