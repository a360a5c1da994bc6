#pragma once

#include "tools/common/LogRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace logtools {

// Text lines of the record splitters, each ending in CR LF. Lines are built by hand rather than
// by printf: a large log has millions of records and formatting is most of the work.
class RecordLineFormatter {
public:
    // Room every line below fits in.
    static constexpr std::size_t kMaxLine = 64;

    // Month/day/year,hour:minute:00,unit,alarm code,dry,wet 1[,wet 2] for the comma-separated
    // unit files; wet 2 is left out when the record carries none.
    std::size_t csvLine(const LogRecord& record, char* out);

    // Alarm code, dry, wet 1 and wet 2 in five zero-padded digits each for the dump files.
    static std::size_t dumpLine(const LogRecord& record, char* out);

    // The empty line, the heading with the first record's time and the column line that open
    // every dump file.
    static std::string dumpOpening(const LogRecord& first);

private:
    // Records of one unit follow each other in time, so most lines share the previous date.
    std::uint32_t m_cachedDay = UINT32_MAX;
    char m_date[24] = {};
    std::size_t m_dateLength = 0;
};

} // namespace logtools
