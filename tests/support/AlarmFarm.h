#pragma once

// A started document with annunciation on, whose farm 0 units answer every scan in Run with
// the alarm bits the test sets: the alarm tone's tests drive the document's tone through it.

#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"
#include "support/EngineFakes.h"

#include <array>
#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>

namespace alarm_farm {

constexpr std::uint8_t kHighAlarm = 0x04;
constexpr std::uint8_t kLowAlarm = 0x08;

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

} // namespace alarm_farm

struct AlarmFarm : alarm_farm::StoredSettings, EngineFixture {
    explicit AlarmFarm(std::initializer_list<int> nodeIds) {
        doc.SetRegistryBackend(&hive);
        doc.SetComPortProbe(&ports);
        doc.OnNewDocument();
        ConfigureUnits(doc.Farm(0), nodeIds);
        doc.FarmConnect(0);
        Ticks(3);
    }
    // Each tick's scans are answered at once; ticked is called after every tick.
    void Ticks(int count, const std::function<void()>& ticked = {}) {
        for (int i = 0; i < count; ++i) {
            const std::size_t before = port.writes.size();
            doc.Timer1_Tick();
            for (int target : ScanTargets(before)) {
                Reply(StatusReply(target, 0xA3, alarmBits[std::size_t(target)]));
            }
            if (ticked) {
                ticked();
            }
        }
    }
    std::array<std::uint8_t, 256> alarmBits{};
};
