#include "tools/common/RecordSorter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace logtools {

namespace {

constexpr std::size_t kSize = LogRecord::kSize;

struct RawRecord {
    unsigned char bytes[kSize];
};
static_assert(sizeof(RawRecord) == kSize);

// Big-endian loads make unsigned byte order an integer comparison.
inline std::uint64_t head(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) {
        v = (v << 8) | p[i];
    }
    return v;
}

inline unsigned tail(const unsigned char* p) {
    return (static_cast<unsigned>(p[8]) << 8) | p[9];
}

inline bool recordLess(const unsigned char* a, const unsigned char* b) {
    const std::uint64_t ha = head(a);
    const std::uint64_t hb = head(b);
    if (ha != hb) {
        return ha < hb;
    }
    return tail(a) < tail(b);
}

inline bool recordEqual(const unsigned char* a, const unsigned char* b) {
    return std::memcmp(a, b, kSize) == 0;
}

} // namespace

bool RecordSorter::less(const unsigned char* a, const unsigned char* b) {
    return recordLess(a, b);
}

bool RecordSorter::equal(const unsigned char* a, const unsigned char* b) {
    return recordEqual(a, b);
}

void RecordSorter::count(const unsigned char* records, std::size_t recordCount) {
    for (std::size_t i = 0; i < recordCount; ++i) {
        ++m_count[records[i * kSize]];
    }
    m_total += recordCount;
}

void RecordSorter::beginPlacing(unsigned char* buffer) {
    m_buffer = buffer;
    std::size_t start = 0;
    for (std::size_t unit = 0; unit < m_count.size(); ++unit) {
        m_place[unit] = UnitPlace{};
        m_place[unit].start = start;
        m_place[unit].next = start;
        start += m_count[unit];
        m_place[unit].end = start;
    }
}

bool RecordSorter::place(const unsigned char* records, std::size_t recordCount) {
    for (std::size_t i = 0; i < recordCount; ++i) {
        const unsigned char* record = records + i * kSize;
        const std::uint64_t recordHead = head(record);
        const unsigned recordTail = tail(record);
        UnitPlace& p = m_place[record[0]];
        if (p.next + p.dropped >= p.end) {
            return false; // more records than the first pass counted
        }
        if (p.inOrder && p.next != p.start) {
            if (recordHead == p.lastHead && recordTail == p.lastTail) {
                ++p.dropped;
                continue;
            }
            p.inOrder =
                recordHead > p.lastHead || (recordHead == p.lastHead && recordTail > p.lastTail);
        }
        std::memcpy(m_buffer + p.next * kSize, record, kSize);
        ++p.next;
        p.lastHead = recordHead;
        p.lastTail = recordTail;
    }
    return true;
}

bool RecordSorter::settle() {
    for (const UnitPlace& p : m_place) {
        if (p.next + p.dropped != p.end) {
            return false; // the file changed between the passes
        }
    }
    for (UnitPlace& p : m_place) {
        if (p.inOrder) {
            continue;
        }
        unsigned char* first = m_buffer + p.start * kSize;
        const std::size_t n = p.next - p.start;
        sortUnit(first, n);
        unsigned char* kept = first;
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned char* record = first + i * kSize;
            if (kept != first && recordEqual(kept - kSize, record)) {
                continue;
            }
            if (kept != record) {
                std::memcpy(kept, record, kSize);
            }
            kept += kSize;
        }
        p.next = p.start + static_cast<std::size_t>(kept - first) / kSize;
        p.dropped = p.end - p.next;
        p.inOrder = true;
    }
    return true;
}

bool RecordSorter::finish(std::size_t& keptRecords) {
    keptRecords = 0;
    if (!settle()) {
        return false;
    }
    // Units are in ascending order already: close the gaps the dropped repeats left.
    unsigned char* kept = m_buffer;
    for (std::size_t unit = 0; unit < m_count.size(); ++unit) {
        const Stretch s = stretch(unit);
        if (s.records > 0 && kept != s.data) {
            std::memmove(kept, s.data, s.records * kSize);
        }
        kept += s.records * kSize;
    }
    keptRecords = static_cast<std::size_t>(kept - m_buffer) / kSize;
    return true;
}

void RecordSorter::sortUnit(unsigned char* first, std::size_t n) {
    std::size_t i = 1;
    while (i < n && !recordLess(first + i * kSize, first + (i - 1) * kSize)) {
        ++i;
    }
    if (i >= n) {
        return;
    }
    // A few late or repeated records: insertion sort, as long as the records it has to move
    // stay within a small multiple of the unit's size. Beyond that the unit is far from time
    // order and a general sort is cheaper.
    std::size_t budget = 8 * n + 64;
    for (; i < n; ++i) {
        unsigned char* record = first + i * kSize;
        if (!recordLess(record, record - kSize)) {
            continue;
        }
        std::size_t j = i - 1;
        while (j > 0 && recordLess(record, first + (j - 1) * kSize)) {
            --j;
        }
        const std::size_t moves = i - j;
        if (moves > budget) {
            RawRecord* begin = reinterpret_cast<RawRecord*>(first);
            std::sort(begin, begin + n, [](const RawRecord& a, const RawRecord& b) {
                return recordLess(a.bytes, b.bytes);
            });
            return;
        }
        budget -= moves;
        unsigned char moving[kSize];
        std::memcpy(moving, record, kSize);
        std::memmove(first + (j + 1) * kSize, first + j * kSize, moves * kSize);
        std::memcpy(first + j * kSize, moving, kSize);
    }
}

} // namespace logtools
