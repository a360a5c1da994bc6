#pragma once

#include "tools/treat/TreatmentTypes.h"

#include <string>

namespace logtools {

// Times of PC log lines as seconds since 2000-01-01 00:00:00, and their texts.
class LogTimestamp {
public:
    static constexpr int kFirstYear = 2000;
    static constexpr int kLastYear = 2099;
    static constexpr std::size_t kTextLength = 19;

    // Days from 2000-01-01 to the given date of 2000-2099; the date must be valid.
    static LogSeconds dayNumber(int year, int month, int day);

    // "YYYY-MM-DD hh:mm:ss" into out (kTextLength characters, no terminator); returns the end.
    static char* format(char* out, LogSeconds time);
    static std::string text(LogSeconds time);

    // A length as "30 min", "29 min 59 s", "2 h 05 min" or "45 s".
    static std::string durationText(LogSeconds seconds);
};

} // namespace logtools
