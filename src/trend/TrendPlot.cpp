#include "trend/TrendPlot.h"

#include "tools/treat/PcLogLineParser.h"
#include "tools/treat/TreatmentRecord.h"

#include <algorithm>
#include <fstream>
#include <set>

namespace {

TrendSample SampleOf(const logtools::CoreReading& reading) {
    TrendSample sample;
    sample.time = reading.time;
    sample.centigrade = reading.scale == logtools::Scale::Centigrade;
    std::copy(reading.core, reading.core + 3, sample.core.begin());
    sample.chamber = reading.chamber;
    return sample;
}

std::int64_t MedianSpacing(const std::vector<TrendSample>& samples) {
    if (samples.size() < 2) {
        return -1;
    }
    std::vector<std::int64_t> spacings;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        spacings.push_back(samples[i].time - samples[i - 1].time);
    }
    std::nth_element(spacings.begin(), spacings.begin() + (spacings.size() - 1) / 2,
                     spacings.end());
    return spacings[(spacings.size() - 1) / 2];
}

} // namespace

const std::vector<TrendPlot::Segment>& TrendPlot::Segments(int channel) const {
    static const std::vector<Segment> kNone;
    return channel >= 0 && channel < kChannels ? m_segments[static_cast<std::size_t>(channel)]
                                               : kNone;
}

TrendPlot TrendPlot::FromSamples(int nodeId, const std::vector<TrendSample>& samples,
                                 const logtools::TreatmentRule& rule) {
    TrendPlot plot;
    plot.Build(nodeId, samples, rule, MedianSpacing(samples));
    return plot;
}

void TrendPlot::TakeTreatment(const logtools::UnitTreatment* unit,
                              const logtools::TreatmentRule& rule) {
    m_stretches.clear();
    m_treated = false;
    if (unit == nullptr) {
        return;
    }
    for (const logtools::Stretch& s : unit->stretches()) {
        m_stretches.push_back({s.first.time, s.last.time, s.length() >= rule.requiredSeconds()});
    }
    m_treated = unit->verdict().treated;
}

bool TrendPlot::FromPcLog(const std::string& path, int nodeId, const logtools::TreatmentRule& rule,
                          TrendPlot& plot, std::vector<int>& unitsInLog, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be opened";
        return false;
    }
    // The record reads the file as logtreat does; the parser picks out the unit's own lines.
    logtools::TreatmentRecord record(rule);
    logtools::PcLogLineParser parser;
    std::vector<TrendSample> samples;
    std::set<int> units;
    record.beginFile(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        record.addLine(line);
        logtools::CoreReading reading;
        const char* reason = nullptr;
        if (parser.parse(line, reading, reason) == logtools::PcLogLineParser::Result::Reading) {
            units.insert(reading.unit);
            if (reading.unit == nodeId && (samples.empty() || reading.time > samples.back().time)) {
                samples.push_back(SampleOf(reading));
            }
        }
    }
    if (in.bad()) {
        error = "could not be read to its end";
        return false;
    }
    record.finish();
    unitsInLog.assign(units.begin(), units.end());
    plot = TrendPlot{};
    const logtools::UnitTreatment* unit = record.unit(nodeId);
    plot.Build(nodeId, samples, rule, unit != nullptr ? unit->medianSpacing() : -1);
    plot.TakeTreatment(unit, rule);
    return true;
}

void TrendPlot::Build(int nodeId, const std::vector<TrendSample>& samples,
                      const logtools::TreatmentRule& rule, std::int64_t medianSpacing) {
    m_nodeId = nodeId;
    m_samples = samples.size();
    if (samples.empty()) {
        m_threshold = rule.minimumReading(logtools::Scale::Centigrade);
        return;
    }
    // The unit's scale is that of its latest reading; a unit switched over shows its readings
    // before the switch as a gap rather than in the wrong scale.
    m_centigrade = samples.back().centigrade;
    m_threshold = rule.minimumReading(m_centigrade ? logtools::Scale::Centigrade
                                                   : logtools::Scale::Fahrenheit);
    m_first = samples.front().time;
    m_last = samples.back().time;
    // Lines are broken where the unit went silent, or where readings are much further apart
    // than usual for this unit (a large farm asks each unit only every few minutes).
    const std::int64_t allowed = std::max<std::int64_t>(rule.maxGapSeconds(), 3 * medianSpacing);
    m_lowest = m_threshold;
    const int maximum = logtools::TreatmentRule::maximumValidReading(
        m_centigrade ? logtools::Scale::Centigrade : logtools::Scale::Fahrenheit);
    m_highest = m_threshold;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const TrendSample& s = samples[i];
        const bool broken = i == 0 || s.gapBefore || s.time - samples[i - 1].time > allowed;
        for (int channel = 0; channel < kChannels; ++channel) {
            auto& segments = m_segments[static_cast<std::size_t>(channel)];
            const int value = channel < 3 ? s.core[static_cast<std::size_t>(channel)] : s.chamber;
            // A failed sensor reads above its range; such a reading is no temperature.
            const bool valid = s.centigrade == m_centigrade &&
                               (s.invalidMask & (1u << channel)) == 0 && value <= maximum;
            // A reading left out breaks the line as a gap does: the line does not run across
            // it. Pieces left empty are dropped below.
            if ((broken || !valid) && (segments.empty() || !segments.back().empty())) {
                segments.emplace_back();
            }
            if (!valid) {
                continue;
            }
            segments.back().push_back({s.time, value});
            m_lowest = std::min(m_lowest, value);
            m_highest = std::max(m_highest, value);
        }
    }
    for (auto& segments : m_segments) {
        std::erase_if(segments, [](const Segment& segment) { return segment.empty(); });
    }
}
