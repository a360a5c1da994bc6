#include "sim/FrameReceiver.h"

#include "sim/WireFrame.h"

#include <limits>

namespace farmsim {

FrameReceiver::FrameReceiver(std::int64_t gapUs, std::int64_t byteUs)
    : gapUs_(gapUs), byteUs_(byteUs), lastArrivalUs_(std::numeric_limits<std::int64_t>::min() / 2) {
}

void FrameReceiver::StartSkipping(std::size_t bytesThrownAway) {
    skipping_ = true;
    ignoredBytes_ += bytesThrownAway;
    length_ = 0;
}

bool FrameReceiver::Push(std::uint8_t byte, std::int64_t arrivalUs) {
    // The byte began one byte time before it was complete; the line was silent before that.
    const bool silenceBefore = arrivalUs - byteUs_ - lastArrivalUs_ >= gapUs_;
    lastArrivalUs_ = arrivalUs;
    if (silenceBefore) {
        ignoredBytes_ += length_;
        length_ = 0;
        skipping_ = false;
    }
    if (skipping_) {
        ++ignoredBytes_;
        return false;
    }

    building_[length_++] = byte;
    if (length_ == 2) {
        expected_ = WireFrame::LengthForCommand(byte);
        if (expected_ == 0) {
            StartSkipping(2);
            return false;
        }
    }
    if (length_ < 2 || length_ < expected_) {
        return false;
    }

    const std::span<const std::uint8_t> candidate(building_.data(), length_);
    if (!WireFrame::IsSealed(candidate, 2)) {
        ++badChecksumFrames_;
        StartSkipping(length_);
        return false;
    }
    frame_ = building_;
    frameLength_ = length_;
    length_ = 0;
    ++goodFrames_;
    return true;
}

} // namespace farmsim
