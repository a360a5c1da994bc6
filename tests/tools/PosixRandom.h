#pragma once

// The POSIX random() the tests' data generators use, for the Windows C runtime, which has only
// rand() (15 bits): three draws make the 31 bits random() gives.
#if defined(_WIN32)
#include <cstdlib>

inline long random() {
    return (static_cast<long>(std::rand()) << 16) ^ (static_cast<long>(std::rand()) << 1) ^
           std::rand();
}
#endif
