#pragma once

#include "events/EventJournalReader.h"

#include <cstdio>
#include <string>
#include <utility>

// kilnmon --events: the journal read back for an operator or a script, one event a line on
// out, and what could not be read told on err. Never touches a serial port.
class JournalListing {
public:
    JournalListing(std::string directory, EventFilter filter, bool csv)
        : m_directory(std::move(directory)), m_filter(filter), m_bCsv(csv) {}

    // 0 when the journal was read (lines left out or not), 1 when its folder or one of its
    // files could not be read.
    int Print(std::FILE* out, std::FILE* err) const;

private:
    std::string m_directory;
    EventFilter m_filter;
    bool m_bCsv;
};
