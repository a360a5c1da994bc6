#pragma once

#include <cstddef>
#include <cstdint>

namespace logtools {

// One 10-byte record of an alarm-station log data file, decoded.
struct LogRecord {
    static constexpr std::size_t kSize = 10;

    int unit = 0;
    std::uint32_t timeCount = 0;
    int alarmState = 0;
    int dry = 0;  // tenths
    int wet1 = 0; // tenths
    int wet2 = 0; // tenths
    bool noWet2 = false;

    static LogRecord decode(const unsigned char* bytes);

    // 50 None, 60 High, 40 Low, 30 Off for alarm states 0-3.
    static int alarmCode(int alarmState);

    // Whole value shown for a value in tenths: halves round up.
    static int wholeValue(int tenths) { return (tenths + 5) / 10; }

    int alarmCode() const { return alarmCode(alarmState); }
};

} // namespace logtools
