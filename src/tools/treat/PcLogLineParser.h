#pragma once

#include "tools/treat/TreatmentTypes.h"

#include <string_view>

namespace logtools {

// Reads the data lines of a PC log, "MM/DD/YY,hh:mm:ss,NNN,SS,RRR,RRR,RRR,RRR": date, time,
// unit ID (1-254), scale (58 Centigrade, 135 Fahrenheit), three core temperatures and the
// chamber temperature. A line that starts with a date and time stamp but is otherwise not such a
// line (cut short, a field that is not a number, an impossible date, ...) is malformed, with a
// short reason.
//
// The parser remembers the day of the last date it read: the lines of a log share a date for a
// whole day, so the calendar is worked out once a day rather than once a line.
class PcLogLineParser {
public:
    enum class Result {
        Reading,   // a well-formed data line
        NotData,   // no date and time stamp at its start
        Malformed, // a stamp, but not a well-formed data line
    };

    Result parse(std::string_view line, CoreReading& reading, const char*& reason);

    static constexpr int kLastUnit = 254;

private:
    bool parseDate(const char* text, LogSeconds& day, const char*& reason);

    char m_lastDate[8] = {};
    bool m_haveDate = false;
    LogSeconds m_lastDay = 0;
};

} // namespace logtools
