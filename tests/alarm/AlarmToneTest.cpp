#include "support/EngineFakes.h"

#include "alarm/CPcSpeaker.h"
#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

using Op = RecordingSpeaker::Op;

constexpr std::uint8_t kRun = 0xA3;
constexpr std::uint8_t kHighAlarm = 0x04;
constexpr std::uint8_t kLowAlarm = 0x08;

class NoComPorts : public ComPortProbe {
public:
    bool IsPortAvailable(int) override { return false; }
};

std::string WriteHive(const std::string& dir, bool annunciation, unsigned frequency) {
    const std::string path = dir + "/registry.reg";
    char values[160];
    std::snprintf(values, sizeof values,
                  "\"Alarm Tone Frequency\"=dword:%08x\r\n\"Alarm Annunciation\"=dword:%08x\r\n",
                  frequency, annunciation ? 1u : 0u);
    std::ofstream out(path, std::ios::binary);
    out << "Windows Registry Editor Version 5.00\r\n\r\n"
        << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel\\WRB Explorer]\r\n"
        << values;
    return path;
}

// The registry the document starts from; declared before the engine so it outlives the
// document, whose end saves it.
struct StoredSettings {
    StoredSettings(bool annunciation, unsigned frequency)
        : hive(WriteHive(dir.Path(), annunciation, frequency)) {}
    ScratchDirectory dir;
    HiveFileBackend hive;
    NoComPorts ports;
};

// A started document on farm 0 whose units answer in Run with the alarm bits given per unit.
struct AlarmFarm : StoredSettings, EngineFixture {
    explicit AlarmFarm(bool annunciation = true, unsigned frequency = 700)
        : StoredSettings(annunciation, frequency) {
        doc.SetRegistryBackend(&hive);
        doc.SetComPortProbe(&ports);
        doc.OnNewDocument();
    }

    void Connect(std::initializer_list<int> nodeIds) {
        ConfigureUnits(doc.Farm(0), nodeIds);
        doc.FarmConnect(0);
        for (int i = 0; i < 3; ++i) {
            doc.Timer1_Tick();
        }
    }
    // One tick; the unit asked answers with its alarm bits.
    void Tick() {
        const std::size_t before = port.writes.size();
        doc.Timer1_Tick();
        const auto targets = ScanTargets(before);
        if (!targets.empty()) {
            Reply(StatusReply(targets.back(), kRun, alarmBits[targets.back()]));
        }
    }
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            Tick();
        }
    }
    std::vector<Op> GateOps() const {
        std::vector<Op> gates;
        for (const Op& op : speaker.ops) {
            if (op.kind == Op::Gate) {
                gates.push_back(op);
            }
        }
        return gates;
    }

    std::array<std::uint8_t, 256> alarmBits{};
};

const Op kOn{Op::Gate, 1};
const Op kOff{Op::Gate, 0};

} // namespace

TEST(PcSpeaker, DivisorIsTheTimerClockOverTheFrequencyWithA700HzFallback) {
    EXPECT_EQ(CPcSpeaker::Divisor(700), 1704);
    EXPECT_EQ(CPcSpeaker::Divisor(1000), 1193);
    EXPECT_EQ(CPcSpeaker::Divisor(19), 62798) << "the lowest frequency that fits 16 bits";
    for (int unusable : {0, -440, 18, 1, 1193181}) {
        EXPECT_EQ(CPcSpeaker::Divisor(unusable), 1704) << unusable;
    }
}

TEST(PcSpeaker, DrivesTheBackendUnlessThePlatformForbidsIt) {
    RecordingSpeaker backend;
    CPcSpeaker unknown("<Unknown>");
    unknown.SetBackend(&backend);
    unknown.SetFrequency(700);
    unknown.Sound(true);
    unknown.Sound(false);
    EXPECT_EQ(backend.ops, (std::vector<Op>{{Op::Divisor, 1704}, kOn, kOff}));

    RecordingSpeaker untouched;
    CPcSpeaker forbidden("Microsoft Windows 2000");
    forbidden.SetBackend(&untouched);
    forbidden.SetFrequency(700);
    forbidden.Sound(true);
    EXPECT_TRUE(untouched.ops.empty());

    CPcSpeaker withoutBackend("<Unknown>");
    withoutBackend.Sound(true); // nothing to reach, nothing to fail
}

TEST(PcSpeaker, ThisPlatformIsNeverTheOneThatForbidsTheSpeaker) {
    CPcSpeaker speaker;
    EXPECT_FALSE(speaker.PlatformProductName().empty());
    EXPECT_TRUE(speaker.DriverEnabled());
}

TEST(AlarmTone, StartUpLoadsTheStoredFrequencyAndClosesTheGate) {
    AlarmFarm f(true, 1000);
    EXPECT_EQ(f.speaker.ops, (std::vector<Op>{{Op::Divisor, 1193}, kOff}));
    EXPECT_FALSE(f.doc.ToneSounding());
}

TEST(AlarmTone, SoundsOnceForTwoAlarmedUnitsAndStopsWhenBothAreBackToNormal) {
    AlarmFarm f;
    f.Connect({1, 2});
    f.alarmBits[1] = kHighAlarm;
    f.alarmBits[2] = kLowAlarm;
    f.Tick();
    EXPECT_FALSE(f.doc.ToneSounding()) << "the next tick sounds the alarm a reply brought";
    f.Ticks(6);
    EXPECT_TRUE(f.doc.ToneSounding());

    f.alarmBits[1] = 0;
    f.Ticks(4);
    EXPECT_TRUE(f.doc.ToneSounding()) << "unit 2 still alarmed";
    f.alarmBits[2] = 0;
    f.Ticks(4);
    EXPECT_FALSE(f.doc.ToneSounding());
    EXPECT_EQ(f.GateOps(), (std::vector<Op>{kOff, kOn, kOff}))
        << "start-up, then one change each way";
}

TEST(AlarmTone, StaysSilentWhileAnnunciationIsOff) {
    AlarmFarm f(false);
    f.Connect({1});
    f.alarmBits[1] = kHighAlarm;
    f.Ticks(5);
    EXPECT_TRUE(f.doc.AnyAlarm());
    EXPECT_FALSE(f.doc.ToneSounding());
    EXPECT_EQ(f.GateOps(), (std::vector<Op>{kOff}));
}

TEST(AlarmTone, DisconnectingStopsItAtOnce) {
    AlarmFarm f;
    f.Connect({1});
    f.alarmBits[1] = kHighAlarm;
    f.Ticks(3);
    ASSERT_TRUE(f.doc.ToneSounding());

    f.doc.fARMdISCONNECT(0);
    EXPECT_FALSE(f.doc.ToneSounding());
    EXPECT_EQ(f.speaker.ops.back(), kOff);
}

TEST(AlarmTone, DeletingTheOnlyAlarmedUnitStopsIt) {
    AlarmFarm f;
    f.Connect({1, 2});
    f.alarmBits[2] = kHighAlarm;
    f.Ticks(4);
    ASSERT_TRUE(f.doc.ToneSounding());

    f.doc.DeleteKilnRecord(0, 1, 1);
    EXPECT_FALSE(f.doc.ToneSounding());
    EXPECT_EQ(f.speaker.ops.back(), kOff);
}

TEST(AlarmTone, EndingTheProgramSilencesASoundingTone) {
    RecordingSpeaker speaker;
    {
        StoredSettings settings(true, 700);
        CTreeListDoc doc(Language::English, settings.dir.Path());
        doc.SetRegistryBackend(&settings.hive);
        doc.SetComPortProbe(&settings.ports);
        doc.SetSpeakerBackend(&speaker);
        doc.OnNewDocument();
        doc.SetAlarmBit(5, true);
        doc.AnnunciateAlarms();
        ASSERT_TRUE(doc.ToneSounding());
    }
    EXPECT_EQ(speaker.ops.back(), kOff);
}
