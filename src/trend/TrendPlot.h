#pragma once

#include "kiln/TrendStore.h"
#include "tools/treat/TreatmentRule.h"
#include "tools/treat/UnitTreatment.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the trend chart of one unit draws, worked out without any widget: each temperature as
// lines broken where the unit did not answer, the treatment threshold in the unit's own scale,
// and the stretches at threshold exactly as the treatment record (and so logtreat) finds them.
class TrendPlot {
public:
    static constexpr int kChannels = 4; // core 1, core 2, core 3, chamber

    struct Point {
        std::int64_t time = 0; // local seconds since 2000-01-01
        int value = 0;
    };
    using Segment = std::vector<Point>;
    struct Span {
        std::int64_t from = 0;
        std::int64_t to = 0;
        bool longEnough = false; // lasted the required time
    };

    // The curves of samples kept in memory for the connection. They are taken every minute
    // in every mode, so they judge nothing: the stretches and the verdict come from the PC
    // log's own lines through TakeTreatment.
    static TrendPlot FromSamples(int nodeId, const std::vector<TrendSample>& samples,
                                 const logtools::TreatmentRule& rule);
    // The stretches and verdict of the unit as a treatment record holds them; nullptr for a
    // unit the record has no line of (no stretch, not treated).
    void TakeTreatment(const logtools::UnitTreatment* unit, const logtools::TreatmentRule& rule);
    // From a PC log: the unit's lines, and the units the log holds. False, with a reason in
    // error, when the file cannot be read.
    static bool FromPcLog(const std::string& path, int nodeId, const logtools::TreatmentRule& rule,
                          TrendPlot& plot, std::vector<int>& unitsInLog, std::string& error);

    int NodeId() const { return m_nodeId; }
    bool Empty() const { return m_samples == 0; }
    std::size_t SampleCount() const { return m_samples; }
    bool Centigrade() const { return m_centigrade; }
    // The lowest whole reading that holds the threshold, in the unit's scale.
    int ThresholdReading() const { return m_threshold; }
    const std::vector<Segment>& Segments(int channel) const;
    const std::vector<Span>& Stretches() const { return m_stretches; }
    bool Treated() const { return m_treated; }
    std::int64_t FirstTime() const { return m_first; }
    std::int64_t LastTime() const { return m_last; }
    int Lowest() const { return m_lowest; }
    int Highest() const { return m_highest; }

private:
    void Build(int nodeId, const std::vector<TrendSample>& samples,
               const logtools::TreatmentRule& rule, std::int64_t medianSpacing);

    int m_nodeId = 0;
    std::size_t m_samples = 0;
    bool m_centigrade = true;
    int m_threshold = 0;
    std::array<std::vector<Segment>, kChannels> m_segments;
    std::vector<Span> m_stretches;
    bool m_treated = false;
    std::int64_t m_first = 0;
    std::int64_t m_last = 0;
    int m_lowest = 0;
    int m_highest = 0;
};
