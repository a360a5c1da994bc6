#pragma once

#include "tools/treat/TreatmentTypes.h"

#include <string>
#include <string_view>

namespace logtools {

// What a charge must show: every core temperature at or above a threshold for a continuous
// time, with lines no further apart than the allowed gap.
//
// The threshold is held exactly, in hundredths of a degree of the scale it was given in, and
// turned into the lowest whole reading that passes in each scale by rounding up, never in the
// unit's favour: 56C is 132.8F, so a Fahrenheit line needs 133.
class TreatmentRule {
public:
    static constexpr int kDefaultThreshold = 5600; // hundredths
    static constexpr int kDefaultMinutes = 30;
    static constexpr int kDefaultMaxGapSeconds = 90;
    // Thresholds beyond this many hundredths are refused; the sensors read far less.
    static constexpr int kThresholdLimit = 100000;
    static constexpr int kMinutesLimit = 1000000;

    TreatmentRule() { setThreshold(kDefaultThreshold, Scale::Centigrade); }

    // "56C", "133F", "60c", "56.5C": a number with at most two decimals and the scale's letter.
    // False (and no change) for anything else.
    bool setThreshold(std::string_view text);
    void setThreshold(int hundredths, Scale scale);
    bool setMinutes(int minutes);
    bool setMaxGapSeconds(int seconds);

    int thresholdHundredths() const { return m_hundredths; }
    Scale thresholdScale() const { return m_scale; }
    int minutes() const { return m_minutes; }
    LogSeconds requiredSeconds() const { return LogSeconds{m_minutes} * 60; }
    LogSeconds maxGapSeconds() const { return m_maxGap; }

    // The lowest whole reading of a line in this scale that is at or above the threshold.
    int minimumReading(Scale scale) const {
        return scale == Scale::Centigrade ? m_minimumC : m_minimumF;
    }
    bool passes(int reading, Scale scale) const { return reading >= minimumReading(scale); }

    // Readings above 100C or 212F are what the log holds for a failed sensor.
    static int maximumValidReading(Scale scale) { return scale == Scale::Centigrade ? 100 : 212; }

    // "56C (132.8F)": the threshold as given, then in the other scale (to two decimals at most).
    std::string thresholdText() const;

private:
    int m_hundredths = kDefaultThreshold;
    Scale m_scale = Scale::Centigrade;
    int m_minimumC = 56;
    int m_minimumF = 133;
    int m_minutes = kDefaultMinutes;
    LogSeconds m_maxGap = kDefaultMaxGapSeconds;
};

} // namespace logtools
