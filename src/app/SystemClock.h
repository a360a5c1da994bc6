#pragma once

#include "app/Clock.h"

// The computer's local date and time, and a real wait.
class SystemClock : public Clock {
public:
    LocalDateTime Now() const override;
    void WaitMilliseconds(int milliseconds) override;
    std::int64_t MonotonicMilliseconds() const override;
};
