#include "app/Clock.h"

#include "app/LocalSeconds.h"

std::int64_t Clock::MonotonicMilliseconds() const {
    return LocalSeconds(Now()) * 1000;
}
