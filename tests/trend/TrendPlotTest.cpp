#include "trend/TrendPlot.h"

#include "support/EngineFakes.h"
#include "tools/treat/TreatmentRecord.h"
#include "trend/TrendTestLog.h"

#include <gtest/gtest.h>

namespace {

TrendSample Sample(std::int64_t time, int core, bool centigrade = true) {
    TrendSample sample;
    sample.time = time;
    sample.core = {core, core, core};
    sample.chamber = core + 10;
    sample.centigrade = centigrade;
    return sample;
}

} // namespace

TEST(TrendPlot, ASilenceOrAReadingLeftOutBreaksTheLine) {
    std::vector<TrendSample> samples;
    for (int minute = 0; minute < 10; ++minute) {
        samples.push_back(Sample(minute * 60, 57));
    }
    samples[3].invalidMask = 0x1; // core 1 only
    samples[6].gapBefore = true;  // every channel
    samples[8].core[1] = 101;     // above the Centigrade range: a failed sensor
    const TrendPlot plot = TrendPlot::FromSamples(3, samples, logtools::TreatmentRule{});

    ASSERT_EQ(plot.Segments(0).size(), 3u);
    EXPECT_EQ(plot.Segments(0)[0].size(), 3u);
    EXPECT_EQ(plot.Segments(0)[1].size(), 2u);
    EXPECT_EQ(plot.Segments(0)[2].size(), 4u);
    EXPECT_EQ(plot.Segments(1).size(), 3u) << "the gap, then the failed reading";
    EXPECT_EQ(plot.Segments(3).size(), 2u);
    EXPECT_EQ(plot.Highest(), 67) << "the failed reading is no temperature";
    EXPECT_TRUE(plot.Segments(4).empty());
}

TEST(TrendPlot, AUnitSwitchedToFahrenheitShowsItsEarlierReadingsAsAGap) {
    const std::vector<TrendSample> samples = {Sample(0, 57), Sample(60, 57),
                                              Sample(120, 134, false), Sample(180, 135, false)};
    const TrendPlot plot = TrendPlot::FromSamples(4, samples, logtools::TreatmentRule{});
    EXPECT_FALSE(plot.Centigrade());
    EXPECT_EQ(plot.ThresholdReading(), 133);
    ASSERT_EQ(plot.Segments(0).size(), 1u);
    EXPECT_EQ(plot.Segments(0)[0].front().time, 120);
}

TEST(TrendPlot, StretchesOfAPcLogAreTheTreatmentRecordsOwn) {
    ScratchDirectory dir;
    const std::string path = WriteTwoUnitPcLog(dir.Path());
    logtools::TreatmentRule rule;
    TrendPlot plot;
    std::vector<int> units;
    std::string error;
    ASSERT_TRUE(TrendPlot::FromPcLog(path, 3, rule, plot, units, error)) << error;
    EXPECT_EQ(units, (std::vector<int>{3, 4}));

    logtools::TreatmentRecord record(rule);
    ASSERT_TRUE(record.readFile(path));
    record.finish();
    const auto& expected = record.unit(3)->stretches();
    ASSERT_EQ(plot.Stretches().size(), expected.size());
    ASSERT_EQ(expected.size(), 2u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plot.Stretches()[i].from, expected[i].first.time);
        EXPECT_EQ(plot.Stretches()[i].to, expected[i].last.time);
    }
    EXPECT_TRUE(plot.Stretches()[0].longEnough);
    EXPECT_EQ(plot.Treated(), record.unit(3)->verdict().treated);
    EXPECT_EQ(plot.Segments(0).size(), 2u) << "the missing lines are a gap in the line too";
}

TEST(TrendPlot, ALogThatCannotBeOpenedSaysSoAndLeavesThePlot) {
    ScratchDirectory dir;
    TrendPlot plot = TrendPlot::FromSamples(3, {Sample(0, 57)}, logtools::TreatmentRule{});
    std::vector<int> units;
    std::string error;
    EXPECT_FALSE(TrendPlot::FromPcLog(dir.Path() + "/missing.CSV", 3, logtools::TreatmentRule{},
                                      plot, units, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(plot.SampleCount(), 1u);
}
