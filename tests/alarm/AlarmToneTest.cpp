#include "support/AlarmFarm.h"

#include "alarm/CPcSpeaker.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Op = RecordingSpeaker::Op;
const Op kOn{Op::Gate, 1};
const Op kOff{Op::Gate, 0};

using alarm_farm::kHighAlarm;
using alarm_farm::kLowAlarm;

} // namespace

TEST(PcSpeaker, DivisorIsTheTimerClockOverTheFrequencyWithA700HzFallback) {
    EXPECT_EQ(CPcSpeaker::Divisor(700), 1704);
    EXPECT_EQ(CPcSpeaker::Divisor(19), 62798) << "the lowest frequency that fits 16 bits";
    for (int unusable : {0, -440, 18, 1193181}) {
        EXPECT_EQ(CPcSpeaker::Divisor(unusable), 1704) << unusable;
    }
}

TEST(PcSpeaker, NeverReachesTheSpeakerWhereThePlatformForbidsIt) {
    RecordingSpeaker untouched;
    CPcSpeaker forbidden("Microsoft Windows 2000");
    forbidden.SetBackend(&untouched);
    forbidden.SetFrequency(700);
    forbidden.Sound(true);
    EXPECT_TRUE(untouched.ops.empty());
    EXPECT_TRUE(CPcSpeaker().DriverEnabled()) << CPcSpeaker().PlatformProductName();
}

TEST(AlarmTone, SoundsOnceForTwoAlarmedUnitsAndStopsWhenBothAreBackToNormal) {
    AlarmFarm f({1, 2});
    f.alarmBits[1] = kHighAlarm;
    f.alarmBits[2] = kLowAlarm;
    f.Ticks(1);
    EXPECT_FALSE(f.doc.ToneSounding()) << "the tick after the reply sounds it";
    f.Ticks(6);
    EXPECT_TRUE(f.doc.ToneSounding());
    f.alarmBits[1] = 0;
    f.Ticks(4);
    EXPECT_TRUE(f.doc.ToneSounding()) << "unit 2 is still alarmed";
    f.alarmBits[2] = 0;
    f.Ticks(4);
    EXPECT_FALSE(f.doc.ToneSounding());
    // Start-up loads the stored frequency and closes the gate; then one change each way.
    EXPECT_EQ(f.speaker.ops, (std::vector<Op>{{Op::Divisor, 1193}, kOff, kOn, kOff}));
}

TEST(AlarmTone, DisconnectingDeletingAndEndingTheProgramEachStopIt) {
    auto sounding = [] {
        auto f = std::make_unique<AlarmFarm>(std::initializer_list<int>{1, 2});
        f->alarmBits[2] = kHighAlarm;
        f->Ticks(4);
        EXPECT_TRUE(f->doc.ToneSounding());
        return f;
    };
    auto disconnected = sounding();
    disconnected->doc.fARMdISCONNECT(0);
    EXPECT_EQ(disconnected->speaker.ops.back(), kOff);

    auto deleted = sounding();
    deleted->doc.DeleteKilnRecord(0, 1, 1);
    EXPECT_EQ(deleted->speaker.ops.back(), kOff);

    RecordingSpeaker speaker;
    auto ended = sounding();
    ended->doc.SetSpeakerBackend(&speaker);
    ended.reset();
    EXPECT_EQ(speaker.ops, std::vector<Op>{kOff});
}
