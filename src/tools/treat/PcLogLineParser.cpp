#include "tools/treat/PcLogLineParser.h"

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

// A field of "%2d"/"%3d" style at pos: leading spaces, an optional minus, one to six digits, and
// then a comma (or, for the last field, the end of the line). Moves pos past the comma.
Field number(std::string_view line, std::size_t& pos, bool last, int& value) {
    const std::size_t size = line.size();
    std::size_t p = pos;
    if (p >= size) {
        return Field::Missing;
    }
    while (p < size && line[p] == ' ') {
        ++p;
    }
    const bool negative = p < size && line[p] == '-';
    if (negative) {
        ++p;
    }
    int digits = 0;
    int v = 0;
    for (; p < size && isDigit(line[p]); ++p) {
        if (++digits > 6) {
            return Field::NotNumber;
        }
        v = v * 10 + (line[p] - '0');
    }
    if (digits == 0) {
        return p >= size ? Field::Missing : Field::NotNumber;
    }
    if (p < size && line[p] != ',') {
        return Field::NotNumber;
    }
    if (last && p < size) {
        return Field::Extra;
    }
    if (!last && p >= size) {
        return Field::Missing;
    }
    value = negative ? -v : v;
    pos = p + 1;
    return Field::Number;
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

    // Unit, scale, three cores and the chamber.
    int values[6];
    std::size_t pos = CsvLine::kStampLength;
    for (int i = 0; i < 6; ++i) {
        switch (number(line, pos, i == 5, values[i])) {
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
    }
    if (values[0] < 1 || values[0] > kLastUnit) {
        reason = "the unit ID is not 1-254";
        return Result::Malformed;
    }
    if (values[1] != 58 && values[1] != 135) {
        reason = "the scale is neither 58 (C) nor 135 (F)";
        return Result::Malformed;
    }
    reading.unit = values[0];
    reading.scale = values[1] == 58 ? Scale::Centigrade : Scale::Fahrenheit;
    reading.core[0] = values[2];
    reading.core[1] = values[3];
    reading.core[2] = values[4];
    reading.chamber = values[5];
    return Result::Reading;
}

} // namespace logtools
