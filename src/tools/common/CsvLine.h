#pragma once

#include <climits>
#include <cstddef>
#include <string_view>

namespace logtools {

// Reading of the PC log's comma-separated lines.
class CsvLine {
public:
    // Column where the data lines' date and time stamp ends ("MM/DD/YY,hh:mm:ss,").
    static constexpr std::size_t kStampLength = 18;

    // A line longer than the stamp that starts with a date and time stamp.
    static bool isDataLine(std::string_view line);

    // Splits the line at commas, skipping empty pieces, into at most maxFields fields (field 1
    // is fields[0]). Returns how many were found; the rest are left empty.
    static int split(std::string_view line, std::string_view* fields, int maxFields);

    // Field n (from 1) or an empty view when the line has fewer fields.
    static std::string_view field(std::string_view line, int n);

    // Leading white space, an optional sign and decimal digits, stopping at anything else; no
    // digits give 0 and values beyond int are held at its limits.
    static int toInt(std::string_view text);

    // Field 3 as a unit ID, 0 when it is missing or not a number.
    static int unitOf(std::string_view line) { return toInt(field(line, 3)); }
};

// Inline: these run several times on every line of a log.
inline bool CsvLine::isDataLine(std::string_view l) {
    return l.size() > kStampLength && l[2] == '/' && l[5] == '/' && l[8] == ',' && l[11] == ':' &&
           l[14] == ':' && l[17] == ',';
}

inline std::string_view CsvLine::field(std::string_view line, int n) {
    // One scan without splitting the rest of the line: this runs on every line of the log.
    const char* p = line.data();
    const char* const end = p + line.size();
    int index = 0;
    while (p < end) {
        while (p < end && *p == ',') {
            ++p;
        }
        if (p >= end) {
            break;
        }
        const char* const start = p;
        while (p < end && *p != ',') {
            ++p;
        }
        if (++index == n) {
            return std::string_view(start, static_cast<std::size_t>(p - start));
        }
    }
    return {};
}

inline int CsvLine::toInt(std::string_view text) {
    std::size_t pos = 0;
    const std::size_t size = text.size();
    while (pos < size && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) {
        ++pos;
    }
    bool negative = false;
    if (pos < size && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    for (; pos < size && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (value <= static_cast<long long>(INT_MAX) + 1) {
            value = value * 10 + (text[pos] - '0');
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    if (value < INT_MIN) {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

} // namespace logtools
