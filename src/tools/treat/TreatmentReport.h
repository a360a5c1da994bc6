#pragma once

#include "tools/treat/TreatmentRecord.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace logtools {

// The texts of a finished treatment record: the readable report, one block per file and per
// unit, and the CSV summary, one row per unit.
class TreatmentReport {
public:
    // Entries shown per list of a unit (stretches, gaps, faults) unless every one is asked for.
    static constexpr std::size_t kListLimit = 50;

    explicit TreatmentReport(const TreatmentRecord& record) : m_record(record) {}

    void setListAll(bool all) { m_listAll = all; }

    // Lines end in LF: the report goes to the console.
    std::string text() const;
    // The same text a block at a time, so that a long report need not be held whole.
    void writeText(const std::function<void(const std::string&)>& write) const;

    // "unit,verdict,start,end,minutes,lowest_core,scale,file" and a row per unit, CR LF.
    std::string csv() const;

    // A CSV field, quoted when it holds a comma, a quote or a line end.
    static std::string csvField(std::string_view text);

private:
    void fileBlock(std::string& out, std::size_t index) const;
    void unitBlock(std::string& out, const UnitTreatment& unit) const;
    std::string placeText(const LinePlace& place) const;
    std::string stretchLine(const Stretch& stretch) const;

    const TreatmentRecord& m_record;
    bool m_listAll = false;
};

} // namespace logtools
