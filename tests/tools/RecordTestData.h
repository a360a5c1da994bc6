#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace logtools::test {

// Test-side model of the station's records, written from the layout rather than from the
// decoder, so that the two can check each other.
struct RecordFields {
    int unit = 0;
    std::uint32_t timeCount = 0;
    int alarmState = 0;
    int dry = 0;
    int wet1 = 0;
    int wet2 = 0;
    bool noWet2 = false;
};

inline std::string encodeRecord(const RecordFields& f) {
    std::string b(10, '\0');
    b[0] = static_cast<char>(f.unit);
    b[1] = static_cast<char>((f.timeCount >> 14) & 0xFF);
    b[2] = static_cast<char>((f.timeCount >> 6) & 0xFF);
    b[3] = static_cast<char>(((f.timeCount & 0x3F) << 2) | (f.alarmState & 3));
    b[4] = static_cast<char>((f.dry >> 7) & 0x1F);
    b[5] = static_cast<char>((f.dry & 0x7F) << 1);
    b[6] = static_cast<char>(((f.wet1 >> 7) & 0x7F) | (f.noWet2 ? 0x80 : 0));
    b[7] = static_cast<char>((f.wet1 & 0x7F) << 1);
    b[8] = static_cast<char>((f.wet2 >> 7) & 0xFF);
    b[9] = static_cast<char>((f.wet2 & 0x7F) << 1);
    return b;
}

// Time count of a calendar position, by walking years and months one at a time.
inline std::uint32_t timeCountOf(int year, int month, int day, int hour, int minute) {
    std::uint32_t days = 0;
    for (int y = 0; y < year; ++y) {
        days += (y % 4 == 0) ? 366 : 365;
    }
    const int lengths[12] = {31, year % 4 == 0 ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m < month; ++m) {
        days += static_cast<std::uint32_t>(lengths[m - 1]);
    }
    days += static_cast<std::uint32_t>(day - 1);
    return days * 144 + static_cast<std::uint32_t>(hour * 6 + minute / 10);
}

} // namespace logtools::test
