#include "sim/SimUnit.h"

#include "sim/WireFrame.h"

#include <algorithm>
#include <cmath>

namespace farmsim {

namespace {

constexpr std::uint8_t kRunCode = 0xA3;
constexpr std::uint8_t kSetupCode = 0x5C;
constexpr std::uint8_t kStandbyCode = 0x3A;

constexpr std::uint8_t kHeaterBit = 0x02;
constexpr std::uint8_t kHighAlarmBit = 0x04;
constexpr std::uint8_t kLowAlarmBit = 0x08;

// A chamber heater of this rate against a loss of 1/3600 of the difference to ambient per
// second settles 120 degrees above ambient: enough to reach any usual setpoint, and a heater
// that sticks on overshoots a 160-degree setpoint out of its band within the hour.
constexpr double kHeatFPerSecond = 2.0 / 60.0;
constexpr double kLossPerSecond = 1.0 / 3600.0;
// The cores follow the chamber with time constants of 20 to 30 minutes.
constexpr std::array<double, 3> kCoreFollowPerSecond = {1.0 / 1200.0, 1.0 / 1500.0, 1.0 / 1800.0};
constexpr double kHysteresisF = 0.5;
constexpr double kAlarmBandF = 10.0;
constexpr int kSecondsPerTenthHour = 360;

// Bytes the unit measures itself; a commit carries the values last reported, which are stale.
constexpr bool IsMeasuredByte(std::size_t offset) {
    return offset == 3 || offset == 6 || offset == 7 || offset == 41 ||
           (offset >= 44 && offset <= 51);
}

std::uint8_t ModeCode(Mode mode) {
    switch (mode) {
    case Mode::Run:
        return kRunCode;
    case Mode::Setup:
        return kSetupCode;
    case Mode::Standby:
        break;
    }
    return kStandbyCode;
}

std::uint16_t RawFromF(double f) {
    const double raw = std::round(f * 20.0);
    const double clamped = std::clamp(raw, -32768.0, 32767.0);
    return static_cast<std::uint16_t>(static_cast<std::int16_t>(clamped));
}

} // namespace

SimUnit::SimUnit(const UnitConfig& config)
    : nodeId_(config.nodeId), silent_(config.silent), scenario_(config.alarm),
      scenarioFromMs_(config.alarmFromMs), brokenRtdMask_(config.brokenRtdMask),
      chamberF_(config.chamberF), coreF_{config.coreF, config.coreF, config.coreF} {
    // Plausible, steady values for everything the PC does not decode; a commit may replace them.
    image_[0] = static_cast<std::uint8_t>(config.nodeId);
    image_[1] = config.replyCode;
    image_[2] = config.idCode;
    image_[3] = 0x17; // firmware revision index
    image_[4] = ModeCode(config.mode);
    image_[5] = config.centigrade ? 0x01 : 0x00;
    image_[8] = 50;                                   // damper opening %
    image_[9] = 4;                                    // advance-rate index
    WriteWord(10, RawFromF(config.setpointF - 10.0)); // wet-bulb setpoint
    WriteWord(12, RawFromF(config.setpointF));        // dry-bulb START: the chamber setpoint
    WriteWord(14, RawFromF(config.setpointF + 20.0)); // dry-bulb STOP
    WriteWord(28, RawFromF(config.setpointF));        // casing dry-bulb setpoint
    WriteWord(30, RawFromF(config.setpointF - 10.0)); // casing wet-bulb setpoint
    WriteWord(34, config.mode == Mode::Run ? 6 : 0);  // hours of the treatment, tenths
    WriteWord(36, 30);                                // fan start-up delay, seconds
    WriteWord(38, 640);                               // start of range: 32 F
    image_[40] = 10;                                  // switching differential, tenths of F
    EnterMode(image_[4]);
}

void SimUnit::WriteWord(std::size_t offset, std::uint16_t value) {
    image_[offset] = static_cast<std::uint8_t>(value >> 8);
    image_[offset + 1] = static_cast<std::uint8_t>(value & 0xFFu);
}

std::uint16_t SimUnit::ReadWord(std::size_t offset) const {
    return static_cast<std::uint16_t>((image_[offset] << 8) | image_[offset + 1]);
}

Mode SimUnit::GetMode() const {
    if (image_[4] == kRunCode) {
        return Mode::Run;
    }
    return image_[4] == kSetupCode ? Mode::Setup : Mode::Standby;
}

double SimUnit::SetpointF() const {
    return static_cast<std::int16_t>(ReadWord(12)) / 20.0;
}

double SimUnit::CoreF(int core) const {
    if (core < 1 || core > 3) {
        return 0.0;
    }
    return coreF_[static_cast<std::size_t>(core - 1)];
}

bool SimUnit::ScenarioActive(AlarmScenario scenario) const {
    return scenario_ == scenario && simMs_ >= scenarioFromMs_;
}

void SimUnit::EnterMode(std::uint8_t modeByte) {
    const bool wasRunning = GetMode() == Mode::Run;
    image_[4] = modeByte;
    if (GetMode() == Mode::Run && !wasRunning) {
        // A new treatment: the low alarm waits until the chamber has first come up to heat.
        reachedSetpoint_ = false;
    }
    if (GetMode() == Mode::Run && std::abs(chamberF_ - SetpointF()) <= kAlarmBandF / 2.0) {
        reachedSetpoint_ = true;
    }
}

void SimUnit::SetMode(Mode mode) {
    const bool starting = mode == Mode::Run && GetMode() != Mode::Run;
    EnterMode(ModeCode(mode));
    if (starting) {
        WriteWord(34, 6);
        secondsTowardTenth_ = 0;
    }
}

void SimUnit::SetAlarmScenario(AlarmScenario scenario, std::int64_t fromMs) {
    scenario_ = scenario;
    scenarioFromMs_ = fromMs;
}

void SimUnit::StepOneSecond(std::int64_t simMs, double ambientF) {
    simMs_ = simMs;
    const bool running = GetMode() == Mode::Run;
    const double setpoint = SetpointF();
    if (!running) {
        heaterCalled_ = false;
    } else if (ScenarioActive(AlarmScenario::HeaterStuckOn)) {
        heaterCalled_ = true;
    } else if (chamberF_ < setpoint - kHysteresisF) {
        heaterCalled_ = true;
    } else if (chamberF_ > setpoint + kHysteresisF) {
        heaterCalled_ = false;
    }
    const bool heating = heaterCalled_ && !ScenarioActive(AlarmScenario::HeaterFailed);

    chamberF_ += (heating ? kHeatFPerSecond : 0.0) - kLossPerSecond * (chamberF_ - ambientF);
    for (std::size_t i = 0; i < coreF_.size(); ++i) {
        coreF_[i] += kCoreFollowPerSecond[i] * (chamberF_ - coreF_[i]);
    }

    if (running) {
        if (chamberF_ >= setpoint - kAlarmBandF / 2.0) {
            reachedSetpoint_ = true;
        }
        if (++secondsTowardTenth_ >= kSecondsPerTenthHour) {
            secondsTowardTenth_ = 0;
            const std::int16_t hours = HoursWord();
            if (hours < 32767) {
                WriteWord(34, static_cast<std::uint16_t>(hours + 1));
            }
        }
    }
}

void SimUnit::RunAhead(std::int64_t seconds, double ambientF) {
    for (std::int64_t s = 0; s < seconds; ++s) {
        StepOneSecond(simMs_, ambientF);
    }
}

bool SimUnit::HighAlarm() const {
    if (ScenarioActive(AlarmScenario::ForceHigh)) {
        return true;
    }
    return GetMode() == Mode::Run && chamberF_ > SetpointF() + kAlarmBandF;
}

bool SimUnit::LowAlarm() const {
    if (ScenarioActive(AlarmScenario::ForceLow)) {
        return true;
    }
    return GetMode() == Mode::Run && reachedSetpoint_ && chamberF_ < SetpointF() - kAlarmBandF;
}

std::uint8_t SimUnit::StatusBits() const {
    std::uint8_t bits =
        static_cast<std::uint8_t>(image_[41] & ~(kHeaterBit | kHighAlarmBit | kLowAlarmBit));
    if (heaterCalled_) {
        bits |= kHeaterBit;
    }
    if (HighAlarm()) {
        bits |= kHighAlarmBit;
    }
    if (LowAlarm()) {
        bits |= kLowAlarmBit;
    }
    return bits;
}

std::int16_t SimUnit::HoursWord() const {
    return static_cast<std::int16_t>(ReadWord(34));
}

std::uint16_t SimUnit::ElapsedTenths(std::int64_t simMs) {
    return static_cast<std::uint16_t>((simMs / (kSecondsPerTenthHour * 1000)) & 0xFFFF);
}

std::int16_t SimUnit::RtdRaw(int rtd) const {
    if (rtd < 1 || rtd > 4) {
        return 0;
    }
    if ((brokenRtdMask_ >> (rtd - 1)) & 1u) {
        return 0x7FFF;
    }
    const double f = rtd == 4 ? chamberF_ : coreF_[static_cast<std::size_t>(rtd - 1)];
    return static_cast<std::int16_t>(RawFromF(f));
}

SimUnit::Reply SimUnit::StatusReply(std::int64_t simMs) const {
    Reply reply = image_;
    reply[0] = static_cast<std::uint8_t>(nodeId_);
    const std::uint16_t elapsed = ElapsedTenths(simMs);
    reply[6] = static_cast<std::uint8_t>(elapsed >> 8);
    reply[7] = static_cast<std::uint8_t>(elapsed & 0xFFu);
    reply[41] = StatusBits();
    // The words lie in the order RTD 1, RTD 3, RTD 2, RTD 4.
    constexpr std::array<int, 4> kRtdAtWord = {1, 3, 2, 4};
    for (std::size_t w = 0; w < kRtdAtWord.size(); ++w) {
        const auto raw = static_cast<std::uint16_t>(RtdRaw(kRtdAtWord[w]));
        reply[44 + 2 * w] = static_cast<std::uint8_t>(raw >> 8);
        reply[45 + 2 * w] = static_cast<std::uint8_t>(raw & 0xFFu);
    }
    WireFrame::Seal(reply, WireFrame::ChecksumBytesFor(reply[1]));
    return reply;
}

void SimUnit::ApplyCommit(std::span<const std::uint8_t> frame) {
    if (frame.size() != WireFrame::kStatusLength) {
        return;
    }
    const std::int16_t hoursBefore = HoursWord();
    for (std::size_t i = 2; i < 58; ++i) {
        if (i != 4 && !IsMeasuredByte(i)) {
            image_[i] = frame[i];
        }
    }
    if (HoursWord() != hoursBefore) {
        secondsTowardTenth_ = 0;
    }
    EnterMode(frame[4]);
}

} // namespace farmsim
