#include "tools/treat/UnitTreatment.h"

namespace logtools {

void UnitTreatment::endStretch(StretchEnd why, const LinePlace& at, int core, int reading) {
    if (!m_open) {
        return;
    }
    Stretch& s = m_stretches.back();
    s.end = why;
    s.endPlace = at;
    s.endCore = core;
    s.endReading = reading;
    m_open = false;
}

void UnitTreatment::countSpacing(LogSeconds spacing) {
    if (m_spacings.empty()) {
        m_spacings.assign(static_cast<std::size_t>(kSpacingRange) + 2, 0);
    }
    const std::size_t slot = spacing > kSpacingRange ? static_cast<std::size_t>(kSpacingRange) + 1
                                                     : static_cast<std::size_t>(spacing);
    ++m_spacings[slot];
}

void UnitTreatment::add(const CoreReading& reading, int file, std::int64_t line) {
    const LinePlace place{reading.time, file, line};
    if (m_lines > 0 && reading.time <= m_last.time) {
        ++m_outOfOrder;
        if (m_outOfOrderKept.size() < kMaxOutOfOrderKept) {
            m_outOfOrderKept.push_back(OutOfOrderLine{place, m_last});
        }
        return;
    }
    if (m_lines == 0) {
        m_first = place;
        m_firstScale = reading.scale;
    } else {
        const LogSeconds spacing = reading.time - m_last.time;
        countSpacing(spacing);
        if (spacing > m_rule.maxGapSeconds()) {
            m_gaps.push_back(LineGap{m_last, place});
            endStretch(StretchEnd::Gap, place, 0, 0);
            m_lastFaulty = false;
        }
    }
    ++m_lines;
    m_last = place;
    if (m_files.empty() || m_files.back() != file) {
        m_files.push_back(file);
    }
    if (m_keepReadings) {
        m_readings.push_back(reading);
    }

    // The first core out of its sensor's range, else the first below the threshold.
    const Scale scale = reading.scale;
    const int valid = TreatmentRule::maximumValidReading(scale);
    const int minimum = m_rule.minimumReading(scale);
    int faultCores = 0;
    int highest = 0;
    int coldCore = 0;
    int lowest = reading.core[0];
    for (int i = 0; i < 3; ++i) {
        const int value = reading.core[i];
        if (value > valid) {
            if (faultCores == 0 || value > highest) {
                highest = value;
            }
            faultCores |= 1 << i;
        } else if (value < minimum && coldCore == 0) {
            coldCore = i + 1;
        }
        if (value < lowest) {
            lowest = value;
        }
    }

    if (faultCores != 0) {
        int first = 1;
        while ((faultCores & (1 << (first - 1))) == 0) {
            ++first;
        }
        endStretch(StretchEnd::SensorFault, place, first, reading.core[first - 1]);
        if (m_lastFaulty && m_faults.back().scale == scale) {
            SensorFault& f = m_faults.back();
            f.last = place;
            f.cores |= faultCores;
            f.highest = highest > f.highest ? highest : f.highest;
            ++f.lines;
        } else {
            m_faults.push_back(SensorFault{place, place, scale, faultCores, highest, 1});
        }
        m_lastFaulty = true;
        return;
    }
    m_lastFaulty = false;
    if (coldCore != 0) {
        endStretch(StretchEnd::Cold, place, coldCore, reading.core[coldCore - 1]);
        return;
    }
    if (m_open && m_stretches.back().scale != scale) {
        endStretch(StretchEnd::ScaleChange, place, 0, 0);
    }
    if (m_open) {
        Stretch& s = m_stretches.back();
        s.last = place;
        s.lowest = lowest < s.lowest ? lowest : s.lowest;
        ++s.lines;
        return;
    }
    Stretch s;
    s.first = place;
    s.last = place;
    s.scale = scale;
    s.lowest = lowest;
    s.lines = 1;
    m_stretches.push_back(s);
    m_open = true;
}

void UnitTreatment::finish() {
    endStretch(StretchEnd::EndOfRecord, m_last, 0, 0);
}

Verdict UnitTreatment::verdict() const {
    Verdict v;
    const LogSeconds required = m_rule.requiredSeconds();
    for (std::size_t i = 0; i < m_stretches.size(); ++i) {
        const LogSeconds length = m_stretches[i].length();
        if (length >= required) {
            v.treated = true;
            v.stretch = static_cast<int>(i);
            v.shortBy = 0;
            return v;
        }
        if (v.stretch < 0 || length > m_stretches[static_cast<std::size_t>(v.stretch)].length()) {
            v.stretch = static_cast<int>(i);
        }
    }
    v.shortBy = v.stretch < 0
                    ? required
                    : required - m_stretches[static_cast<std::size_t>(v.stretch)].length();
    return v;
}

LogSeconds UnitTreatment::medianSpacing() const {
    std::uint64_t total = 0;
    for (const std::uint32_t count : m_spacings) {
        total += count;
    }
    if (total == 0) {
        return -1;
    }
    const std::uint64_t wanted = (total - 1) / 2; // the lower median
    std::uint64_t seen = 0;
    for (std::size_t s = 0; s < m_spacings.size(); ++s) {
        seen += m_spacings[s];
        if (seen > wanted) {
            return static_cast<LogSeconds>(s);
        }
    }
    return kSpacingRange + 1;
}

} // namespace logtools
