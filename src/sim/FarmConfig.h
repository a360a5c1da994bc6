#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Configuration of a simulated farm: its units, the alarm station, an optional modem in front of
// the network, line timing and the chances of things going wrong. Every run of a farm built from
// the same configuration (seed included) and fed the same bytes at the same times is identical.
namespace farmsim {

enum class Mode { Standby, Run, Setup };

// What goes wrong with a unit, from simulated time UnitConfig::alarmFromMs on.
enum class AlarmScenario {
    None,          // alarm bits only from readings out of band while running
    ForceHigh,     // the high-alarm bit is set in every reply, whatever the mode
    ForceLow,      // the low-alarm bit is set in every reply, whatever the mode
    HeaterStuckOn, // heats without pause while running: the chamber overshoots into a high alarm
    HeaterFailed,  // calls for heat but gets none: a unit at its setpoint cools into a low alarm
};

struct UnitConfig {
    int nodeId = 1; // 1..254
    std::uint8_t idCode = 0;
    bool centigrade = false;
    Mode mode = Mode::Standby;
    bool silent = false; // its network link is dead: it hears nothing, answers nothing, and the
                         // alarm station cannot log it; it keeps heating all the same
    AlarmScenario alarm = AlarmScenario::None;
    std::int64_t alarmFromMs = 0;
    std::uint8_t replyCode = 'D'; // 'D', 'F', 'a' (2-byte checksum) or 'b' (3-byte checksum)
    double setpointF = 160.0;
    double chamberF = 68.0; // temperatures at the start of the run
    double coreF = 68.0;
    unsigned brokenRtdMask = 0; // bit i set: RTD i+1 has no valid reading
};

// Chances per reply, each drawn independently (0 = never, 1 = always).
struct FaultRates {
    double silence = 0.0;     // the reply is never sent
    double badChecksum = 0.0; // the last checksum byte is altered
    double missingByte = 0.0; // one byte of the reply is left out
    double extraByte = 0.0;   // one random byte is slipped into the reply
    double noise = 0.0;       // 1 to 4 random bytes reach the PC just before the reply
    double late = 0.0;        // the reply starts FarmConfig::lateByMs later than normal
    double carrierLoss = 0.0; // the carrier drops while the reply is on the line
};

struct ModemConfig {
    bool present = false;
    int carrierDelayMs = 3000;     // from the dial command to carrier and CONNECT
    bool neverAnswers = false;     // a dial ends in NO CARRIER after noAnswerTimeoutMs
    int noAnswerTimeoutMs = 50000; // the usual S7 wait of a Hayes modem
    int guardMs = 1000;            // silence needed before and after "+++"
};

// Time count of the alarm station's log records: 10-minute intervals since 00:00 on 1 January
// of year 00, where every year divisible by 4 is a leap year.
constexpr std::uint32_t LogTimeCount(int year, int month, int day, int hour, int minute) {
    std::uint32_t count = 0;
    for (int y = 0; y < year; ++y) {
        count += (y % 4 == 0) ? 52704u : 52560u;
    }
    constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m < month && m <= 12; ++m) {
        const int days = kMonthDays[m - 1] + ((m == 2 && year % 4 == 0) ? 1 : 0);
        count += static_cast<std::uint32_t>(days) * 144u;
    }
    count += static_cast<std::uint32_t>(day - 1) * 144u;
    count += static_cast<std::uint32_t>(hour * 6 + minute / 10);
    return count;
}

struct FarmConfig {
    std::vector<UnitConfig> units;
    FaultRates faults;
    ModemConfig modem;
    std::uint64_t seed = 1;
    int turnaroundMs = 20;    // from the last byte of a frame to the first byte of its reply
    int bitsPerSecond = 2400; // 10 bits a byte, both directions
    int frameGapMs = 20;      // a silent period this long makes the units start a new frame
    int lateByMs = 1100;      // delay of a late reply: past the PC's next one-second tick
    int lineOutageMs = 3000;  // a direct line that lost its carrier by chance comes back after this
    double ambientF = 68.0;
    // The units' temperatures may run ahead of the line: seconds of the heating model per second
    // of farm time (the line, the alarm scenarios and the station's log keep farm time), and
    // how far into their charge the units in Run are at time 0, their temperatures worked out
    // from ambient. A charge that takes hours then shows in minutes, for demonstrations.
    int modelSecondsPerSecond = 1;
    std::int64_t chargeStartSeconds = 0;
    bool zrmPresent = true;       // the alarm station at node 255
    int zrmLogIntervalMs = 60000; // one record per running unit this often
    std::uint32_t zrmStartTimeCount = LogTimeCount(24, 1, 1, 0, 0); // time count at time 0
    std::size_t zrmCapacityBytes = 16777210; // largest multiple of 10 a 24-bit count can report
};

// A byte as the PC receives it: timeMs is the first whole millisecond at which it is complete.
struct TimedByte {
    std::int64_t timeMs = 0;
    std::uint8_t byte = 0;
    bool operator==(const TimedByte&) const = default;
};

} // namespace farmsim
