#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using farmsim::AlarmScenario;
using farmsim::Farm;
using farmsim::FarmConfig;
using farmsim::Mode;
using namespace simtest;

namespace {

constexpr std::int64_t kMinute = 60 * 1000;
constexpr std::int64_t kHour = 60 * kMinute;

FarmConfig OneUnit(farmsim::UnitConfig unit) {
    FarmConfig config;
    config.units = {unit};
    return config;
}

} // namespace

TEST(SimReply, StatusReplyCarriesTheUnitsValuesUnderAnIndependentlySummedChecksum) {
    auto unit = UnitAt(7, Mode::Run);
    unit.idCode = 42;
    unit.centigrade = true;
    FarmConfig config = OneUnit(unit);
    config.units.push_back(UnitAt(8, Mode::Setup));
    config.units.push_back(UnitAt(9, Mode::Standby));
    Farm farm(config);
    EXPECT_EQ(Exchange(farm, Scan(8), 1000).at(4), 0x5C);
    const Bytes standby = Exchange(farm, Scan(9), 2000);
    EXPECT_EQ(standby.at(4), 0x3A);
    EXPECT_EQ(standby.at(5) & 0x01, 0);

    const Bytes reply = Exchange(farm, Scan(7), 3000);

    ASSERT_EQ(reply.size(), 60u);
    EXPECT_EQ(reply[0], 7);
    EXPECT_EQ(reply[1], 'D');
    EXPECT_EQ(reply[2], 42);
    EXPECT_EQ(reply[4], 0xA3);
    EXPECT_EQ(reply[5] & 0x01, 0x01);
    EXPECT_TRUE(ChecksumHolds(reply, 2));
    const auto& truth = farm.Unit(7)->GetTraffic();
    EXPECT_TRUE(truth.hasStatusReply);
    EXPECT_EQ(Bytes(truth.lastStatusReply.begin(), truth.lastStatusReply.end()), reply);
    EXPECT_TRUE(truth.statusOutcome.Intact());
}

TEST(SimReply, RtdWordsLieInTheOrderOneThreeTwoChamber) {
    // After half an hour of heating from cold the three cores lag the chamber by different
    // amounts, so every word is told apart.
    Farm farm(OneUnit(UnitAt(3, Mode::Run)));
    const Bytes reply = Exchange(farm, Scan(3), 30 * kMinute);
    ASSERT_EQ(reply.size(), 60u);
    const farmsim::SimUnit& unit = *farm.Unit(3);
    ASSERT_GT(unit.RtdRaw(4), unit.RtdRaw(1));
    ASSERT_GT(unit.RtdRaw(1), unit.RtdRaw(2));
    ASSERT_GT(unit.RtdRaw(2), unit.RtdRaw(3));
    EXPECT_EQ(Word(reply, 44), unit.RtdRaw(1));
    EXPECT_EQ(Word(reply, 46), unit.RtdRaw(3));
    EXPECT_EQ(Word(reply, 48), unit.RtdRaw(2));
    EXPECT_EQ(Word(reply, 50), unit.RtdRaw(4));
    EXPECT_NEAR(Word(reply, 50) / 20.0, unit.ChamberF(), 0.05);
}

TEST(SimReply, BrokenRtdReadsAboveTheValidRange) {
    auto config = UnitAt(3, Mode::Run);
    config.brokenRtdMask = 0x4; // RTD 3
    Farm farm(OneUnit(config));
    const Bytes reply = Exchange(farm, Scan(3), 1000);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_GT(Word(reply, 46), 4240);
    EXPECT_LE(Word(reply, 44), 4240);
    EXPECT_LE(Word(reply, 48), 4240);
}

TEST(SimReply, ReplyCodeDecidesTheChecksumWidth) {
    FarmConfig config;
    for (const char code : {'F', 'a', 'b'}) {
        auto unit = UnitAt(static_cast<int>(config.units.size()) + 1);
        unit.replyCode = static_cast<std::uint8_t>(code);
        config.units.push_back(unit);
    }
    Farm farm(config);
    const Bytes f = Exchange(farm, Scan(1), 1000);
    const Bytes a = Exchange(farm, Scan(2), 2000);
    const Bytes b = Exchange(farm, Scan(3), 3000);
    ASSERT_EQ(b.size(), 60u);
    EXPECT_EQ(f[1], 'F');
    EXPECT_EQ(a[1], 'a');
    EXPECT_EQ(b[1], 'b');
    EXPECT_TRUE(ChecksumHolds(f, 2));
    EXPECT_TRUE(ChecksumHolds(a, 2));
    EXPECT_TRUE(ChecksumHolds(b, 3));
}

TEST(SimReply, HoursCountTenthsWhileRunningAndElapsedTimeCountsFromStart) {
    FarmConfig config;
    config.units = {UnitAt(1, Mode::Run), UnitAt(2, Mode::Standby)};
    Farm farm(config);
    const Bytes running = Exchange(farm, Scan(1), kHour);
    const Bytes standing = Exchange(farm, Scan(2), kHour + 1000);
    ASSERT_EQ(running.size(), 60u);
    ASSERT_EQ(standing.size(), 60u);
    EXPECT_EQ(Word(running, 34), 6 + 10); // started at 0.6 h, one hour later
    EXPECT_EQ(Word(standing, 34), 0);
    EXPECT_EQ(Word(running, 6), 10);
    EXPECT_EQ(Word(standing, 6), 10);
}

TEST(SimHeating, RunningUnitHeatsTowardItsSetpointWithCoresLagging) {
    Farm farm(OneUnit(UnitAt(1, Mode::Run)));
    const Bytes early = Exchange(farm, Scan(1), 20 * kMinute);
    ASSERT_EQ(early.size(), 60u);
    const farmsim::SimUnit& unit = *farm.Unit(1);
    EXPECT_GT(unit.ChamberF(), 80.0);
    EXPECT_LT(unit.CoreF(1), unit.ChamberF());
    EXPECT_NE(early[41] & 0x02, 0) << "heater on while heating";
    EXPECT_EQ(early[41] & 0x0C, 0) << "no alarm while coming up to heat";

    const Bytes settled = Exchange(farm, Scan(1), 8 * kHour);
    ASSERT_EQ(settled.size(), 60u);
    EXPECT_NEAR(unit.ChamberF(), unit.SetpointF(), 1.5);
    EXPECT_NEAR(unit.CoreF(3), unit.SetpointF(), 3.0);
    EXPECT_EQ(settled[41] & 0x0C, 0);
}

TEST(SimHeating, StandbyUnitCoolsTowardAmbientWithTheHeaterOff) {
    auto config = UnitAt(1, Mode::Standby);
    config.chamberF = config.coreF = 150.0;
    Farm farm(OneUnit(config));
    const Bytes reply = Exchange(farm, Scan(1), kHour);
    ASSERT_EQ(reply.size(), 60u);
    EXPECT_LT(farm.Unit(1)->ChamberF(), 130.0);
    EXPECT_GT(farm.Unit(1)->ChamberF(), 68.0);
    EXPECT_EQ(reply[41] & 0x02, 0);
}

TEST(SimHeating, AChargeStartedPartWayIsWhereTheModelWouldHaveTakenIt) {
    FarmConfig config;
    config.units = {UnitAt(1, Mode::Run), UnitAt(2, Mode::Standby)};
    config.chargeStartSeconds = 90 * 60;
    Farm ahead(config);
    config.chargeStartSeconds = 0;
    Farm fromCold(config);
    fromCold.AdvanceTo(90 * kMinute);
    EXPECT_DOUBLE_EQ(ahead.Unit(1)->ChamberF(), fromCold.Unit(1)->ChamberF());
    EXPECT_DOUBLE_EQ(ahead.Unit(1)->CoreF(3), fromCold.Unit(1)->CoreF(3));
    EXPECT_EQ(ahead.Unit(1)->HoursWord(), 6 + 15);
    // Every core behind the chamber, the coldest point of the stack last.
    EXPECT_GT(ahead.Unit(1)->ChamberF(), ahead.Unit(1)->CoreF(1));
    EXPECT_GT(ahead.Unit(1)->CoreF(1), ahead.Unit(1)->CoreF(2));
    EXPECT_GT(ahead.Unit(1)->CoreF(2), ahead.Unit(1)->CoreF(3));
    EXPECT_EQ(ahead.Unit(2)->ChamberF(), 68.0);
}

TEST(SimHeating, AFasterModelChangesTheReadingsButNotTheLine) {
    FarmConfig config = OneUnit(UnitAt(1, Mode::Run));
    Farm real(config);
    config.modelSecondsPerSecond = 30;
    Farm fast(config);
    // Two minutes of farm time are an hour of the fast model's.
    const Bytes realReply = Exchange(real, Scan(1), 2 * kMinute);
    const Bytes fastReply = Exchange(fast, Scan(1), 2 * kMinute);
    ASSERT_EQ(realReply.size(), 60u);
    ASSERT_EQ(fastReply.size(), 60u);
    Farm hourLater(OneUnit(UnitAt(1, Mode::Run)));
    hourLater.AdvanceTo(fast.NowMs() * 30);
    EXPECT_NEAR(fast.Unit(1)->ChamberF(), hourLater.Unit(1)->ChamberF(), 1.5);
    EXPECT_GT(fast.Unit(1)->CoreF(3), real.Unit(1)->CoreF(3) + 10.0);
    // The same bytes at the same times but for the readings and what follows from them.
    EXPECT_EQ(real.NowMs(), fast.NowMs());
    EXPECT_EQ(Word(realReply, 6), Word(fastReply, 6)) << "elapsed time is the line's";
    EXPECT_NE(Word(realReply, 44), Word(fastReply, 44));
}

TEST(SimAlarms, HeaterStuckOnOvershootsIntoAHighAlarmThatOnlyRunReports) {
    auto config = UnitAt(1, Mode::Run);
    config.chamberF = config.coreF = 160.0;
    config.alarm = AlarmScenario::HeaterStuckOn;
    Farm farm(OneUnit(config));
    EXPECT_EQ(Exchange(farm, Scan(1), 1000).at(41) & 0x0C, 0);
    const Bytes hot = Exchange(farm, Scan(1), 2 * kHour);
    ASSERT_EQ(hot.size(), 60u);
    EXPECT_EQ(hot[41] & 0x0C, 0x04);
    farm.Unit(1)->SetMode(Mode::Standby);
    EXPECT_EQ(Exchange(farm, Scan(1), 2 * kHour + 1000).at(41) & 0x0C, 0);
}

TEST(SimAlarms, FailedHeaterGivesALowAlarmOnceTheUnitHadComeUpToHeat) {
    auto config = UnitAt(1, Mode::Run);
    config.chamberF = config.coreF = 160.0;
    config.alarm = AlarmScenario::HeaterFailed;
    config.alarmFromMs = 10 * kMinute;
    Farm farm(OneUnit(config));
    EXPECT_EQ(Exchange(farm, Scan(1), 9 * kMinute).at(41) & 0x0C, 0);
    const Bytes cold = Exchange(farm, Scan(1), kHour);
    ASSERT_EQ(cold.size(), 60u);
    EXPECT_EQ(cold[41] & 0x0C, 0x08);
    EXPECT_NE(cold[41] & 0x02, 0) << "still calling for heat";
}

TEST(SimAlarms, ForcedAlarmBitsAppearWhateverTheMode) {
    FarmConfig config;
    config.units = {UnitAt(1), UnitAt(2)};
    config.units[0].alarm = AlarmScenario::ForceHigh;
    config.units[1].alarm = AlarmScenario::ForceLow;
    Farm farm(config);
    EXPECT_EQ(Exchange(farm, Scan(1), 1000).at(41) & 0x0C, 0x04);
    EXPECT_EQ(Exchange(farm, Scan(2), 2000).at(41) & 0x0C, 0x08);
}

TEST(SimCommit, RunAndStandbyCommitsChangeModeAndHoursAndAreAnsweredS) {
    Farm farm(OneUnit(UnitAt(5)));
    const Bytes image = Exchange(farm, Scan(5), 1000);
    ASSERT_EQ(image.size(), 60u);

    const Bytes accepted = Exchange(farm, Commit(image, 0xA3, 0, 6), 2000);
    EXPECT_EQ(accepted, Sealed({5, 'S'}));
    EXPECT_EQ(farm.Unit(5)->GetMode(), Mode::Run);
    EXPECT_EQ(farm.Unit(5)->HoursWord(), 6);
    const Bytes running = Exchange(farm, Scan(5), 3000);
    ASSERT_EQ(running.size(), 60u);
    EXPECT_EQ(running[4], 0xA3);
    EXPECT_EQ(Word(running, 34), 6);

    EXPECT_EQ(Exchange(farm, Commit(running, 0x3A, 0, 0), 4000), Sealed({5, 'S'}));
    EXPECT_EQ(farm.Unit(5)->GetMode(), Mode::Standby);
    EXPECT_EQ(farm.Unit(5)->HoursWord(), 0);
    EXPECT_EQ(farm.Unit(5)->GetTraffic().commitsApplied, 2u);
}

TEST(SimCommit, KeepsTheParametersTheFrameCarriesButNotWhatTheUnitMeasures) {
    // A unit in Standby at ambient temperature reads the same from one second to the next.
    Farm farm(OneUnit(UnitAt(5)));
    Bytes image = Exchange(farm, Scan(5), 1000);
    ASSERT_EQ(image.size(), 60u);
    const Bytes rtds(image.begin() + 44, image.begin() + 52);
    image[12] = 0x0B; // dry-bulb start, the chamber setpoint: 3000 raw = 150 F
    image[13] = 0xB8;
    image[20] = 0x5A;
    image[41] = 0xFF;
    std::fill(image.begin() + 44, image.begin() + 52, std::uint8_t{0x33});

    ASSERT_EQ(Exchange(farm, Commit(image, 0x3A, 0, 0), 2000).size(), 4u);
    const Bytes after = Exchange(farm, Scan(5), 3000);
    ASSERT_EQ(after.size(), 60u);
    EXPECT_EQ(Word(after, 12), 3000);
    EXPECT_DOUBLE_EQ(farm.Unit(5)->SetpointF(), 150.0);
    EXPECT_EQ(after[20], 0x5A);
    EXPECT_EQ(after[41] & 0xF1, 0);
    EXPECT_EQ(Bytes(after.begin() + 44, after.begin() + 52), rtds);
}

TEST(SimCommit, FrameWithABadChecksumIsIgnored) {
    Farm farm(OneUnit(UnitAt(5)));
    const Bytes image = Exchange(farm, Scan(5), 1000);
    Bytes commit = Commit(image, 0xA3, 0, 6);
    commit[59] ^= 0x01;
    EXPECT_TRUE(Exchange(farm, commit, 2000).empty());
    EXPECT_EQ(farm.Unit(5)->GetMode(), Mode::Standby);
    EXPECT_EQ(farm.Unit(5)->GetTraffic().commitsApplied, 0u);
    EXPECT_EQ(Exchange(farm, Scan(5), 3000).size(), 60u);
}
