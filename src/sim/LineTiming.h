#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace farmsim {

// One direction of the serial line: bytes leave one after another, 10 bit times each, and a
// transmission that is ready while the line is still busy waits for it. Times are microseconds.
class LineTiming {
public:
    explicit LineTiming(int bitsPerSecond);

    // Puts n bytes on the line no earlier than readyUs and returns the time at which each one
    // is complete at the far end.
    std::vector<std::int64_t> Send(std::int64_t readyUs, std::size_t n);

    // Time from the start of a transmission until its n-th byte is complete.
    std::int64_t DurationUs(std::size_t n) const;

    std::int64_t BusyUntilUs() const { return busyUntilUs_; }

private:
    std::int64_t bitsPerSecond_;
    std::int64_t busyUntilUs_ = 0;
};

} // namespace farmsim
