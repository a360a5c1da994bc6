#include "config/ByteArrayArchive.h"

#include <algorithm>

std::vector<std::uint8_t> ByteArrayArchive::Store(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    const auto count = static_cast<std::uint32_t>(bytes.size());
    out.reserve(bytes.size() + 6);
    if (count < 0xFFFFu) {
        out.push_back(static_cast<std::uint8_t>(count & 0xFFu));
        out.push_back(static_cast<std::uint8_t>(count >> 8));
    } else {
        out.push_back(0xFF);
        out.push_back(0xFF);
        for (int shift = 0; shift < 32; shift += 8) {
            out.push_back(static_cast<std::uint8_t>((count >> shift) & 0xFFu));
        }
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
    return out;
}

std::vector<std::uint8_t> ByteArrayArchive::Load(std::span<const std::uint8_t> stored) {
    if (stored.size() < 2) {
        return {};
    }
    std::size_t count = stored[0] | (static_cast<std::size_t>(stored[1]) << 8);
    std::size_t offset = 2;
    if (count == 0xFFFFu) {
        if (stored.size() < 6) {
            return {};
        }
        count = 0;
        for (int i = 0; i < 4; ++i) {
            count |= static_cast<std::size_t>(stored[2 + i]) << (8 * i);
        }
        offset = 6;
    }
    const std::size_t available = std::min(count, stored.size() - offset);
    return {stored.begin() + static_cast<std::ptrdiff_t>(offset),
            stored.begin() + static_cast<std::ptrdiff_t>(offset + available)};
}
