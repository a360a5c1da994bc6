#include "sim/WireFrame.h"

namespace farmsim {

std::uint32_t WireFrame::Sum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (const std::uint8_t b : bytes) {
        sum += b;
    }
    return sum;
}

int WireFrame::ChecksumBytesFor(std::uint8_t replyCode) {
    return replyCode == 'b' ? 3 : 2;
}

void WireFrame::Seal(std::span<std::uint8_t> frame, int checksumBytes) {
    const auto width = static_cast<std::size_t>(checksumBytes);
    if (checksumBytes < 1 || width > 4 || frame.size() < width) {
        return;
    }
    const std::size_t body = frame.size() - width;
    std::uint32_t sum = Sum(frame.first(body));
    for (std::size_t i = frame.size(); i-- > body;) {
        frame[i] = static_cast<std::uint8_t>(sum & 0xFFu);
        sum >>= 8;
    }
}

bool WireFrame::IsSealed(std::span<const std::uint8_t> frame, int checksumBytes) {
    const auto width = static_cast<std::size_t>(checksumBytes);
    if (checksumBytes < 1 || width > 3 || frame.size() <= width) {
        return false;
    }
    const std::size_t body = frame.size() - width;
    std::uint32_t stored = 0;
    for (std::size_t i = body; i < frame.size(); ++i) {
        stored = (stored << 8) | frame[i];
    }
    const std::uint32_t mask = (1u << (8 * width)) - 1u;
    return (Sum(frame.first(body)) & mask) == stored;
}

std::size_t WireFrame::LengthForCommand(std::uint8_t command) {
    switch (command) {
    case kScan:
    case kSizeQuery:
        return kQueryLength;
    case kCommit:
        return kStatusLength;
    default:
        return 0;
    }
}

} // namespace farmsim
