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

// Inline: it runs on every record of a log.
inline LogRecord LogRecord::decode(const unsigned char* b) {
    LogRecord r;
    r.unit = b[0];
    r.timeCount = static_cast<std::uint32_t>(b[1]) * 16384u +
                  static_cast<std::uint32_t>(b[2]) * 64u + static_cast<std::uint32_t>(b[3] >> 2);
    r.alarmState = b[3] & 0x03;
    r.dry = (((b[4] & 0x1F) * 256) + b[5]) >> 1;
    r.noWet2 = (b[6] & 0x80) != 0;
    r.wet1 = (((b[6] & 0x7F) * 256) + b[7]) >> 1;
    r.wet2 = ((b[8] * 256) + b[9]) >> 1;
    return r;
}

} // namespace logtools
