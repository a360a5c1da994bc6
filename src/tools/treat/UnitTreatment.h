#pragma once

#include "tools/treat/TreatmentRule.h"
#include "tools/treat/TreatmentTypes.h"

#include <array>
#include <cstdint>
#include <vector>

namespace logtools {

// Why a stretch at threshold ended.
enum class StretchEnd {
    Open,        // still going: the unit's last line so far is in it
    Cold,        // a core read below the threshold
    Gap,         // the next line came more than the allowed gap later
    SensorFault, // a core read above its sensor's valid range
    ScaleChange, // the unit's next line was in the other scale
    EndOfRecord, // the record ended during it
};

// A continuous run of a unit's lines in which every core is at or above the threshold.
struct Stretch {
    LinePlace first;
    LinePlace last;
    Scale scale = Scale::Centigrade;
    int lowest = 0; // the lowest core reading of its lines
    std::int64_t lines = 0;
    StretchEnd end = StretchEnd::Open;
    LinePlace endPlace; // the line that ended it (Cold, SensorFault, ScaleChange, Gap)
    int endCore = 0;    // the core (1-3) and reading that ended it (Cold, SensorFault)
    int endReading = 0;

    // From the first line to the last: 31 lines a minute apart make 30 minutes.
    LogSeconds length() const { return last.time - first.time; }
};

// Consecutive lines of a unit further apart than the allowed gap.
struct LineGap {
    LinePlace before;
    LinePlace after;
    LogSeconds length() const { return after.time - before.time; }
};

// Consecutive lines of a unit with a core above its sensor's valid range.
struct SensorFault {
    LinePlace first;
    LinePlace last;
    Scale scale = Scale::Centigrade;
    int cores = 0; // bit n - 1 set when core n was out of range
    int highest = 0;
    std::int64_t lines = 0;
};

// A line whose time is not after the unit's line before: files given out of order, a file
// given twice, or a clock set back. It is left out of the stretches.
struct OutOfOrderLine {
    LinePlace place;
    LinePlace previous; // the unit's latest line so far
};

// A unit's verdict: treated with its first qualifying stretch, or not treated with its
// longest stretch (the earliest of equal ones) and how much it lacked.
struct Verdict {
    bool treated = false;
    int stretch = -1; // index into the unit's stretches; -1 when it has none
    LogSeconds shortBy = 0;
};

// The treatment evidence of one unit, built line by line in time order. Lines can be added
// while the unit is being logged: the last stretch stays Open until a line ends it or finish().
class UnitTreatment {
public:
    static constexpr std::size_t kMaxOutOfOrderKept = 5;
    // Spacings up to an hour are counted second by second for the median.
    static constexpr LogSeconds kSpacingRange = 3600;

    UnitTreatment(int unit, const TreatmentRule& rule) : m_unit(unit), m_rule(rule) {}

    // Keeps every line taken in time order from here on, for a chart of the whole charge.
    void keepReadings() { m_keepReadings = true; }

    // The unit's next line; place gives its file and line number, reading its time.
    void add(const CoreReading& reading, int file, std::int64_t line);
    // The record has ended: an Open stretch becomes EndOfRecord.
    void finish();

    int unit() const { return m_unit; }
    std::int64_t lines() const { return m_lines; }
    const LinePlace& firstLine() const { return m_first; }
    const LinePlace& lastLine() const { return m_last; }
    Scale firstScale() const { return m_firstScale; }

    const std::vector<Stretch>& stretches() const { return m_stretches; }
    const std::vector<LineGap>& gaps() const { return m_gaps; }
    const std::vector<SensorFault>& faults() const { return m_faults; }
    std::int64_t outOfOrderCount() const { return m_outOfOrder; }
    const std::vector<OutOfOrderLine>& outOfOrderKept() const { return m_outOfOrderKept; }

    Verdict verdict() const;

    // The lines taken, in time order (out-of-order lines left out), when kept.
    const std::vector<CoreReading>& readings() const { return m_readings; }
    // The files (indices in the record) that hold lines of the unit, in order.
    const std::vector<int>& files() const { return m_files; }

    // The median time between consecutive lines (the lower one of an even count), or -1 when
    // the unit has fewer than two lines; more than kSpacingRange shows as kSpacingRange + 1.
    LogSeconds medianSpacing() const;

private:
    void endStretch(StretchEnd why, const LinePlace& at, int core, int reading);
    void countSpacing(LogSeconds spacing);

    int m_unit;
    TreatmentRule m_rule;
    std::int64_t m_lines = 0;
    LinePlace m_first;
    LinePlace m_last;
    Scale m_firstScale = Scale::Centigrade;
    bool m_open = false;       // the last stretch is Open
    bool m_lastFaulty = false; // the unit's last line was a sensor fault
    std::vector<Stretch> m_stretches;
    std::vector<LineGap> m_gaps;
    std::vector<SensorFault> m_faults;
    std::int64_t m_outOfOrder = 0;
    std::vector<OutOfOrderLine> m_outOfOrderKept;
    std::vector<std::uint32_t> m_spacings; // count per second of spacing, the last one beyond
    bool m_keepReadings = false;
    std::vector<CoreReading> m_readings;
    std::vector<int> m_files;
};

} // namespace logtools
