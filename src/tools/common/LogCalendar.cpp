#include "tools/common/LogCalendar.h"

namespace logtools {

namespace {

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr const char* kMonthNames[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Four years, the first of them a leap year.
constexpr std::uint32_t kDaysPerCycle = 366 + 3 * 365;

} // namespace

CalendarTime LogCalendar::decode(std::uint32_t timeCount) {
    CalendarTime t;
    std::uint32_t days = timeCount / kIntervalsPerDay;
    const std::uint32_t ofDay = timeCount % kIntervalsPerDay;

    // Whole four-year cycles first, so that decoding costs the same for any date.
    std::uint32_t year = (days / kDaysPerCycle) * 4;
    days %= kDaysPerCycle;
    if (days >= 366) {
        days -= 366;
        year += 1 + days / 365;
        days %= 365;
    }
    t.year = static_cast<int>(year);

    int month = 1;
    while (month < 12 && days >= static_cast<std::uint32_t>(daysInMonth(t.year, month))) {
        days -= static_cast<std::uint32_t>(daysInMonth(t.year, month));
        ++month;
    }
    t.month = month;
    t.day = static_cast<int>(days) + 1;
    t.hour = static_cast<int>(ofDay / 6);
    t.minute = static_cast<int>(ofDay % 6) * 10;
    return t;
}

const char* LogCalendar::monthName(int month) {
    if (month < 1 || month > 12) {
        return "???";
    }
    return kMonthNames[month - 1];
}

int LogCalendar::daysInMonth(int year, int month) {
    if (month < 1 || month > 12) {
        return 0;
    }
    if (month == 2 && year % 4 == 0) {
        return 29;
    }
    return kMonthDays[month - 1];
}

} // namespace logtools
