#include "kiln/TrendStore.h"

#include <gtest/gtest.h>

namespace {

TrendSample At(std::int64_t time, int core = 50) {
    TrendSample s;
    s.time = time;
    s.core = {core, core + 1, core + 2};
    s.chamber = core + 10;
    s.centigrade = true;
    return s;
}

} // namespace

TEST(TrendStore, KeepsTheFirstReadingOfEachMinute) {
    TrendStore store;
    store.Reset(1000 * 60);
    store.AddSample(3, At(1000 * 60 + 5, 40));
    store.AddSample(3, At(1000 * 60 + 50, 41)); // same minute
    store.AddSample(3, At(1001 * 60 + 2, 42));
    store.AddSample(3, At(1000 * 60 + 30, 43)); // earlier than the latest: dropped
    const auto samples = store.Samples(3);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].core[0], 40);
    EXPECT_EQ(samples[1].core[0], 42);
    EXPECT_EQ(samples[1].time, 1001 * 60 + 2);
    EXPECT_EQ(samples[1].chamber, 52);
    EXPECT_TRUE(samples[1].centigrade);
}

TEST(TrendStore, RefusesNodesOutsideTheUnitRangeAndTimesBeforeTheConnection) {
    TrendStore store;
    store.Reset(600);
    for (const int node : {0, 255, -1, 1000}) {
        store.AddSample(node, At(700));
        store.NoteSilence(node);
        EXPECT_TRUE(store.Samples(node).empty());
        EXPECT_EQ(store.SampleCount(node), 0u);
    }
    store.AddSample(1, At(599));
    EXPECT_EQ(store.SampleCount(1), 0u);
}

TEST(TrendStore, MarksTheSampleAfterASilence) {
    TrendStore store;
    store.Reset(0);
    store.AddSample(9, At(60));
    store.NoteSilence(9);
    store.NoteSilence(9);
    store.AddSample(9, At(600));
    store.AddSample(9, At(660));
    const auto samples = store.Samples(9);
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_FALSE(samples[0].gapBefore);
    EXPECT_TRUE(samples[1].gapBefore);
    EXPECT_FALSE(samples[2].gapBefore);
}

TEST(TrendStore, DropsTheOldestOnceAUnitHoldsADayAndNeverGrowsPastTheBound) {
    TrendStore store;
    store.Reset(0);
    const std::size_t extra = 100;
    for (std::size_t i = 0; i < TrendStore::kMaxSamplesPerUnit + extra; ++i) {
        store.AddSample(254, At(static_cast<std::int64_t>(i) * 60, static_cast<int>(i % 90)));
    }
    const auto samples = store.Samples(254);
    ASSERT_EQ(samples.size(), TrendStore::kMaxSamplesPerUnit);
    EXPECT_EQ(samples.front().time, static_cast<std::int64_t>(extra) * 60);
    EXPECT_EQ(samples.back().time,
              static_cast<std::int64_t>(TrendStore::kMaxSamplesPerUnit + extra - 1) * 60);
    for (std::size_t i = 1; i < samples.size(); ++i) {
        ASSERT_LT(samples[i - 1].time, samples[i].time);
    }
    EXPECT_LE(store.MemoryBytes(),
              sizeof(TrendStore) + TrendStore::kMaxSamplesPerUnit * TrendStore::kSampleBytes);
    store.Reset(0);
    EXPECT_EQ(store.MemoryBytes(), sizeof(TrendStore)) << "a new connection gives memory back";
}

TEST(TrendStore, ReadingsAreConvertedAsTheLogWritesThemAndBadSensorsMarked) {
    TrendStore store;
    store.Reset(0);
    KilnRecord record;
    record.m_bCentigrade = 0;
    record.m_wRtd = {static_cast<std::uint16_t>(140 * 20), static_cast<std::uint16_t>(141 * 20),
                     0xFFF0u /* a very cold reading, still valid */, 4241u /* no reading */};
    store.AddReading(2, 60, record);
    const auto samples = store.Samples(2);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_EQ(samples[0].core[0], 140);
    EXPECT_EQ(samples[0].core[1], 141);
    EXPECT_FALSE(samples[0].centigrade);
    EXPECT_EQ(samples[0].invalidMask, 0b1000);
}
