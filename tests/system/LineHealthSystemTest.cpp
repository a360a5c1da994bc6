#include "app/LocalSeconds.h"
#include "system/FarmHarness.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <map>

namespace {

farmsim::UnitConfig RunningUnit(int nodeId) {
    farmsim::UnitConfig unit;
    unit.nodeId = nodeId;
    unit.idCode = static_cast<std::uint8_t>(nodeId);
    unit.mode = farmsim::Mode::Run;
    unit.centigrade = nodeId % 2 == 0;
    return unit;
}

// What the simulator did with every status query of one unit, tallied the way the program
// must count it.
struct Truth {
    std::uint64_t queries = 0;
    std::uint64_t delivered = 0;
    std::uint64_t refusable = 0; // sent, but not as the PC takes a reply
    std::uint64_t giveUps = 0;
    int failuresInVisit = 0;
    std::uint64_t queriesSeen = 0;
};

// Reads each unit's latest outcome once the line has had the whole second of a query.
class TruthRecorder {
public:
    explicit TruthRecorder(FarmHarness& h) : m_h(h) {}

    void Record() {
        for (const auto& unit : m_h.Sim().Units()) {
            Truth& t = m_truth[unit.NodeId()];
            const auto& traffic = unit.GetTraffic();
            if (traffic.queriesSeen == t.queriesSeen) {
                continue;
            }
            t.queriesSeen = traffic.queriesSeen;
            ++t.queries;
            const farmsim::ReplyOutcome outcome =
                unit.Silent() ? farmsim::ReplyOutcome{} : traffic.statusOutcome;
            if (outcome.Deliverable()) {
                ++t.delivered;
                t.failuresInVisit = 0;
                continue;
            }
            if (outcome.sent) {
                ++t.refusable;
            }
            if (++t.failuresInVisit == 7) {
                ++t.giveUps;
                t.failuresInVisit = 0;
            }
        }
    }

    const Truth& Of(int nodeId) { return m_truth[nodeId]; }

private:
    FarmHarness& m_h;
    std::map<int, Truth> m_truth;
};

// The unit the last tick asked, whose answer the program has not seen yet; 0 for none.
int UnitAskedInLastTick(FarmHarness& h) {
    if (h.WritesInLastTick() != 1) {
        return 0;
    }
    const auto& frame = h.Line().Writes().back().bytes;
    return frame.size() == 4 && frame[1] == 0x51 ? frame[0] : 0;
}

} // namespace

TEST(LineHealthOnTheLine, CountsEqualWhatTheSimulatorSentAndDropped) {
    for (const std::uint64_t seed : {7u, 1206u, 90210u}) {
        farmsim::FarmConfig config;
        config.seed = seed;
        for (const int node : {2, 3, 7, 8, 11, 40}) {
            config.units.push_back(RunningUnit(node));
        }
        config.units[2].silent = true; // unit 7
        config.faults.silence = 0.05;
        config.faults.badChecksum = 0.04;
        config.faults.missingByte = 0.03;
        config.faults.extraByte = 0.03;
        config.faults.noise = 0.02;
        FarmHarness h(config, seed);
        h.ConfigureFarm();
        TruthRecorder truth(h);
        h.beforeTick = [&](int) { truth.Record(); };

        h.Doc().FarmConnect(0);
        h.RunTicks(3 * 3600);

        const LineHealth& health = h.Doc().Health();
        const int pending = UnitAskedInLastTick(h);
        for (const int node : {2, 3, 7, 8, 11, 40}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + " unit " + std::to_string(node));
            const UnitLineHealth* u = health.Unit(node);
            ASSERT_NE(u, nullptr);
            const Truth& t = truth.Of(node);
            EXPECT_EQ(u->polls - (node == pending ? 1u : 0u), t.queries);
            EXPECT_EQ(t.queries, t.queriesSeen);
            EXPECT_EQ(u->goodReplies, t.delivered);
            EXPECT_EQ(u->noValidReply, t.queries - t.delivered);
            EXPECT_EQ(u->refused, t.refusable);
            EXPECT_EQ(u->giveUps, t.giveUps);
        }
        EXPECT_GT(truth.Of(3).refusable, 10u) << "the faults must have been exercised";
        EXPECT_GT(truth.Of(7).giveUps, 100u) << "the silent unit is given up visit after visit";

        const auto ordered = health.FailingFirst(h.Doc().LocalNow());
        ASSERT_FALSE(ordered.empty());
        EXPECT_EQ(ordered.front().nodeId, 7);
        EXPECT_EQ(ordered.front().lastGoodReply, -1);
        EXPECT_EQ(ordered.front().goodReplies, 0u);
    }
}

TEST(LineHealthOnTheLine, StartsAfreshAtEachConnection) {
    farmsim::FarmConfig config;
    config.units = {RunningUnit(1), RunningUnit(2)};
    FarmHarness h(config, 3);
    h.ConfigureFarm();
    h.Doc().FarmConnect(0);
    h.RunTicks(120);
    ASSERT_GT(h.Doc().Health().Unit(1)->goodReplies, 10u);
    ASSERT_GT(h.Doc().Trends().SampleCount(1), 0u);

    h.Doc().fARMdISCONNECT(0);
    h.RunTicks(20);
    ASSERT_FALSE(h.Doc().Farm(0).m_bFarmIsConnected);
    h.Doc().FarmConnect(0);
    h.RunTicks(3);
    EXPECT_EQ(h.Doc().Health().Unit(1)->goodReplies, 0u);
    EXPECT_EQ(h.Doc().Trends().SampleCount(1), 0u);
    EXPECT_LE(h.Doc().Trends().ConnectionStart(), h.Doc().LocalNow());
    EXPECT_GT(h.Doc().Trends().ConnectionStart(), h.Doc().LocalNow() - 10);
}

TEST(TrendsOnTheLine, UnitThatWasGivenUpResumesAfterAGap) {
    farmsim::FarmConfig config;
    config.units = {RunningUnit(4), RunningUnit(5)};
    FarmHarness h(config, 5);
    h.ConfigureFarm();
    // Unit 5 loses its link for ten minutes in the middle of the run.
    h.beforeTick = [&](int tick) { h.Sim().Unit(5)->SetSilent(tick > 600 && tick <= 1200); };
    h.Doc().FarmConnect(0);
    h.RunTicks(1800);

    const auto samples = h.Doc().Trends().Samples(5);
    int gaps = 0;
    std::int64_t silentFrom = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i].gapBefore) {
            ++gaps;
            silentFrom = samples[i - 1].time;
            EXPECT_GE(samples[i].time - silentFrom, 600 - 60);
        }
        EXPECT_GT(samples[i].time / 60, samples[i - 1].time / 60) << "one sample a minute";
    }
    EXPECT_EQ(gaps, 1);
    EXPECT_GT(samples.size(), 15u);
    for (const auto& s : h.Doc().Trends().Samples(4)) {
        EXPECT_FALSE(s.gapBefore);
    }
}

TEST(WholeSystemLongRun, TrendStoreOfAFullFarmStaysWithinItsBoundForADay) {
    const std::uint64_t seed = 24;
    farmsim::FarmConfig config;
    config.seed = seed;
    for (int node = 1; node <= 254; ++node) {
        config.units.push_back(RunningUnit(node));
    }
    config.faults = EverydayFaults(0.02);
    FarmHarness h(config, seed);
    h.ConfigureFarm();
    h.Doc().FarmConnect(0);
    h.RunTicks(24 * 3600);

    const TrendStore& trends = h.Doc().Trends();
    std::size_t samples = 0;
    std::size_t most = 0;
    for (int node = 1; node <= 254; ++node) {
        samples += trends.SampleCount(node);
        most = std::max(most, trends.SampleCount(node));
    }
    const std::size_t bound =
        sizeof(TrendStore) + 254 * TrendStore::kMaxSamplesPerUnit * TrendStore::kSampleBytes;
    std::printf("trend store after 24 h of 254 units: %zu samples (at most %zu for a unit), "
                "%zu bytes; bound %zu bytes\n",
                samples, most, trends.MemoryBytes(), bound);
    RecordProperty("trend_store_bytes", std::to_string(trends.MemoryBytes()));
    EXPECT_LE(trends.MemoryBytes(), bound);
    EXPECT_LE(most, TrendStore::kMaxSamplesPerUnit);
    EXPECT_GT(samples, 254u * 300u);
}
