#pragma once

#include "app/Clock.h"

#include <cstdint>

// Local time as seconds since 2000-01-01 00:00:00: the time base of the PC logs' lines, so
// that figures kept in memory line up with what the logs hold.
inline std::int64_t LocalSeconds(const LocalDateTime& when) {
    // Days from the civil date, valid for any Gregorian year.
    const int y = when.year - (when.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (when.month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + when.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = std::int64_t{era} * 146097 + doe - 719468; // from 1970-01-01
    constexpr std::int64_t kDays1970To2000 = 10957;
    return (days - kDays1970To2000) * 86400 + when.hour * 3600 + when.minute * 60 + when.second;
}
