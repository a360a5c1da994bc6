#include "support/EngineFakes.h"

#include "alarm/CPcSpeaker.h"
#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using Op = RecordingSpeaker::Op;
const Op kOn{Op::Gate, 1};
const Op kOff{Op::Gate, 0};

class NoComPorts : public ComPortProbe {
public:
    bool IsPortAvailable(int) override { return false; }
};

// The stored settings: annunciation on, 1000 Hz. Declared before the engine so it outlives
// the document, whose end saves it.
struct StoredSettings {
    static std::string Write(const std::string& dir) {
        std::ofstream(dir + "/registry.reg", std::ios::binary)
            << "Windows Registry Editor Version 5.00\r\n\r\n"
            << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
            << "\"Alarm Tone Frequency\"=dword:000003e8\r\n"
            << "\"Alarm Annunciation\"=dword:00000001\r\n";
        return dir + "/registry.reg";
    }
    ScratchDirectory dir;
    HiveFileBackend hive{Write(dir.Path())};
    NoComPorts ports;
};

// A started document whose farm 0 units answer in Run with the alarm bits the test sets.
struct AlarmFarm : StoredSettings, EngineFixture {
    explicit AlarmFarm(std::initializer_list<int> nodeIds) {
        doc.SetRegistryBackend(&hive);
        doc.SetComPortProbe(&ports);
        doc.OnNewDocument();
        ConfigureUnits(doc.Farm(0), nodeIds);
        doc.FarmConnect(0);
        Ticks(3);
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            const std::size_t before = port.writes.size();
            doc.Timer1_Tick();
            for (int target : ScanTargets(before)) {
                Reply(StatusReply(target, 0xA3, alarmBits[std::size_t(target)]));
            }
        }
    }
    std::array<std::uint8_t, 256> alarmBits{};
};

constexpr std::uint8_t kHighAlarm = 0x04;
constexpr std::uint8_t kLowAlarm = 0x08;

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
