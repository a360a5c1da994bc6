#include "sim/LineTiming.h"

#include <algorithm>

namespace farmsim {

LineTiming::LineTiming(int bitsPerSecond)
    : bitsPerSecond_(bitsPerSecond > 0 ? bitsPerSecond : 2400) {}

std::int64_t LineTiming::DurationUs(std::size_t n) const {
    // Rounded up from the start of the transmission, not byte by byte, so that 60 bytes at
    // 2400 bit/s take exactly 250 ms however the per-byte time rounds.
    const auto bits = static_cast<std::int64_t>(n) * 10 * 1000000;
    return (bits + bitsPerSecond_ - 1) / bitsPerSecond_;
}

std::vector<std::int64_t> LineTiming::Send(std::int64_t readyUs, std::size_t n) {
    std::vector<std::int64_t> completions;
    completions.reserve(n);
    const std::int64_t start = std::max(readyUs, busyUntilUs_);
    for (std::size_t i = 1; i <= n; ++i) {
        completions.push_back(start + DurationUs(i));
    }
    if (n > 0) {
        busyUntilUs_ = completions.back();
    }
    return completions;
}

} // namespace farmsim
