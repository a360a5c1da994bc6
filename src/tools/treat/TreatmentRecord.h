#pragma once

#include "tools/treat/PcLogLineParser.h"
#include "tools/treat/TreatmentRule.h"
#include "tools/treat/UnitTreatment.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace logtools {

// A line of a log that starts like a data line but is not one.
struct MalformedLine {
    std::int64_t line = 0;
    std::string reason;
    std::string text; // the start of the line, non-printing characters shown as "?"
};

// What one log file of the record held.
struct LogFileSummary {
    std::string name;
    bool readable = true;
    std::string error; // why it could not be read
    bool hasDescriptor = false;
    std::string descriptor; // its first line (kept to 4096 bytes), when not a data line
    std::int64_t lines = 0;
    std::int64_t readings = 0;
    std::int64_t malformed = 0;
    std::vector<MalformedLine> malformedKept;
    LogSeconds firstTime = 0; // of its well-formed data lines, when readings > 0
    LogSeconds lastTime = 0;
    std::string sha256; // of its bytes, when asked for and the file was read to its end
};

// The treatment record of a farm: one or more PC logs, read in time order as one record, and
// per unit the stretches at threshold, gaps, sensor faults and verdict.
//
// Feed it files whole (readFile) or line by line (beginFile, addLine), or readings already
// decoded (addReading, for a live view), then call finish() once the record is complete.
class TreatmentRecord {
public:
    static constexpr std::size_t kMaxMalformedKept = 5;
    static constexpr std::size_t kMaxShownText = 80;
    static constexpr std::size_t kMaxDescriptor = 4096;

    explicit TreatmentRecord(const TreatmentRule& rule) : m_rule(rule) {}

    const TreatmentRule& rule() const { return m_rule; }

    // What a certificate needs beyond the verdicts, asked for before the first line: the
    // SHA-256 of each file readFile reads, and every unit's lines for its chart.
    void keepEvidence() { m_keepEvidence = true; }

    // Starts the next file; its lines follow through addLine or addReading.
    void beginFile(const std::string& name);
    // The current file's next line, without its line end. The first line is the file's
    // descriptor when it is not a data line.
    void addLine(std::string_view line);
    // A reading already decoded, as the current file's next line.
    void addReading(const CoreReading& reading);
    // Marks the current file unreadable, with the reason.
    void fileFailed(const std::string& error);

    // beginFile and every line of the file. False (with the file marked unreadable) when it
    // cannot be opened or read to its end; lines read before a read error are kept.
    bool readFile(const std::string& path);

    // A unit that should be in the record: it gets a verdict even without a line.
    void expectUnit(int unit);

    void finish();

    const std::vector<LogFileSummary>& files() const { return m_files; }
    // The units with lines or expected, in unit order.
    std::vector<const UnitTreatment*> units() const;
    // The unit, or nullptr when it has no line and is not expected.
    const UnitTreatment* unit(int id) const;

    // Text safe to show: at most maxLength characters, control characters as "?".
    static std::string shownText(std::string_view text, std::size_t maxLength);

private:
    UnitTreatment& unitAt(int id);

    TreatmentRule m_rule;
    PcLogLineParser m_parser;
    std::vector<LogFileSummary> m_files;
    std::array<std::unique_ptr<UnitTreatment>, PcLogLineParser::kLastUnit + 1> m_units;
    bool m_keepEvidence = false;
};

} // namespace logtools
