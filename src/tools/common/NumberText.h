#pragma once

#include <climits>

namespace logtools {

namespace detail {
// "0000" to "9999": the values of records and lines fit in four digits, so the common case is a
// few table copies.
struct FourDigits {
    char text[10000][4];
    constexpr FourDigits() : text() {
        for (int i = 0; i < 10000; ++i) {
            text[i][0] = static_cast<char>('0' + i / 1000);
            text[i][1] = static_cast<char>('0' + i / 100 % 10);
            text[i][2] = static_cast<char>('0' + i / 10 % 10);
            text[i][3] = static_cast<char>('0' + i % 10);
        }
    }
};
inline constexpr FourDigits kFourDigits{};
} // namespace detail

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
        if (value < 10000 && minDigits <= 5) {
            const int digits = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
            const int shown = digits > minDigits ? digits : minDigits;
            if (shown == 5) {
                *out++ = '0';
            }
            const int fromTable = shown > 4 ? 4 : shown;
            for (int i = 4 - fromTable; i < 4; ++i) {
                *out++ = detail::kFourDigits.text[value][i];
            }
            return out;
        }
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
