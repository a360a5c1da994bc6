// The Windows speaker backend beeps on a thread of its own; these end that thread in every
// way the program does (a hang here is the fault they would show).

#include "alarm/CPcSpeaker.h"
#include "alarm/PlatformSpeakerBackend.h"

#include <gtest/gtest.h>

#include <memory>

TEST(WinSpeaker, TheToneStartsAndStopsWithTheGateAndMayStartAgain) {
    PlatformSpeakerBackend speaker;
    EXPECT_TRUE(speaker.CanSound());
    speaker.SetDivisor(CPcSpeaker::Divisor(700));
    speaker.SetGate(true);
    speaker.SetDivisor(CPcSpeaker::Divisor(1200)); // heard at the next beep
    speaker.SetGate(false);
    speaker.SetGate(false);
    speaker.SetGate(true);
    speaker.SetGate(false);
}

TEST(WinSpeaker, EndingTheProgramWhileTheToneSoundsSilencesIt) {
    auto speaker = std::make_unique<PlatformSpeakerBackend>();
    speaker->SetGate(true);
    speaker.reset();
}

TEST(WinSpeaker, TheDriverKeepsAwayFromTheSpeakerWhereTheProductNameForbidsIt) {
    CPcSpeaker forbidden("Microsoft Windows 2000");
    EXPECT_FALSE(forbidden.DriverEnabled());
    CPcSpeaker allowed("Windows 10 Pro");
    EXPECT_TRUE(allowed.DriverEnabled());
}
