#include "tools/treat/TreatmentRule.h"

namespace logtools {

namespace {

// Division rounding towards minus and plus infinity, for a positive divisor.
long long floorDiv(long long a, long long b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

long long ceilDiv(long long a, long long b) {
    return -floorDiv(-a, b);
}

long long roundDiv(long long a, long long b) {
    return floorDiv(2 * a + b, 2 * b);
}

// Hundredths as "56", "132.8" or "56.11".
std::string degreesText(long long hundredths) {
    std::string text;
    if (hundredths < 0) {
        text += '-';
        hundredths = -hundredths;
    }
    text += std::to_string(hundredths / 100);
    const int fraction = static_cast<int>(hundredths % 100);
    if (fraction != 0) {
        text += '.';
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) {
            text += static_cast<char>('0' + fraction % 10);
        }
    }
    return text;
}

} // namespace

bool TreatmentRule::setThreshold(std::string_view text) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    long long value = 0;
    int digits = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 8; ++pos) {
        value = value * 10 + (text[pos] - '0');
        ++digits;
    }
    if (digits == 0) {
        return false;
    }
    value *= 100;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        int decimals = 0;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
            if (++decimals > 2) {
                return false;
            }
            value += (text[pos] - '0') * (decimals == 1 ? 10 : 1);
        }
        if (decimals == 0) {
            return false;
        }
    }
    if (pos + 1 != text.size() || value > kThresholdLimit) {
        return false;
    }
    Scale scale;
    if (text[pos] == 'C' || text[pos] == 'c') {
        scale = Scale::Centigrade;
    } else if (text[pos] == 'F' || text[pos] == 'f') {
        scale = Scale::Fahrenheit;
    } else {
        return false;
    }
    setThreshold(static_cast<int>(negative ? -value : value), scale);
    return true;
}

void TreatmentRule::setThreshold(int hundredths, Scale scale) {
    m_hundredths = hundredths;
    m_scale = scale;
    const long long t = hundredths;
    if (scale == Scale::Centigrade) {
        // F = C * 9 / 5 + 32, so the threshold is (9t + 16000) / 5 hundredths of a degree F.
        m_minimumC = static_cast<int>(ceilDiv(t, 100));
        m_minimumF = static_cast<int>(ceilDiv(9 * t + 16000, 500));
    } else {
        // C = (F - 32) * 5 / 9, so the threshold is (t - 3200) * 5 / 9 hundredths of a degree C.
        m_minimumF = static_cast<int>(ceilDiv(t, 100));
        m_minimumC = static_cast<int>(ceilDiv(t - 3200, 180));
    }
}

bool TreatmentRule::setMinutes(int minutes) {
    if (minutes < 0 || minutes > kMinutesLimit) {
        return false;
    }
    m_minutes = minutes;
    return true;
}

bool TreatmentRule::setMaxGapSeconds(int seconds) {
    if (seconds < 1) {
        return false;
    }
    m_maxGap = seconds;
    return true;
}

std::string TreatmentRule::thresholdText() const {
    const long long t = m_hundredths;
    const bool centigrade = m_scale == Scale::Centigrade;
    const long long other = centigrade ? roundDiv(9 * t + 16000, 5) : roundDiv((t - 3200) * 5, 9);
    return degreesText(t) + scaleLetter(m_scale) + " (" + degreesText(other) +
           (centigrade ? "F)" : "C)");
}

} // namespace logtools
