#include "sim/AlarmStation.h"

#include "sim/SimUnit.h"
#include "sim/WireFrame.h"

#include <algorithm>
#include <cmath>

namespace farmsim {

namespace {

constexpr std::uint32_t kMaxTimeCount = (1u << 22) - 1;
constexpr std::int64_t kMsPerTimeCount = 10 * 60 * 1000;

int Tenths(double degrees) {
    return static_cast<int>(std::lround(std::clamp(degrees, -100000.0, 100000.0) * 10.0));
}

// The log records in the unit's own degrees, as its display shows them.
int UnitTenths(const SimUnit& unit, double fahrenheit) {
    return Tenths(unit.Centigrade() ? (fahrenheit - 32.0) * 5.0 / 9.0 : fahrenheit);
}

} // namespace

AlarmStation::AlarmStation(std::uint32_t startTimeCount, std::size_t capacityBytes)
    : startTimeCount_(startTimeCount),
      capacityBytes_(std::min<std::size_t>(capacityBytes, 0xFFFFFF) / kRecordSize * kRecordSize) {}

AlarmStation::Record AlarmStation::EncodeRecord(std::uint8_t unitId, std::uint32_t timeCount,
                                                int alarmState, int dryTenths, int wet1Tenths,
                                                int wet2Tenths, bool noWet2) {
    const auto time = std::min(timeCount, kMaxTimeCount);
    const auto dry = static_cast<unsigned>(std::clamp(dryTenths, 0, 0x0FFF));
    const auto wet1 = static_cast<unsigned>(std::clamp(wet1Tenths, 0, 0x3FFF));
    const auto wet2 = static_cast<unsigned>(std::clamp(wet2Tenths, 0, 0x7FFF));
    Record r{};
    r[0] = unitId;
    r[1] = static_cast<std::uint8_t>(time >> 14);
    r[2] = static_cast<std::uint8_t>((time >> 6) & 0xFFu);
    r[3] = static_cast<std::uint8_t>(((time & 0x3Fu) << 2) |
                                     (static_cast<unsigned>(alarmState) & 0x03u));
    r[4] = static_cast<std::uint8_t>(dry >> 7);
    r[5] = static_cast<std::uint8_t>((dry & 0x7Fu) << 1);
    r[6] = static_cast<std::uint8_t>((noWet2 ? 0x80u : 0x00u) | (wet1 >> 7));
    r[7] = static_cast<std::uint8_t>((wet1 & 0x7Fu) << 1);
    r[8] = static_cast<std::uint8_t>(wet2 >> 7);
    r[9] = static_cast<std::uint8_t>((wet2 & 0x7Fu) << 1);
    return r;
}

void AlarmStation::Log(const SimUnit& unit, std::int64_t simMs) {
    if (log_.size() + kRecordSize > capacityBytes_) {
        return;
    }
    int alarmState = 0;
    if (unit.GetMode() != Mode::Run) {
        alarmState = 3;
    } else if (unit.HighAlarm()) {
        alarmState = 1;
    } else if (unit.LowAlarm()) {
        alarmState = 2;
    }
    const std::int64_t intervals = std::max<std::int64_t>(simMs, 0) / kMsPerTimeCount;
    const std::int64_t time = std::min<std::int64_t>(startTimeCount_ + intervals,
                                                     static_cast<std::int64_t>(kMaxTimeCount));
    const Record r =
        EncodeRecord(static_cast<std::uint8_t>(unit.NodeId()), static_cast<std::uint32_t>(time),
                     alarmState, UnitTenths(unit, unit.ChamberF()), UnitTenths(unit, unit.CoreF(1)),
                     UnitTenths(unit, unit.CoreF(2)), false);
    log_.insert(log_.end(), r.begin(), r.end());
}

std::array<std::uint8_t, 7> AlarmStation::SizeReply() const {
    const std::uint32_t count = ByteCount();
    std::array<std::uint8_t, 7> reply = {static_cast<std::uint8_t>(kNodeId),
                                         'D',
                                         static_cast<std::uint8_t>(count >> 16),
                                         static_cast<std::uint8_t>(count >> 8),
                                         static_cast<std::uint8_t>(count),
                                         0,
                                         0};
    WireFrame::Seal(reply, 2);
    return reply;
}

} // namespace farmsim
