#include "events/EventLine.h"

#include "app/LocalSeconds.h"
#include "pclog/LogText.h"

#include <charconv>
#include <cstdio>
#include <vector>

namespace event_line {

namespace {

constexpr std::int64_t kDay = 86400;

// Whole digits of exactly the text's length; false for anything else.
bool Number(std::string_view text, int& value) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

std::string Quoted(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        // A line end inside a detail would tear the line; the journal keeps one line an event.
        if (c == '\r' || c == '\n') {
            quoted += ' ';
            continue;
        }
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// Splits a CSV line into its fields; false for an unterminated quote.
bool Fields(std::string_view line, std::vector<std::string>& fields) {
    fields.assign(1, std::string());
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    fields.back() += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                fields.back() += c;
            }
        } else if (c == '"' && fields.back().empty()) {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return !quoted;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

LocalDateTime DateTimeOf(std::int64_t localSeconds) {
    std::int64_t days = localSeconds / kDay;
    std::int64_t rest = localSeconds % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    // Civil date from days since 1970-01-01.
    const std::int64_t z = days + 10957 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    LocalDateTime when;
    when.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    when.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    when.year = static_cast<int>(yoe + era * 400 + (when.month <= 2 ? 1 : 0));
    when.hour = static_cast<int>(rest / 3600);
    when.minute = static_cast<int>(rest / 60 % 60);
    when.second = static_cast<int>(rest % 60);
    return when;
}

std::string Format(const Event& event) {
    std::string line = LogLineTimeStamp(DateTimeOf(event.time));
    if (event.farm >= 0) {
        line += std::to_string(event.farm + 1);
    }
    line += ',';
    if (event.unit > 0) {
        line += std::to_string(event.unit);
    }
    line += ',';
    line += EventKindName(event.kind);
    line += ',';
    line += Quoted(event.detail);
    line += "\r\n";
    return line;
}

bool Parse(std::string_view line, int year, Event& event) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::vector<std::string> fields;
    if (!Fields(line, fields) || fields.size() != 6) {
        return false;
    }
    const std::string& date = fields[0];
    const std::string& time = fields[1];
    LocalDateTime when;
    int twoDigitYear = 0;
    if (date.size() != 8 || date[2] != '/' || date[5] != '/' || time.size() != 8 ||
        time[2] != ':' || time[5] != ':' || !Number(date.substr(0, 2), when.month) ||
        !Number(date.substr(3, 2), when.day) || !Number(date.substr(6, 2), twoDigitYear) ||
        !Number(time.substr(0, 2), when.hour) || !Number(time.substr(3, 2), when.minute) ||
        !Number(time.substr(6, 2), when.second)) {
        return false;
    }
    when.year = year;
    if (LogTwoDigitYear(year) != twoDigitYear || when.month < 1 || when.month > 12 ||
        when.day < 1 || when.day > DaysInMonth(year, when.month) || when.hour > 23 ||
        when.minute > 59 || when.second > 59) {
        return false;
    }
    Event parsed;
    parsed.time = LocalSeconds(when);
    if (!fields[2].empty()) {
        int farm = 0;
        if (!Number(fields[2], farm) || farm < 1 || farm > 4) {
            return false;
        }
        parsed.farm = farm - 1;
    }
    if (!fields[3].empty()) {
        if (!Number(fields[3], parsed.unit) || parsed.unit < 1 || parsed.unit > 254) {
            return false;
        }
    }
    if (!EventKindFromName(fields[4], parsed.kind)) {
        return false;
    }
    parsed.detail = fields[5];
    event = std::move(parsed);
    return true;
}

std::string Text(const Event& event) {
    const LocalDateTime when = DateTimeOf(event.time);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month,
                  when.day, when.hour, when.minute, when.second);
    std::string text = stamp;
    if (event.farm >= 0) {
        text += " farm " + std::to_string(event.farm + 1);
    }
    if (event.unit > 0) {
        text += " unit " + std::to_string(event.unit);
    }
    text += ' ';
    text += EventKindName(event.kind);
    if (!event.detail.empty()) {
        text += ' ';
        text += event.detail;
    }
    return text;
}

std::string FileName(std::int64_t localSeconds) {
    const LocalDateTime when = DateTimeOf(localSeconds);
    char name[32];
    std::snprintf(name, sizeof name, "Events_%04d%02d.CSV", when.year, when.month);
    return name;
}

bool ParseFileName(std::string_view name, int& year, int& month) {
    constexpr std::string_view kPrefix = "Events_";
    constexpr std::string_view kSuffix = ".CSV";
    if (name.size() != kPrefix.size() + 6 + kSuffix.size() || !name.starts_with(kPrefix) ||
        !name.ends_with(kSuffix)) {
        return false;
    }
    int y = 0;
    int m = 0;
    if (!Number(name.substr(kPrefix.size(), 4), y) ||
        !Number(name.substr(kPrefix.size() + 4, 2), m) || m < 1 || m > 12) {
        return false;
    }
    year = y;
    month = m;
    return true;
}

} // namespace event_line
