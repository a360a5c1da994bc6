#pragma once

#include "events/Event.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The events journal: one CSV file a month in a folder (beside the PC logs), appended to and
// never rewritten. Each event is written and flushed on its own, so a crash loses at most the
// one being written; a file that ends inside a line (torn by a crash) gets a line end first.
class EventJournal {
public:
    explicit EventJournal(std::string directory);
    ~EventJournal();
    EventJournal(const EventJournal&) = delete;
    EventJournal& operator=(const EventJournal&) = delete;

    // False when the event could not be written; the first failure leaves one sentence for
    // TakeNotices, and a later success another.
    bool Append(const Event& event);
    // What was appended goes to the disk itself; once after a batch of events, since a
    // flush to the system already survives a crash of the program.
    void Sync();
    // The file the events of that time go to.
    std::string PathFor(std::int64_t localSeconds) const;
    const std::string& Directory() const { return m_directory; }
    bool Failing() const { return m_bFailing; }
    std::vector<std::string> TakeNotices();

private:
    bool Open(const std::string& path);
    void Close();
    void Fail(const std::string& why);

    std::string m_directory;
    std::FILE* m_file = nullptr;
    std::string m_path;
    bool m_bFailing = false;
    std::vector<std::string> m_notices;
};
