#pragma once

#include "kiln/KilnRecord.h"

#include <array>
#include <cstdint>

// The 60-byte status reply of a unit and what the program makes of it. Offsets are those of
// the whole reply; the decoder is handed the reply from offset 2 on.

inline constexpr int kStatusReplyBytes = 60;
using RecordImageBytes = std::array<std::uint8_t, kStatusReplyBytes>;

// Bytes of the reply that the decoder reads: reply offsets 2..51.
inline constexpr int kDecodedPayloadBytes = 50;

// Reply offsets that decoding and commits use.
inline constexpr int kOffsetMode = 4;
inline constexpr int kOffsetHoursHigh = 34;
inline constexpr int kOffsetHoursLow = 35;

// Mode byte values (offset 4). Any value other than Run and Setup is Standby.
inline constexpr std::uint8_t KVN_MODE_RUN = 0xA3;
inline constexpr std::uint8_t KVN_MODE_SETUP = 0x5C;
inline constexpr std::uint8_t KVN_MODE_STANDBY = 0x3A; // what a Standby command writes

enum UnitStatus : std::int32_t { US_STANDBY = 0, US_RUN = 4, US_SETUP = 5 };
enum CuringMethod : std::int32_t { CM_NONE = 0, CM_AH = 1, CM_DT = 2 };
enum AlarmStatus : std::int32_t { AS_NORMAL = 0, AS_LOW = 1, AS_HIGH = 2 };

// Raw temperatures are 1/20 °F with 0 = 0 °F; anything above this means "no valid reading"
// and is shown as "***".
inline constexpr std::int16_t kRawNoReading = 4240;

// The comparison is signed: a word with its top bit set is a (very cold) reading.
constexpr bool HasValidReading(std::int16_t raw) {
    return raw <= kRawNoReading;
}

// Fills record from a status reply; data[k] is reply byte k + 2 and data[0..49] are read.
// Fields the reply does not carry keep their value. A null data pointer changes nothing.
void DecodeStatusReply(KilnRecord& record, const std::uint8_t* data);

// Whole display degrees of a raw temperature (absolute) or temperature difference.
std::int16_t ConvertRawTemperature(bool absolute, bool centigrade, std::int16_t raw);

// Degrees per hour for an advance-rate index, in the unit's own units; 0.0 for an index
// outside the tables (0..8).
float AdvanceRateFromIndex(bool centigrade, std::int16_t index);

// String ids of the record's display texts; 0 for a value that has no text.
int UnitStatusTextId(std::int32_t status);
int OperationalModeTextId(std::int32_t mode); // the controller sheet's upper-case texts
int AlarmStatusTextId(std::int32_t alarm);
int CuringMethodTextId(std::int32_t method);
int HeaterTextId(std::int32_t heaterOn);
int DamperControlTextId(std::int32_t damperAuto);
// Caption of RTD 0..3 (cores 1-3, chamber) in the given units; 0 for another index.
int TemperatureCaptionTextId(int rtdIndex, bool centigrade);

// A unit that has switched units: forget the setpoints shown in the old units, so the next
// list update redraws them.
void ClearTemperatureSetpoints(KilnRecord& record);
