#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using farmsim::Farm;
using farmsim::FarmConfig;
using farmsim::FaultRates;
using farmsim::Mode;
using farmsim::TimedByte;
using namespace simtest;

namespace {

FarmConfig Faulty(FaultRates rates, std::uint64_t seed = 11) {
    FarmConfig config;
    config.units = {UnitAt(1, Mode::Run), UnitAt(2), UnitAt(3, Mode::Run)};
    config.faults = rates;
    config.seed = seed;
    return config;
}

// A PC polling the three units once a second, taking its input in slices of sliceMs.
std::vector<TimedByte> Poll(Farm& farm, int seconds, std::int64_t sliceMs) {
    std::vector<TimedByte> heard;
    std::int64_t now = 0;
    for (int s = 1; s <= seconds; ++s) {
        const std::int64_t tick = s * 1000;
        for (; now + sliceMs < tick; now += sliceMs) {
            const auto part = farm.TakeOutputUpTo(now + sliceMs);
            heard.insert(heard.end(), part.begin(), part.end());
        }
        now = tick;
        farm.FromPc(Scan(static_cast<std::uint8_t>(1 + s % 3)), tick);
        if (s % 50 == 0) {
            farm.FromPc(SizeQuery(), tick + 500);
        }
    }
    const auto rest = farm.TakeOutputUpTo(now + 3000);
    heard.insert(heard.end(), rest.begin(), rest.end());
    return heard;
}

FaultRates Everything(double rate) {
    return {rate, rate, rate, rate, rate, rate, rate};
}

} // namespace

TEST(SimFaults, ASeedGivesTheSameRunHoweverFinelyTimeIsSliced) {
    Farm coarse(Faulty(Everything(0.05)));
    Farm fine(Faulty(Everything(0.05)));
    Farm otherSeed(Faulty(Everything(0.05), 12));
    const auto a = Poll(coarse, 400, 1000);
    const auto b = Poll(fine, 400, 7);
    const auto c = Poll(otherSeed, 400, 1000);
    EXPECT_GT(a.size(), 10000u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(coarse.Zrm()->LogBytes(), fine.Zrm()->LogBytes());
    EXPECT_EQ(coarse.Counters().carrierDrops, fine.Counters().carrierDrops);
}

TEST(SimFaults, EachFaultOccursAtRoughlyItsRate) {
    const FaultRates rates{0.10, 0.20, 0.05, 0.15, 0.08, 0.12, 0.0};
    Farm farm(Faulty(rates, 99));
    Poll(farm, 3000, 1000);
    const auto& c = farm.Counters();
    ASSERT_GE(c.repliesDue, 3000u);
    const double n = static_cast<double>(c.repliesDue);
    auto expectRate = [n](std::uint64_t count, double rate, double among, const char* what) {
        // Within five standard deviations of the binomial count.
        const double trials = n * among;
        const double sigma = std::sqrt(trials * rate * (1.0 - rate));
        EXPECT_NEAR(static_cast<double>(count), trials * rate, 5.0 * sigma + 1.0) << what;
    };
    expectRate(c.silenced, rates.silence, 1.0, "silence");
    const double sent = 1.0 - rates.silence;
    expectRate(c.badChecksum, rates.badChecksum, sent, "bad checksum");
    expectRate(c.missingByte, rates.missingByte, sent, "missing byte");
    expectRate(c.extraByte, rates.extraByte, sent, "extra byte");
    expectRate(c.noise, rates.noise, sent, "noise");
    expectRate(c.late, rates.late, sent, "late");
    EXPECT_EQ(c.carrierLoss, 0u);
}

TEST(SimFaults, EachFaultDoesWhatItSaysToTheReply) {
    auto onlyFault = [](double FaultRates::*which) {
        FaultRates rates;
        rates.*which = 1.0;
        Farm farm(Faulty(rates));
        return Exchange(farm, Scan(1), 1000);
    };
    EXPECT_TRUE(onlyFault(&FaultRates::silence).empty());

    const Bytes corrupt = onlyFault(&FaultRates::badChecksum);
    ASSERT_EQ(corrupt.size(), 60u);
    EXPECT_FALSE(ChecksumHolds(corrupt, 2));
    EXPECT_EQ(onlyFault(&FaultRates::missingByte).size(), 59u);
    EXPECT_EQ(onlyFault(&FaultRates::extraByte).size(), 61u);
    EXPECT_TRUE(onlyFault(&FaultRates::late).empty());

    const Bytes noisy = onlyFault(&FaultRates::noise);
    ASSERT_GE(noisy.size(), 61u);
    ASSERT_LE(noisy.size(), 64u);
    const Bytes tail(noisy.end() - 60, noisy.end());
    EXPECT_TRUE(ChecksumHolds(tail, 2));
    EXPECT_EQ(tail[0], 1);
}

TEST(SimFaults, LateReplyArrivesAfterTheNextTick) {
    FaultRates rates;
    rates.late = 1.0;
    Farm farm(Faulty(rates));
    farm.FromPc(Scan(1), 1000);
    EXPECT_TRUE(farm.TakeOutputUpTo(2000).empty());
    const auto late = farm.TakeOutputUpTo(3000);
    ASSERT_EQ(late.size(), 60u);
    EXPECT_GT(late.front().timeMs, 2000);
    EXPECT_FALSE(farm.Unit(1)->GetTraffic().statusOutcome.Deliverable());
    EXPECT_TRUE(farm.Unit(1)->GetTraffic().statusOutcome.Intact());
}

TEST(SimFaults, SilentUnitHearsQueriesButNeverAnswersOrLogs) {
    FarmConfig config = Faulty({});
    config.units[0].silent = true;
    Farm farm(config);
    for (int s = 1; s <= 7; ++s) {
        EXPECT_TRUE(Exchange(farm, Scan(1), s * 1000).empty());
    }
    EXPECT_EQ(farm.Unit(1)->GetTraffic().queriesSeen, 7u);
    EXPECT_EQ(farm.Unit(1)->GetTraffic().repliesSent, 0u);
    farm.AdvanceTo(60 * 1000);
    ASSERT_EQ(farm.Zrm()->RecordCount(), 1u);
    EXPECT_EQ(farm.Zrm()->LogBytes()[0], 3);
}

TEST(SimFaults, ADirectLineThatLosesItsCarrierComesBackAfterTheOutage) {
    FaultRates rates;
    rates.carrierLoss = 1.0;
    FarmConfig config = Faulty(rates);
    config.lineOutageMs = 3000;
    Farm farm(config);
    ASSERT_TRUE(farm.Carrier());
    const Bytes cut = Exchange(farm, Scan(1), 1000);
    EXPECT_LT(cut.size(), 60u);
    EXPECT_FALSE(farm.Carrier());
    EXPECT_TRUE(Exchange(farm, Scan(1), 2000).empty()) << "nothing passes while the line is down";
    farm.AdvanceTo(1000 + 3300);
    EXPECT_TRUE(farm.Carrier());
}

TEST(SimFaults, DroppedDirectLineStaysDownUntilRestored) {
    Farm farm(Faulty({}));
    farm.FromPc(Scan(1), 1000);
    farm.DropCarrier(1100);
    EXPECT_FALSE(farm.Carrier());
    EXPECT_LT(farm.TakeOutputUpTo(1999).size(), 60u);
    farm.AdvanceTo(60000);
    EXPECT_FALSE(farm.Carrier());
    farm.RestoreLine(60000);
    EXPECT_TRUE(farm.Carrier());
    EXPECT_EQ(Exchange(farm, Scan(1), 61000).size(), 60u);
}
