#include "events/EventJournalReader.h"

#include "app/LocalSeconds.h"
#include "events/EventLine.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <tuple>

namespace {

// No journal line comes near this; a longer one is not the journal's.
constexpr std::size_t kLongestLine = 4096;

std::int64_t MonthStart(int year, int month) {
    LocalDateTime when;
    when.year = year;
    when.month = month;
    return LocalSeconds(when);
}

// Whole lines end with CR LF; anything else (a line torn by a crash, a foreign line) is left
// out and counted.
void TakeLine(const std::string& line, bool whole, int year, const EventFilter& filter, bool& first,
              JournalReading& reading) {
    const bool header = first && line + "\n" == event_line::kHeader;
    first = false;
    if (header) {
        return;
    }
    Event event;
    if (!whole || line.empty() || line.back() != '\r' || !event_line::Parse(line, year, event)) {
        ++reading.skippedLines;
        return;
    }
    if (filter.Matches(event)) {
        reading.events.push_back(std::move(event));
    }
}

} // namespace

bool EventFilter::Matches(const Event& event) const {
    return (farm < 0 || event.farm == farm) && (unit <= 0 || event.unit == unit) &&
           (!kind || event.kind == *kind) && event.time >= from && event.time <= to;
}

bool ReadJournalFile(const std::string& path, int year, const EventFilter& filter,
                     JournalReading& reading) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        reading.problems.push_back(path + " cannot be read");
        return false;
    }
    std::string line;
    bool tooLong = false;
    bool first = true;
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                if (tooLong) {
                    ++reading.skippedLines;
                    first = false;
                } else {
                    TakeLine(line, true, year, filter, first, reading);
                }
                line.clear();
                tooLong = false;
            } else if (line.size() < kLongestLine) {
                line += c;
            } else {
                tooLong = true;
            }
        }
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (!line.empty() || tooLong) {
        // The last line has no end: the program was writing it when it stopped.
        ++reading.skippedLines;
    }
    if (failed) {
        reading.problems.push_back(path + " could not be read to its end");
    }
    return !failed;
}

JournalReading ReadJournal(const std::string& directory, const EventFilter& filter) {
    namespace fs = std::filesystem;
    JournalReading reading;
    std::vector<std::tuple<int, int, std::string>> months;
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    if (error) {
        reading.problems.push_back(directory + " cannot be read (" + error.message() + ")");
        return reading;
    }
    for (const fs::directory_entry& entry : entries) {
        int year = 0;
        int month = 0;
        std::error_code typeError;
        if (!event_line::ParseFileName(entry.path().filename().string(), year, month) ||
            !entry.is_regular_file(typeError)) {
            continue;
        }
        // A month wholly outside the dates wanted is not read at all.
        const std::int64_t start = MonthStart(year, month);
        const std::int64_t end =
            month == 12 ? MonthStart(year + 1, 1) : MonthStart(year, month + 1);
        if (end <= filter.from || start > filter.to) {
            continue;
        }
        months.emplace_back(year, month, entry.path().string());
    }
    std::sort(months.begin(), months.end());
    for (const auto& [year, month, path] : months) {
        ReadJournalFile(path, year, filter, reading);
    }
    return reading;
}
