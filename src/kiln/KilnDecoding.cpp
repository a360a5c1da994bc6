#include "kiln/KilnDecoding.h"

#include "app/StringTable.h"

namespace {

// Reply offset n is data[n - 2].
std::uint8_t At(const std::uint8_t* data, int replyOffset) {
    return data[replyOffset - 2];
}

std::uint16_t WordAt(const std::uint8_t* data, int replyOffset) {
    return static_cast<std::uint16_t>((At(data, replyOffset) << 8) | At(data, replyOffset + 1));
}

constexpr int kOffsetIdentification = 2;
constexpr int kOffsetUnits = 5;
constexpr int kOffsetElapsed = 6;
constexpr int kOffsetAdvanceRate = 9;
constexpr int kOffsetWetBulbSetpoint = 10;
constexpr int kOffsetDryBulbStart = 12;
constexpr int kOffsetStatusBits = 41;
constexpr int kOffsetRtd1 = 44;
constexpr int kOffsetRtd3 = 46;
constexpr int kOffsetRtd2 = 48;
constexpr int kOffsetRtd4 = 50;

constexpr std::uint8_t kBitHeaterOn = 0x02;
constexpr std::uint8_t kBitHighAlarm = 0x04;
constexpr std::uint8_t kBitLowAlarm = 0x08;

constexpr std::array<float, 9> kAdvanceRateFahrenheit = {0.0f, 0.5f, 1.0f, 1.5f, 2.0f,
                                                         2.5f, 3.0f, 3.5f, 4.0f};
constexpr std::array<float, 9> kAdvanceRateCentigrade = {0.0f, 0.2f, 0.5f, 0.8f, 1.1f,
                                                         1.3f, 1.6f, 1.9f, 2.2f};

} // namespace

void DecodeStatusReply(KilnRecord& record, const std::uint8_t* data) {
    if (data == nullptr) {
        return;
    }
    const std::uint8_t mode = At(data, kOffsetMode);
    const bool run = mode == KVN_MODE_RUN;
    const bool setup = mode == KVN_MODE_SETUP;
    const std::uint8_t statusBits = At(data, kOffsetStatusBits);

    record.m_byIdentificationCode = At(data, kOffsetIdentification);
    record.m_iUnitStatus = run ? US_RUN : (setup ? US_SETUP : US_STANDBY);
    record.m_iOperationalMode = record.m_iUnitStatus;
    record.m_iCuringMethod = CM_AH;
    record.m_bHeaterOn = (statusBits & kBitHeaterOn) != 0 ? 1 : 0;
    record.m_bCentigrade = At(data, kOffsetUnits) & 0x01;

    // Alarm bits mean something only while the unit runs; High wins over Low.
    if (!run) {
        record.m_iAlarmStatus = AS_NORMAL;
    } else if ((statusBits & kBitHighAlarm) != 0) {
        record.m_iAlarmStatus = AS_HIGH;
    } else if ((statusBits & kBitLowAlarm) != 0) {
        record.m_iAlarmStatus = AS_LOW;
    } else {
        record.m_iAlarmStatus = AS_NORMAL;
    }

    record.m_wElapsedTenths = WordAt(data, kOffsetElapsed);
    record.m_wWetBulbSetpoint = WordAt(data, kOffsetWetBulbSetpoint);
    const auto hoursTenths = static_cast<std::int16_t>(WordAt(data, kOffsetHoursHigh));
    record.m_fHours = static_cast<float>(hoursTenths / 10.0);
    // The wire carries RTD 3 before RTD 2.
    record.m_wRtd[0] = WordAt(data, kOffsetRtd1);
    record.m_wRtd[1] = WordAt(data, kOffsetRtd2);
    record.m_wRtd[2] = WordAt(data, kOffsetRtd3);
    record.m_wRtd[3] = WordAt(data, kOffsetRtd4);

    const std::uint8_t rateIndex = At(data, kOffsetAdvanceRate);
    record.m_bDamperControlAuto = 1;
    record.m_fAdvanceRate = AdvanceRateFromIndex(record.m_bCentigrade != 0, rateIndex);
    record.m_nAdvanceRateIndex = rateIndex;
    record.m_wDryBulbStart = WordAt(data, kOffsetDryBulbStart);
}

std::int16_t ConvertRawTemperature(bool absolute, bool centigrade, std::int16_t raw) {
    if (centigrade) {
        const int x = absolute ? raw - 640 : raw;
        // Single precision, truncated toward zero: the displays have always rounded this way.
        const float degrees = static_cast<float>(x) * 0.5555556f / 20.0f + 0.5f;
        return static_cast<std::int16_t>(degrees);
    }
    return static_cast<std::int16_t>((raw + 10) / 20);
}

float AdvanceRateFromIndex(bool centigrade, std::int16_t index) {
    if (index < 0 || index >= static_cast<std::int16_t>(kAdvanceRateFahrenheit.size())) {
        return 0.0f;
    }
    const auto slot = static_cast<std::size_t>(index);
    return centigrade ? kAdvanceRateCentigrade[slot] : kAdvanceRateFahrenheit[slot];
}

int UnitStatusTextId(std::int32_t status) {
    switch (status) {
    case US_STANDBY:
        return IDS_STATUS_STANDBY;
    case US_RUN:
        return IDS_STATUS_RUN;
    case US_SETUP:
        return IDS_STATUS_SETUP;
    default:
        return 0;
    }
}

int OperationalModeTextId(std::int32_t mode) {
    switch (mode) {
    case US_STANDBY:
        return IDS_MODE_STANDBY;
    case US_RUN:
        return IDS_MODE_RUN;
    case US_SETUP:
        return IDS_MODE_SETUP;
    default:
        return 0;
    }
}

int AlarmStatusTextId(std::int32_t alarm) {
    switch (alarm) {
    case AS_NORMAL:
        return IDS_ALARM_NORMAL;
    case AS_LOW:
        return IDS_ALARM_LOW;
    case AS_HIGH:
        return IDS_ALARM_HIGH;
    default:
        return 0;
    }
}

int CuringMethodTextId(std::int32_t method) {
    switch (method) {
    case CM_AH:
        return IDS_CURING_AH;
    case CM_DT:
        return IDS_CURING_DT;
    default:
        return 0;
    }
}

int HeaterTextId(std::int32_t heaterOn) {
    return heaterOn != 0 ? IDS_HEATER_ON : IDS_HEATER_OFF;
}

int DamperControlTextId(std::int32_t damperAuto) {
    return damperAuto != 0 ? IDS_DAMPER_AUTO : IDS_DAMPER_MANUAL;
}

int TemperatureCaptionTextId(int rtdIndex, bool centigrade) {
    constexpr std::array<int, 4> kFahrenheit = {IDS_CAPTION_CORE1_F, IDS_CAPTION_CORE2_F,
                                                IDS_CAPTION_CORE3_F, IDS_CAPTION_CHAMBER_F};
    constexpr std::array<int, 4> kCentigrade = {IDS_CAPTION_CORE1_C, IDS_CAPTION_CORE2_C,
                                                IDS_CAPTION_CORE3_C, IDS_CAPTION_CHAMBER_C};
    if (rtdIndex < 0 || rtdIndex >= 4) {
        return 0;
    }
    const auto slot = static_cast<std::size_t>(rtdIndex);
    return centigrade ? kCentigrade[slot] : kFahrenheit[slot];
}

void ClearTemperatureSetpoints(KilnRecord& record) {
    record.m_wWetBulbSetpoint = 0;
    record.m_wDryBulbStart = 0;
}
