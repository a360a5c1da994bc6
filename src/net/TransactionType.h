#pragma once

#include <cstdint>

// The scheduler's transactions. The document holds the current type and the next one; other
// parts of the program request work by setting the next type.
enum TransactionType : std::int32_t {
    TT_NONE = 0,
    TT_KVN_T1_PIO_O = 1,   // a scan query is to be sent
    TT_KVN_T1_PIO_I = 2,   // waiting for a scan reply
    TT_KVN_T2_PIO_O = 3,   // a commit is to be sent
    TT_KVN_T2_PIO_I = 4,   // waiting for a commit reply
    TT_ZRM_T1_PIO_O = 5,   // an alarm-station size query is to be sent
    TT_ZRM_T1_PIO_I = 6,   // waiting for its reply
    TT_KVN_T0_PIO_O_1 = 9, // just connected: send the connection burst
    TT_KVN_T0_PIO_O_2 = 10,
    TT_KVN_T0_PIO_O_3 = 11,
};
