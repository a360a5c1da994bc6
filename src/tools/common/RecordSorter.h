#pragma once

#include "tools/common/LogRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace logtools {

// Puts log data records into record order (unsigned byte order over all ten bytes) and keeps one
// record of every run of identical ones.
//
// The records come in two passes over the file. The first counts the records of each unit, the
// second places every record straight into its unit's stretch of the buffer, keeping file order
// within the unit. Station logs are written in time order, so each unit's records usually come
// in record order: that is checked, and repeats dropped, as they arrive, while the unit's last
// record is still in cache. Only a unit that is not in order is sorted, on its own. Memory is
// the buffer alone.
class RecordSorter {
public:
    // First pass: counts whole records.
    void count(const unsigned char* records, std::size_t recordCount);
    std::size_t countedRecords() const { return m_total; }

    // Between the passes: buffer has room for countedRecords() records.
    void beginPlacing(unsigned char* buffer);

    // Second pass. False when a unit brings more records than it had in the first pass (the
    // file changed in between); the buffer is then not usable.
    bool place(const unsigned char* records, std::size_t recordCount);

    // After the second pass: sorts, drops duplicates towards the front of the buffer and gives
    // the number of records kept. False when fewer records arrived than were counted.
    bool finish(std::size_t& keptRecords);

    // After the second pass, instead of finish(): sorts and drops duplicates within each unit's
    // stretch of the buffer and leaves the stretches where they are, so that a caller that
    // writes them out saves moving every record behind the first duplicate. False when fewer
    // records arrived than were counted.
    bool settle();
    struct Stretch {
        const unsigned char* data;
        std::size_t records;
    };
    // A unit's kept records, in record order, after settle().
    Stretch stretch(std::size_t unit) const {
        const UnitPlace& p = m_place[unit];
        return {m_buffer + p.start * LogRecord::kSize, p.next - p.start};
    }

    static bool less(const unsigned char* a, const unsigned char* b);
    static bool equal(const unsigned char* a, const unsigned char* b);

private:
    void sortUnit(unsigned char* first, std::size_t recordCount);

    // Where each unit's records go in the second pass, kept together so that placing a record
    // touches one cache line of state.
    struct UnitPlace {
        std::size_t start = 0;
        std::size_t next = 0;
        std::size_t end = 0;
        std::size_t dropped = 0; // repeats not placed
        // The last record placed, as its first eight bytes big-endian and its last two, while
        // the unit has come in record order: a unit in order needs no sorting, and a repeat of
        // its last record can be dropped on arrival.
        std::uint64_t lastHead = 0;
        unsigned lastTail = 0;
        bool inOrder = true;
    };

    std::array<std::size_t, 256> m_count{};
    std::array<UnitPlace, 256> m_place{};
    std::size_t m_total = 0;
    unsigned char* m_buffer = nullptr;
};

} // namespace logtools
