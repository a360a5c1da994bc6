#pragma once

#include <array>
#include <cstdint>

// Hand-built farm frames for tests. The checksum is summed here, independently of the
// program's own frame code, so a test that uses these cross-checks it.
namespace testframes {

using Reply60 = std::array<std::uint8_t, 60>;

inline void PutWord(Reply60& reply, int offset, std::uint16_t value) {
    reply[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value >> 8);
    reply[static_cast<std::size_t>(offset) + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

// Writes a big-endian checksum of checksumBytes bytes over everything before it.
template <std::size_t N> void Seal(std::array<std::uint8_t, N>& frame, int checksumBytes = 2) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < N - static_cast<std::size_t>(checksumBytes); ++i) {
        sum += frame[i];
    }
    for (int k = 1; k <= checksumBytes; ++k) {
        frame[N - static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(sum & 0xFF);
        sum >>= 8;
    }
}

// A sealed 60-byte status reply of a unit in Standby, Fahrenheit, with readable RTDs.
inline Reply60 StatusReply(std::uint8_t nodeId, std::uint8_t code = 'D') {
    Reply60 reply{};
    reply[0] = nodeId;
    reply[1] = code;
    reply[2] = nodeId; // identification code
    reply[4] = 0x3A;   // Standby
    PutWord(reply, 44, 2640);
    PutWord(reply, 46, 2700);
    PutWord(reply, 48, 2660);
    PutWord(reply, 50, 2800);
    Seal(reply, code == 'b' ? 3 : 2);
    return reply;
}

} // namespace testframes
