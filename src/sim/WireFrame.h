#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace farmsim {

// Checksums of the farm network, computed here on the farm's side of the line. Every frame ends
// in an additive checksum of the bytes before it, big-endian, 2 bytes wide except after the
// reply code 'b', which carries 3.
class WireFrame {
public:
    static constexpr std::uint8_t kScan = 'Q';
    static constexpr std::uint8_t kCommit = 'C';
    static constexpr std::uint8_t kSizeQuery = 'A';
    static constexpr std::uint8_t kCommitAccepted = 'S';
    static constexpr std::size_t kQueryLength = 4;
    static constexpr std::size_t kStatusLength = 60;
    static constexpr std::size_t kSizeReplyLength = 7;

    static std::uint32_t Sum(std::span<const std::uint8_t> bytes);
    static int ChecksumBytesFor(std::uint8_t replyCode);

    // Writes the checksum of the bytes before the last checksumBytes into those last bytes.
    static void Seal(std::span<std::uint8_t> frame, int checksumBytes);

    // True when the last checksumBytes hold the sum of the bytes before them. The sender wraps
    // the sum to the width of the field, so the comparison does too.
    static bool IsSealed(std::span<const std::uint8_t> frame, int checksumBytes);

    // Frame length that the command byte (byte 1) announces, 0 for no command a station knows.
    static std::size_t LengthForCommand(std::uint8_t command);
};

} // namespace farmsim
