#pragma once

#include <array>
#include <cstdint>

// The decoded state of one unit, filled from its 60-byte status reply. A plain value: copying
// it copies every field. A record that has never been decoded has every field 0.
struct KilnRecord {
    std::uint8_t m_byIdentificationCode = 0;
    std::int32_t m_iUnitStatus = 0;
    std::int32_t m_iCuringMethod = 0;
    std::int32_t m_bHeaterOn = 0;
    std::int32_t m_bCentigrade = 0;
    std::uint16_t m_wElapsedTenths = 0;
    std::int32_t m_iAlarmStatus = 0;
    std::uint16_t m_wWetBulbSetpoint = 0;
    float m_fHours = 0.0f;
    std::int32_t m_iOperationalMode = 0;
    std::array<std::uint16_t, 4> m_wRtd{};
    std::int32_t m_bDamperControlAuto = 0;
    float m_fAdvanceRate = 0.0f;
    std::uint16_t m_wDryBulbStart = 0;
    std::int16_t m_nAdvanceRateIndex = 0;

    bool operator==(const KilnRecord&) const = default;
};
