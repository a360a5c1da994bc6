#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace farmsim {

// How the stations of the farm network find frames in the byte stream from the PC, which has no
// delimiters. A frame starts with the first byte after the line has been silent for at least the
// frame gap, or with the byte right after a good frame. Its command byte (byte 1) decides its
// length: 4 bytes for 'Q' and 'A', 60 for 'C'. A frame with any other command, or one whose
// checksum is wrong, makes the stations ignore everything up to the next silent period, because
// nothing after it can be trusted to sit on a frame boundary. A frame cut short by a silent period
// is dropped.
class FrameReceiver {
public:
    FrameReceiver(std::int64_t gapUs, std::int64_t byteUs);

    // Takes one byte that was complete at arrivalUs. Returns true when it finished a frame with
    // a good checksum, which Frame() then holds until the next call.
    bool Push(std::uint8_t byte, std::int64_t arrivalUs);

    std::span<const std::uint8_t> Frame() const { return {frame_.data(), frameLength_}; }

    std::uint64_t GoodFrames() const { return goodFrames_; }
    std::uint64_t BadChecksumFrames() const { return badChecksumFrames_; }
    std::uint64_t IgnoredBytes() const { return ignoredBytes_; }

private:
    void StartSkipping(std::size_t bytesThrownAway);

    std::int64_t gapUs_;
    std::int64_t byteUs_;
    std::int64_t lastArrivalUs_;
    std::array<std::uint8_t, 60> building_{};
    std::size_t length_ = 0;
    std::size_t expected_ = 0;
    bool skipping_ = false;
    std::array<std::uint8_t, 60> frame_{};
    std::size_t frameLength_ = 0;
    std::uint64_t goodFrames_ = 0;
    std::uint64_t badChecksumFrames_ = 0;
    std::uint64_t ignoredBytes_ = 0;
};

} // namespace farmsim
