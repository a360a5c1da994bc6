#include "tools/treat/PcLogLineParser.h"

#include "base/PcLogLine.h"
#include "tools/common/CsvLine.h"
#include "tools/common/LogCalendar.h"
#include "tools/treat/LogTimestamp.h"

#include <cstring>

namespace logtools {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Two digits at text, or -1.
int twoDigits(const char* text) {
    if (!isDigit(text[0]) || !isDigit(text[1])) {
        return -1;
    }
    return (text[0] - '0') * 10 + (text[1] - '0');
}

enum class Field { Number, Missing, NotNumber, Extra };

// Longest text after the stamp that can be a data line: six fields of at most six digits.
constexpr std::size_t kMaxFieldsLength = 63;

// The six numbers after the stamp, "%2d"/"%3d" style: leading spaces, an optional minus, one to
// six digits, single commas between them and nothing after the last. text[length] must be a NUL,
// which ends every scan, so the loops need no bounds checks; a NUL inside the line is no digit,
// comma or space and so fails the line.
Field numbers(const char* text, std::size_t length, int* const* targets) {
    const char* p = text;
    const char* const end = text + length;
    for (int i = 0; i < 6; ++i) {
        while (*p == ' ') {
            ++p;
        }
        const bool negative = *p == '-';
        p += negative ? 1 : 0;
        if (!isDigit(*p)) {
            return p == end ? Field::Missing : Field::NotNumber;
        }
        int value = *p++ - '0';
        for (int digits = 1; isDigit(*p); ++p) {
            if (++digits > 6) {
                return Field::NotNumber;
            }
            value = value * 10 + (*p - '0');
        }
        *targets[i] = negative ? -value : value;
        if (i < 5) {
            if (*p != ',') {
                return p == end ? Field::Missing : Field::NotNumber;
            }
            ++p;
        }
    }
    if (p == end) {
        return Field::Number;
    }
    return *p == ',' ? Field::Extra : Field::NotNumber;
}

// "%3d" of 0 to 999: exactly three characters, or -1 for anything else.
int threeCharacters(const char* p) {
    const unsigned a = static_cast<unsigned char>(p[0]) - '0';
    const unsigned b = static_cast<unsigned char>(p[1]) - '0';
    const unsigned c = static_cast<unsigned char>(p[2]) - '0';
    if (c > 9) {
        return -1;
    }
    if (b <= 9) {
        if (a <= 9) {
            return static_cast<int>(a * 100 + b * 10 + c);
        }
        return p[0] == ' ' ? static_cast<int>(b * 10 + c) : -1;
    }
    return p[0] == ' ' && p[1] == ' ' ? static_cast<int>(c) : -1;
}

// The fields as the program writes them for readings of 0 to 999: "NNN,58,RRR,RRR,RRR,RRR" or
// "NNN,135,RRR,RRR,RRR,RRR", read with a few table-free operations. Anything else (negative or
// wider readings, other spacing, damage) is left to the general reading.
static_assert(PcLogLine::kCentigradeCode == 58 && PcLogLine::kFahrenheitCode == 135,
              "the usual layout spells the scale codes out");
bool usualFields(const char* f, std::size_t length, int& unit, int& scale, CoreReading& r) {
    std::size_t at = 0;
    if (length == 22 && f[4] == '5' && f[5] == '8' && f[6] == ',') {
        scale = PcLogLine::kCentigradeCode;
        at = 7;
    } else if (length == 23 && f[4] == '1' && f[5] == '3' && f[6] == '5' && f[7] == ',') {
        scale = PcLogLine::kFahrenheitCode;
        at = 8;
    } else {
        return false;
    }
    const unsigned hundreds = static_cast<unsigned char>(f[0]) - '0';
    const int rest = threeCharacters(f); // all three digits: hundreds must be one too
    if (hundreds > 9 || rest < 0 || f[3] != ',' || f[at + 3] != ',' || f[at + 7] != ',' ||
        f[at + 11] != ',') {
        return false;
    }
    const int first = threeCharacters(f + at);
    const int second = threeCharacters(f + at + 4);
    const int third = threeCharacters(f + at + 8);
    const int chamber = threeCharacters(f + at + 12);
    if ((first | second | third | chamber) < 0) {
        return false;
    }
    unit = rest;
    r.core[0] = first;
    r.core[1] = second;
    r.core[2] = third;
    r.chamber = chamber;
    return true;
}

} // namespace

bool PcLogLineParser::parseDate(const char* text, LogSeconds& day, const char*& reason) {
    if (m_haveDate && std::memcmp(text, m_lastDate, sizeof m_lastDate) == 0) {
        day = m_lastDay;
        return true;
    }
    const int month = twoDigits(text);
    const int dayOfMonth = twoDigits(text + 3);
    const int year = twoDigits(text + 6);
    if (month < 0 || dayOfMonth < 0 || year < 0) {
        reason = "the date is not MM/DD/YY";
        return false;
    }
    const int fullYear = LogTimestamp::kFirstYear + year;
    if (month < 1 || month > 12 || dayOfMonth < 1 ||
        dayOfMonth > LogCalendar::daysInMonth(fullYear, month)) {
        reason = "no such date";
        return false;
    }
    day = LogTimestamp::dayNumber(fullYear, month, dayOfMonth);
    std::memcpy(m_lastDate, text, sizeof m_lastDate);
    m_lastDay = day;
    m_haveDate = true;
    return true;
}

PcLogLineParser::Result PcLogLineParser::parse(std::string_view line, CoreReading& reading,
                                               const char*& reason) {
    if (!CsvLine::isDataLine(line)) {
        return Result::NotData;
    }
    const char* text = line.data();
    LogSeconds day = 0;
    if (!parseDate(text, day, reason)) {
        return Result::Malformed;
    }
    const int hour = twoDigits(text + 9);
    const int minute = twoDigits(text + 12);
    const int second = twoDigits(text + 15);
    if (hour < 0 || minute < 0 || second < 0 || hour > 23 || minute > 59 || second > 59) {
        reason = "no such time of day";
        return Result::Malformed;
    }
    reading.time = day * 86400 + hour * 3600 + minute * 60 + second;

    // Unit, scale, three cores and the chamber: the usual layout first, then any other from a
    // copy that ends in a NUL. The temperatures go straight into the reading: gathering them in
    // an array and copying it as a block stalls every line on a load that waits for four
    // separate stores.
    const std::size_t length = line.size() - CsvLine::kStampLength;
    int unit = 0;
    int scale = 0;
    Field status = Field::Number;
    if (!usualFields(text + CsvLine::kStampLength, length, unit, scale, reading)) {
        if (length > kMaxFieldsLength) {
            reason = "too long for a data line";
            return Result::Malformed;
        }
        char fields[kMaxFieldsLength + 1];
        std::memcpy(fields, text + CsvLine::kStampLength, length);
        fields[length] = '\0';
        int* const targets[6] = {
            &unit, &scale, &reading.core[0], &reading.core[1], &reading.core[2], &reading.chamber};
        status = numbers(fields, length, targets);
    }
    switch (status) {
    case Field::Number:
        break;
    case Field::Missing:
        reason = "cut short: fewer than eight fields";
        return Result::Malformed;
    case Field::NotNumber:
        reason = "a field is not a whole number";
        return Result::Malformed;
    case Field::Extra:
        reason = "more than eight fields";
        return Result::Malformed;
    }
    if (unit < 1 || unit > kLastUnit) {
        reason = "the unit ID is not 1-254";
        return Result::Malformed;
    }
    if (scale != PcLogLine::kCentigradeCode && scale != PcLogLine::kFahrenheitCode) {
        reason = "the scale is neither 58 (C) nor 135 (F)";
        return Result::Malformed;
    }
    reading.unit = unit;
    reading.scale = scale == PcLogLine::kCentigradeCode ? Scale::Centigrade : Scale::Fahrenheit;
    return Result::Reading;
}

} // namespace logtools
