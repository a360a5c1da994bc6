#include "app/kilnmon/JournalListing.h"

#include "events/EventLine.h"

#include <filesystem>
#include <system_error>

int JournalListing::Print(std::FILE* out, std::FILE* err) const {
    std::error_code ec;
    // A folder that is not there is a mistyped path far more often than an empty journal.
    if (!std::filesystem::is_directory(m_directory, ec)) {
        std::fprintf(err, "kilnmon: %s is not a folder; no events journal there\n",
                     m_directory.c_str());
        return 1;
    }
    const JournalReading reading = ReadJournal(m_directory, m_filter);
    if (m_bCsv) {
        std::fwrite(event_line::kHeader.data(), 1, event_line::kHeader.size(), out);
    }
    for (const Event& event : reading.events) {
        if (m_bCsv) {
            const std::string line = event_line::Format(event);
            std::fwrite(line.data(), 1, line.size(), out);
        } else {
            std::fprintf(out, "%s\n", event_line::Text(event).c_str());
        }
    }
    std::fflush(out);
    if (reading.skippedLines > 0) {
        std::fprintf(err,
                     "kilnmon: %lld line%s of the journal could not be read (torn by a crash or "
                     "not an event) and %s left out\n",
                     static_cast<long long>(reading.skippedLines),
                     reading.skippedLines == 1 ? "" : "s",
                     reading.skippedLines == 1 ? "was" : "were");
    }
    for (const std::string& problem : reading.problems) {
        std::fprintf(err, "kilnmon: %s\n", problem.c_str());
    }
    std::fflush(err);
    return reading.problems.empty() ? 0 : 1;
}
