#include "tools/common/CsvLine.h"

#include <climits>

namespace logtools {

bool CsvLine::isDataLine(std::string_view l) {
    return l.size() > kStampLength && l[2] == '/' && l[5] == '/' && l[8] == ',' && l[11] == ':' &&
           l[14] == ':' && l[17] == ',';
}

int CsvLine::split(std::string_view line, std::string_view* fields, int maxFields) {
    int found = 0;
    std::size_t pos = 0;
    const std::size_t size = line.size();
    while (found < maxFields && pos < size) {
        while (pos < size && line[pos] == ',') {
            ++pos;
        }
        if (pos >= size) {
            break;
        }
        const std::size_t start = pos;
        while (pos < size && line[pos] != ',') {
            ++pos;
        }
        fields[found++] = line.substr(start, pos - start);
    }
    for (int i = found; i < maxFields; ++i) {
        fields[i] = std::string_view();
    }
    return found;
}

std::string_view CsvLine::field(std::string_view line, int n) {
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

int CsvLine::toInt(std::string_view text) {
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
