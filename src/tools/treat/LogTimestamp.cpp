#include "tools/treat/LogTimestamp.h"

#include "tools/common/LogCalendar.h"
#include "tools/common/NumberText.h"

namespace logtools {

namespace {
constexpr LogSeconds kSecondsPerDay = 86400;

int daysInYear(int year) {
    return year % 4 == 0 ? 366 : 365; // 2000 is a leap year, and so is every fourth to 2096
}
} // namespace

LogSeconds LogTimestamp::dayNumber(int year, int month, int day) {
    const int years = year - kFirstYear;
    LogSeconds days = LogSeconds{365} * years + (years + 3) / 4;
    for (int m = 1; m < month; ++m) {
        days += LogCalendar::daysInMonth(year, m);
    }
    return days + day - 1;
}

char* LogTimestamp::format(char* out, LogSeconds time) {
    LogSeconds days = time >= 0 ? time / kSecondsPerDay : 0;
    LogSeconds ofDay = time >= 0 ? time % kSecondsPerDay : 0;
    int year = kFirstYear;
    while (days >= daysInYear(year)) {
        days -= daysInYear(year);
        ++year;
    }
    int month = 1;
    while (month < 12 && days >= LogCalendar::daysInMonth(year, month)) {
        days -= LogCalendar::daysInMonth(year, month);
        ++month;
    }
    out = NumberText::zeroPadded(out, year, 4);
    *out++ = '-';
    out = NumberText::twoDigits(out, month);
    *out++ = '-';
    out = NumberText::twoDigits(out, static_cast<int>(days) + 1);
    *out++ = ' ';
    out = NumberText::twoDigits(out, static_cast<int>(ofDay / 3600));
    *out++ = ':';
    out = NumberText::twoDigits(out, static_cast<int>(ofDay / 60 % 60));
    *out++ = ':';
    return NumberText::twoDigits(out, static_cast<int>(ofDay % 60));
}

std::string LogTimestamp::text(LogSeconds time) {
    char buffer[32];
    return std::string(buffer, format(buffer, time));
}

std::string LogTimestamp::durationText(LogSeconds seconds) {
    if (seconds < 0) {
        return "-" + durationText(-seconds);
    }
    const LogSeconds hours = seconds / 3600;
    const LogSeconds minutes = seconds / 60 % 60;
    const LogSeconds rest = seconds % 60;
    std::string text;
    if (hours > 0) {
        text = std::to_string(hours) + " h " + (minutes < 10 ? "0" : "") + std::to_string(minutes) +
               " min";
    } else if (minutes > 0) {
        text = std::to_string(minutes) + " min";
    }
    if (rest > 0 || seconds == 0) {
        text += (text.empty() ? "" : " ") + std::to_string(rest) + " s";
    }
    return text;
}

} // namespace logtools
