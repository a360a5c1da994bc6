#pragma once

#include "sim/Farm.h"

#include <cstdint>
#include <string>
#include <vector>

// The PC's side of the simulator tests. Checksums are summed here, apart from the simulator's own
// frame code, so every test that uses them cross-checks it.
namespace simtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Sealed(Bytes body, int checksumBytes = 2) {
    std::uint32_t sum = 0;
    for (const std::uint8_t b : body) {
        sum += b;
    }
    for (int k = checksumBytes - 1; k >= 0; --k) {
        body.push_back(static_cast<std::uint8_t>((sum >> (8 * k)) & 0xFF));
    }
    return body;
}

// True when the last checksumBytes of the frame hold the sum of the bytes before them.
inline bool ChecksumHolds(const Bytes& frame, int checksumBytes) {
    const auto width = static_cast<std::size_t>(checksumBytes);
    if (frame.size() <= width) {
        return false;
    }
    std::uint32_t sum = 0;
    std::uint32_t stored = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (i < frame.size() - width) {
            sum += frame[i];
        } else {
            stored = (stored << 8) | frame[i];
        }
    }
    return sum == stored;
}

inline Bytes Scan(std::uint8_t node) {
    return Sealed({node, 'Q'});
}

inline Bytes SizeQuery() {
    return Sealed({255, 'A'});
}

// A commit frame built from a unit's status reply, as the PC builds it.
inline Bytes Commit(Bytes image, std::uint8_t modeByte, std::uint8_t hoursHigh,
                    std::uint8_t hoursLow) {
    image.resize(58);
    image[1] = 'C';
    image[4] = modeByte;
    image[34] = hoursHigh;
    image[35] = hoursLow;
    return Sealed(image);
}

inline int Word(const Bytes& frame, std::size_t offset) {
    return (frame.at(offset) << 8) | frame.at(offset + 1);
}

inline Bytes Values(const std::vector<farmsim::TimedByte>& timed) {
    Bytes bytes;
    for (const auto& t : timed) {
        bytes.push_back(t.byte);
    }
    return bytes;
}

inline std::string Text(const std::vector<farmsim::TimedByte>& timed) {
    std::string text;
    for (const auto& t : timed) {
        text += static_cast<char>(t.byte);
    }
    return text;
}

inline void Write(farmsim::Farm& farm, const std::string& text, std::int64_t atMs) {
    farm.FromPc(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), atMs);
}

// Writes a frame at atMs and returns what reaches the PC before the next one-second tick.
inline Bytes Exchange(farmsim::Farm& farm, const Bytes& frame, std::int64_t atMs) {
    farm.TakeOutputUpTo(atMs);
    farm.FromPc(frame, atMs);
    return Values(farm.TakeOutputUpTo(atMs + 999));
}

inline farmsim::UnitConfig UnitAt(int node, farmsim::Mode mode = farmsim::Mode::Standby) {
    farmsim::UnitConfig unit;
    unit.nodeId = node;
    unit.idCode = static_cast<std::uint8_t>(100 + node);
    unit.mode = mode;
    return unit;
}

} // namespace simtest
