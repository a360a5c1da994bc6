#pragma once

#include "events/Event.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

// Which events a reader wants.
struct EventFilter {
    int farm = -1; // farm index; -1 for every farm
    int unit = 0;  // node ID; 0 for every unit
    std::optional<EventKind> kind;
    std::int64_t from = std::numeric_limits<std::int64_t>::min(); // local seconds, inclusive
    std::int64_t to = std::numeric_limits<std::int64_t>::max();   // inclusive

    bool Matches(const Event& event) const;
};

struct JournalReading {
    std::vector<Event> events;         // in journal order: month by month, line by line
    std::int64_t skippedLines = 0;     // torn or foreign lines, left out
    std::vector<std::string> problems; // files that could not be read
};

// Reads every "Events_YYYYMM.CSV" of the folder, oldest month first, keeping the events the
// filter passes. Months outside the filter's dates are not opened.
JournalReading ReadJournal(const std::string& directory, const EventFilter& filter = {});
// One journal file; year and month come from its name. False when it cannot be opened.
bool ReadJournalFile(const std::string& path, int year, const EventFilter& filter,
                     JournalReading& reading);
