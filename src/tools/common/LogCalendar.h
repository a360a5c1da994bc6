#pragma once

#include <cstdint>

namespace logtools {

// Calendar position of a log time count: 10-minute intervals since 00:00 on 1 January of year
// 00, where every fourth year (year 00 included) is a leap year.
struct CalendarTime {
    int year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
};

class LogCalendar {
public:
    static constexpr std::uint32_t kIntervalsPerDay = 144;

    static CalendarTime decode(std::uint32_t timeCount);

    // "JAN" to "DEC" for 1-12; "???" for any other number, so that a damaged month never
    // indexes outside the table.
    static const char* monthName(int month);

    static int daysInMonth(int year, int month);
};

} // namespace logtools
