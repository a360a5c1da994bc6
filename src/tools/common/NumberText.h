#pragma once

#include <climits>

namespace logtools {

// Decimal formatting for the hot paths of the converters, where a printf call per line would
// dominate the run time. Each writer returns the position after the last character written.
class NumberText {
public:
    // Like "%d".
    static char* decimal(char* out, int value) {
        unsigned magnitude = static_cast<unsigned>(value);
        if (value < 0) {
            *out++ = '-';
            magnitude = 0u - magnitude;
        }
        return unsignedDecimal(out, magnitude, 1);
    }

    // Like "%0<width>d": zero padding after the sign, never truncated.
    static char* zeroPadded(char* out, int value, int width) {
        unsigned magnitude = static_cast<unsigned>(value);
        if (value < 0) {
            *out++ = '-';
            magnitude = 0u - magnitude;
            --width;
        }
        return unsignedDecimal(out, magnitude, width);
    }

    // Exactly two digits of a value in 0-99.
    static char* twoDigits(char* out, int value) {
        out[0] = static_cast<char>('0' + value / 10);
        out[1] = static_cast<char>('0' + value % 10);
        return out + 2;
    }

private:
    static char* unsignedDecimal(char* out, unsigned value, int minDigits) {
        char digits[12];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        for (int pad = minDigits - count; pad > 0; --pad) {
            *out++ = '0';
        }
        while (count > 0) {
            *out++ = digits[--count];
        }
        return out;
    }
};

} // namespace logtools
