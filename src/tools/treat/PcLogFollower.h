#pragma once

#include "tools/treat/TreatmentRecord.h"
#include "tools/treat/TreatmentRule.h"

#include <cstdint>
#include <memory>
#include <string>

namespace logtools {

// Reads a PC log while its connection is still writing it, so a live view judges a unit from
// exactly the lines the log holds, through the same record logtreat builds. Each follow() reads
// only what the file gained since the last one and feeds its whole lines to the record; a line
// still being written waits for its end. Another file, or a file that shrank (replaced), starts
// the record again.
class PcLogFollower {
public:
    explicit PcLogFollower(const TreatmentRule& rule);

    // False when the file cannot be opened or read; what was read before is kept.
    bool follow(const std::string& path);
    // Starts again from nothing: no file, no lines.
    void reset();

    // The unit's treatment so far (its last stretch still Open), or nullptr when the log has
    // no line of it yet.
    const UnitTreatment* unit(int id) const { return m_record->unit(id); }
    const std::string& path() const { return m_path; }
    // Whole lines read from the file, its descriptor included.
    std::int64_t lines() const;

private:
    TreatmentRule m_rule;
    std::unique_ptr<TreatmentRecord> m_record;
    std::string m_path;
    std::uint64_t m_offset = 0;
    std::string m_partial; // the start of a line whose end has not been written yet
};

} // namespace logtools
