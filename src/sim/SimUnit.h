#pragma once

#include "sim/FarmConfig.h"
#include "sim/ReplyOutcome.h"

#include <array>
#include <cstdint>
#include <span>

namespace farmsim {

// One controller unit: its parameter bytes, a plain heating model and the 60-byte status reply
// built from them. Parameter bytes that a commit may change live in the unit's own 60-byte image;
// what the unit measures (temperatures, heater and alarm bits, elapsed time) is written over the
// image each time a reply is built.
class SimUnit {
public:
    using Reply = std::array<std::uint8_t, 60>;

    explicit SimUnit(const UnitConfig& config);

    int NodeId() const { return nodeId_; }

    // Advances the model by one second; simMs is the simulated time at the end of that second.
    void StepOneSecond(std::int64_t simMs, double ambientF);

    // Runs the model the given number of seconds at once, at the current simulated time: a
    // unit that starts part-way through its charge.
    void RunAhead(std::int64_t seconds, double ambientF);

    // The status reply as it stands now, checksum included.
    Reply StatusReply(std::int64_t simMs) const;

    // Takes the parameter bytes of a checked 60-byte commit frame addressed to this unit.
    void ApplyCommit(std::span<const std::uint8_t> frame);

    // Front-panel changes.
    void SetMode(Mode mode);
    void SetSilent(bool silent) { silent_ = silent; }
    void SetAlarmScenario(AlarmScenario scenario, std::int64_t fromMs);

    Mode GetMode() const;
    std::uint8_t ModeByte() const { return image_[4]; }
    bool Silent() const { return silent_; }
    bool Centigrade() const { return (image_[5] & 0x01u) != 0; }
    std::uint8_t ReplyCode() const { return image_[1]; }
    double SetpointF() const;
    double ChamberF() const { return chamberF_; }
    double CoreF(int core) const; // core 1..3
    // Raw reading as sent: 1/20 degree Fahrenheit; RTD 1..3 are the cores, RTD 4 the chamber.
    std::int16_t RtdRaw(int rtd) const;
    bool HeaterOn() const { return heaterCalled_; }
    bool HighAlarm() const;
    bool LowAlarm() const;
    std::uint8_t StatusBits() const;
    std::int16_t HoursWord() const;
    static std::uint16_t ElapsedTenths(std::int64_t simMs);

    // Traffic, kept by the farm.
    struct Traffic {
        std::uint64_t queriesSeen = 0; // valid scan queries addressed to the unit
        std::uint64_t commitsApplied = 0;
        std::uint64_t repliesSent = 0; // status and commit replies that went on the line
        bool hasStatusReply = false;
        Reply lastStatusReply{};    // as built, before any fault touched it
        ReplyOutcome statusOutcome; // what became of lastStatusReply
        ReplyOutcome lastOutcome;   // of the last reply of either kind
    };
    const Traffic& GetTraffic() const { return traffic_; }
    Traffic& MutableTraffic() { return traffic_; }

private:
    bool ScenarioActive(AlarmScenario scenario) const;
    void WriteWord(std::size_t offset, std::uint16_t value);
    std::uint16_t ReadWord(std::size_t offset) const;
    void EnterMode(std::uint8_t modeByte);

    int nodeId_;
    bool silent_;
    AlarmScenario scenario_;
    std::int64_t scenarioFromMs_;
    unsigned brokenRtdMask_;
    Reply image_{};
    double chamberF_;
    std::array<double, 3> coreF_;
    bool heaterCalled_ = false;
    bool reachedSetpoint_ = false;
    int secondsTowardTenth_ = 0;
    std::int64_t simMs_ = 0;
    Traffic traffic_;
};

} // namespace farmsim
