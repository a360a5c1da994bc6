#pragma once

#include <cstdint>
#include <string>

// The editable values of one farm, passed between the farm General page and the document.
struct FarmParameters {
    std::int32_t m_bFarmSelectable = 1; // carried along; the apply does not use it
    std::int32_t m_bFarmIsConnected = 0;
    std::string m_strPhoneNumber;
    std::uint32_t m_dwBitSet = 0;
    std::int32_t m_iFarmIndex = 0;  // 0..3
    std::int32_t m_iSerialPort = 1; // COM port 1..4
};
