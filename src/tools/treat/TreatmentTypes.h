#pragma once

#include <cstdint>

namespace logtools {

// The scale a unit works in, as field 4 of its log lines says.
enum class Scale : unsigned char {
    Centigrade,
    Fahrenheit,
};

inline char scaleLetter(Scale scale) {
    return scale == Scale::Centigrade ? 'C' : 'F';
}

// Seconds since 2000-01-01 00:00:00 on the logging PC's local clock. Log lines carry two-digit
// years, which are 2000 to 2099.
using LogSeconds = std::int64_t;

// Where a line of the record is: its time, the file it came from (index in the order the files
// were given, from 0) and its line number in that file (from 1).
struct LinePlace {
    LogSeconds time = 0;
    int file = -1;
    std::int64_t line = 0;
};

// The readings of one data line.
struct CoreReading {
    LogSeconds time = 0;
    int unit = 0;
    Scale scale = Scale::Centigrade;
    int core[3] = {0, 0, 0};
    int chamber = 0;
};

} // namespace logtools
