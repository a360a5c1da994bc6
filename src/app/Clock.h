#pragma once

#include <cstdint>

// Local date and time, and the one real wait the document makes (the modem hang-up at
// shutdown). The program uses the system clock; tests use a virtual one.
struct LocalDateTime {
    int year = 2000; // full year, e.g. 2006
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
    virtual void WaitMilliseconds(int milliseconds) = 0;
    // A count of milliseconds that only moves forward, for spacing frames on the line. A clock
    // without one counts whole seconds of its local time.
    virtual std::int64_t MonotonicMilliseconds() const;
};
