#include "events/EventJournal.h"

#include "events/EventLine.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Gets what was flushed onto the disk, so a power cut keeps it too.
void SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
    _commit(_fileno(file));
#else
    fsync(fileno(file));
#endif
}

} // namespace

EventJournal::EventJournal(std::string directory) : m_directory(std::move(directory)) {}

EventJournal::~EventJournal() {
    Close();
}

std::string EventJournal::PathFor(std::int64_t localSeconds) const {
    return (std::filesystem::path(m_directory) / event_line::FileName(localSeconds)).string();
}

void EventJournal::Close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_path.clear();
}

bool EventJournal::Open(const std::string& path) {
    namespace fs = std::filesystem;
    Close();
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (fs::exists(status) && !fs::is_regular_file(fs::status(path, error))) {
        Fail(path + " is not a file");
        return false;
    }
    // What the file ends with decides the first bytes written: a header for a new file, a line
    // end after a line a crash cut short, so the next event starts a line of its own.
    bool empty = true;
    bool torn = false;
    if (std::FILE* existing = std::fopen(path.c_str(), "rb")) {
        if (std::fseek(existing, 0, SEEK_END) == 0) {
            const long size = std::ftell(existing);
            if (size > 0) {
                empty = false;
                if (std::fseek(existing, -1, SEEK_END) == 0) {
                    torn = std::fgetc(existing) != '\n';
                }
            }
        }
        std::fclose(existing);
    }
    std::FILE* file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        Fail(path + " cannot be opened (" + std::strerror(errno) + ")");
        return false;
    }
    m_file = file;
    m_path = path;
    // A bare line feed ends a torn line: no whole line of the journal ends that way, so the
    // reader knows it for what it is.
    const std::string_view start = empty ? event_line::kHeader : torn ? "\n" : "";
    if (!start.empty() && (std::fwrite(start.data(), 1, start.size(), m_file) != start.size() ||
                           std::fflush(m_file) != 0)) {
        Fail(path + " cannot be written (" + std::strerror(errno) + ")");
        return false;
    }
    return true;
}

bool EventJournal::Append(const Event& event) {
    const std::string path = PathFor(event.time);
    if ((m_file == nullptr || path != m_path) && !Open(path)) {
        return false;
    }
    const std::string line = event_line::Format(event);
    if (std::fwrite(line.data(), 1, line.size(), m_file) != line.size() ||
        std::fflush(m_file) != 0) {
        Fail(m_path + " cannot be written (" + std::strerror(errno) + ")");
        return false;
    }
    if (m_bFailing) {
        m_bFailing = false;
        m_notices.push_back("events are written to the journal " + m_path + " again");
    }
    return true;
}

void EventJournal::Sync() {
    if (m_file != nullptr) {
        SyncToDisk(m_file);
    }
}

void EventJournal::Fail(const std::string& why) {
    // The file is opened afresh for the next event: a folder that comes back is written again.
    Close();
    if (!m_bFailing) {
        m_bFailing = true;
        m_notices.push_back("the events journal " + why +
                            "; events are not kept until it can be written");
    }
}

std::vector<std::string> EventJournal::TakeNotices() {
    return std::exchange(m_notices, {});
}
