#pragma once

#include <climits>
#include <cstring>

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

// "%d" of 0 to 9999, left-aligned in four characters, and its length: a line can then take the
// four characters in one copy and move on by the length, without a branch per digit.
struct ShortDecimals {
    char text[10000][4];
    unsigned char length[10000];
    constexpr ShortDecimals() : text(), length() {
        for (int i = 0; i < 10000; ++i) {
            const int digits = i >= 1000 ? 4 : i >= 100 ? 3 : i >= 10 ? 2 : 1;
            int value = i;
            for (int d = digits - 1; d >= 0; --d) {
                text[i][d] = static_cast<char>('0' + value % 10);
                value /= 10;
            }
            length[i] = static_cast<unsigned char>(digits);
        }
    }
};
inline constexpr ShortDecimals kShortDecimals{};
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

    // Like "%d", for the small values of records. Writes four characters whatever the length,
    // so out needs room for four.
    static char* shortDecimal(char* out, int value) {
        if (value < 0 || value > 9999) {
            return decimal(out, value);
        }
        std::memcpy(out, detail::kShortDecimals.text[value], 4);
        return out + detail::kShortDecimals.length[value];
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
