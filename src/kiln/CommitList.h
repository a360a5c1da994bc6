#pragma once

#include <array>
#include <cstdint>

// The byte replacements of the next commit: entry i puts m_byValues[i] at offset
// m_byOffsets[i] of the record image, in list order, so a later entry for the same offset
// wins. A commit routine rewrites it from entry 0 each time.
struct CommitList {
    static constexpr int kMaxEntries = 9;

    std::array<std::uint8_t, kMaxEntries> m_byValues{};
    std::array<std::uint8_t, kMaxEntries> m_byOffsets{};
    std::int16_t m_nCount = 0;

    // The number of entries a frame builder may apply: the count clamped to 0..9.
    int UsableCount() const {
        if (m_nCount < 0) {
            return 0;
        }
        return m_nCount > kMaxEntries ? kMaxEntries : m_nCount;
    }
};
