#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using farmsim::Farm;
using farmsim::FarmConfig;
using farmsim::Mode;
using namespace simtest;

namespace {

FarmConfig TwoUnits() {
    FarmConfig config;
    config.units = {UnitAt(1, Mode::Run), UnitAt(2)};
    return config;
}

} // namespace

TEST(SimLine, StatusReplyTakes250MsOnTheLineAfterTheQueryAndTheTurnaround) {
    FarmConfig config = TwoUnits();
    config.turnaroundMs = 20;
    Farm farm(config);
    farm.FromPc(Scan(1), 1000);
    // The query needs 4 x 10 bits at 2400 bit/s = 16.7 ms, then 20 ms of turnaround: the first
    // reply byte starts at 1036.7 ms, and the 60th is complete 250 ms after that.
    EXPECT_TRUE(farm.TakeOutputUpTo(1040).empty());
    EXPECT_EQ(farm.TakeOutputUpTo(1041).size(), 1u);
    EXPECT_EQ(farm.TakeOutputUpTo(1286).size(), 58u);
    const auto last = farm.TakeOutputUpTo(1287);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].timeMs, 1287);
    EXPECT_EQ(farm.NextActivityMs(), std::nullopt);
}

TEST(SimLine, SlowerLinesStretchEveryByte) {
    FarmConfig config = TwoUnits();
    config.bitsPerSecond = 1200;
    config.turnaroundMs = 0;
    Farm farm(config);
    farm.FromPc(Scan(1), 0);
    // 4 bytes in, 60 bytes out: 64 x 10 bits at 1200 bit/s.
    const auto reply = farm.TakeOutputUpTo(1000);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_EQ(reply.back().timeMs, 534);
}

TEST(SimLine, NextActivityPointsAtTheNextByteForTheCaller) {
    Farm farm(TwoUnits());
    farm.FromPc(Scan(1), 1000);
    std::int64_t now = 1000;
    std::size_t bytes = 0;
    while (const auto next = farm.NextActivityMs()) {
        ASSERT_GT(*next, now);
        now = *next;
        bytes += farm.TakeOutputUpTo(now).size();
    }
    EXPECT_EQ(bytes, 60u);
}

TEST(SimFraming, UnitsAnswerOnlyValidQueriesAddressedToThem) {
    Farm farm(TwoUnits());
    EXPECT_TRUE(Exchange(farm, Scan(9), 1000).empty());
    Bytes badSum = Scan(1);
    badSum[3] ^= 0x40;
    EXPECT_TRUE(Exchange(farm, badSum, 2000).empty());
    EXPECT_TRUE(Exchange(farm, Sealed({255, 'Q'}), 3000).empty());
    EXPECT_TRUE(Exchange(farm, Sealed({1, 'A'}), 4000).empty());
    EXPECT_EQ(Exchange(farm, Scan(2), 5000).at(0), 2);
    EXPECT_EQ(farm.Unit(1)->GetTraffic().queriesSeen, 0u);
    EXPECT_EQ(farm.Unit(2)->GetTraffic().queriesSeen, 1u);
    EXPECT_EQ(farm.Receiver().BadChecksumFrames(), 1u);
}

TEST(SimFraming, AFrameStartsAfterASilentPeriodOrRightAfterAGoodFrame) {
    Farm farm(TwoUnits());
    // Glued to leading garbage, a query is not found...
    Bytes glued = {0x00, 0x7F};
    const Bytes scan = Scan(1);
    glued.insert(glued.end(), scan.begin(), scan.end());
    EXPECT_TRUE(Exchange(farm, glued, 1000).empty());
    // ...but two queries back to back are both answered, one after the other.
    Bytes twice = Scan(1);
    const Bytes second = Scan(2);
    twice.insert(twice.end(), second.begin(), second.end());
    const Bytes both = Exchange(farm, twice, 2000);
    ASSERT_EQ(both.size(), 120u);
    EXPECT_EQ(both[0], 1);
    EXPECT_EQ(both[60], 2);
}

TEST(SimFraming, AQueryWrittenInPiecesIsOneFrameUnlessTheLineFallsSilentBetween) {
    FarmConfig config = TwoUnits();
    config.frameGapMs = 20;
    Farm farm(config);
    const Bytes scan = Scan(1);
    const Bytes head(scan.begin(), scan.begin() + 2);
    const Bytes tail(scan.begin() + 2, scan.end());

    farm.FromPc(head, 1000);
    farm.FromPc(tail, 1005);
    EXPECT_EQ(Values(farm.TakeOutputUpTo(1999)).size(), 60u);

    farm.FromPc(head, 2000);
    farm.FromPc(tail, 2100);
    EXPECT_TRUE(farm.TakeOutputUpTo(2999).empty());
    EXPECT_EQ(Exchange(farm, scan, 3000).size(), 60u);
}

TEST(SimFraming, GarbageFromThePcNeverStopsTheNextQueryAfterASilentPeriod) {
    FarmConfig config = TwoUnits();
    config.modem.present = false;
    Farm farm(config);
    // The connection burst of a newly connected PC, then arbitrary bytes in arbitrary chunks.
    EXPECT_TRUE(Exchange(farm, Bytes(480, 0x00), 1000).empty());
    std::mt19937 random(7);
    std::int64_t now = 2000;
    for (int burst = 0; burst < 300; ++burst) {
        Bytes junk(static_cast<std::size_t>(random() % 90));
        for (auto& b : junk) {
            b = static_cast<std::uint8_t>(random());
        }
        farm.FromPc(junk, now);
        now += static_cast<std::int64_t>(random() % 50);
    }
    // The PC's line is busy with all that for a while; whatever comes of it is let through.
    while (const auto next = farm.NextActivityMs()) {
        now = *next;
        farm.TakeOutputUpTo(now);
    }
    const Bytes reply = Exchange(farm, Scan(2), now + 1000);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_EQ(reply[0], 2);
}

TEST(SimZrm, SizeReplyCountsTenBytesPerRunningUnitPerMinute) {
    FarmConfig config;
    config.units = {UnitAt(1, Mode::Run), UnitAt(2, Mode::Run), UnitAt(3, Mode::Standby)};
    Farm farm(config);
    EXPECT_EQ(Exchange(farm, SizeQuery(), 1000), Sealed({255, 'D', 0, 0, 0}));

    const Bytes reply = Exchange(farm, SizeQuery(), 3 * 60 * 1000);
    EXPECT_EQ(reply, Sealed({255, 'D', 0, 0, 2 * 3 * 10}));
    ASSERT_NE(farm.Zrm(), nullptr);
    EXPECT_EQ(farm.Zrm()->ByteCount(), 60u);
    EXPECT_EQ(farm.Zrm()->QueriesSeen(), 2u);
}

TEST(SimZrm, LogRecordsHoldUnitTimeAlarmAndReadingsInTheLogLayout) {
    using farmsim::AlarmStation;
    const auto example = AlarmStation::EncodeRecord(5, 0, 1, 100, 50, 250, false);
    EXPECT_EQ(Bytes(example.begin(), example.end()),
              (Bytes{0x05, 0x00, 0x00, 0x01, 0x00, 0xC8, 0x00, 0x64, 0x01, 0xF4}));

    FarmConfig config;
    config.units = {UnitAt(4, Mode::Run)};
    config.units[0].alarm = farmsim::AlarmScenario::ForceLow;
    config.zrmLogIntervalMs = 10 * 60 * 1000;
    config.zrmStartTimeCount = farmsim::LogTimeCount(4, 12, 6, 14, 30);
    Farm farm(config);
    farm.AdvanceTo(20 * 60 * 1000);
    const Bytes& log = farm.Zrm()->LogBytes();
    ASSERT_EQ(log.size(), 20u);
    const Bytes second(log.begin() + 10, log.end());
    EXPECT_EQ(second[0], 4);
    const int timeCount = second[1] * 16384 + second[2] * 64 + (second[3] >> 2);
    EXPECT_EQ(timeCount, static_cast<int>(farmsim::LogTimeCount(4, 12, 6, 14, 50)));
    EXPECT_EQ(second[3] & 0x03, 2); // low
    const int dry = (((second[4] & 0x1F) << 8) | second[5]) >> 1;
    const int wet1 = (((second[6] & 0x7F) << 8) | second[7]) >> 1;
    EXPECT_EQ(second[6] & 0x80, 0);
    EXPECT_NEAR(dry / 10.0, farm.Unit(4)->ChamberF(), 0.06);
    EXPECT_NEAR(wet1 / 10.0, farm.Unit(4)->CoreF(1), 0.06);
}

TEST(SimZrm, LogTimeCountCountsLeapYearsEveryFourthYear) {
    EXPECT_EQ(farmsim::LogTimeCount(0, 1, 1, 0, 0), 0u);
    EXPECT_EQ(farmsim::LogTimeCount(1, 1, 1, 0, 0), 52704u);
    EXPECT_EQ(farmsim::LogTimeCount(1, 3, 1, 0, 0), 52704u + 59u * 144u);
    EXPECT_EQ(farmsim::LogTimeCount(0, 3, 1, 0, 0), 60u * 144u);
    EXPECT_EQ(farmsim::LogTimeCount(0, 1, 1, 23, 50), 143u);
}

TEST(SimConfig, UnusableUnitsAreLeftOutWithAWarning) {
    FarmConfig config;
    config.units = {UnitAt(0), UnitAt(255), UnitAt(7), UnitAt(7)};
    config.bitsPerSecond = 0;
    Farm farm(config);
    EXPECT_EQ(farm.Units().size(), 1u);
    EXPECT_EQ(farm.ConfigWarnings().size(), 4u);
    EXPECT_EQ(Exchange(farm, Scan(7), 1000).size(), 60u);
}
