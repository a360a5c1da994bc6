#include "events/EventDetector.h"

#include "events/EventLine.h"
#include "kiln/KilnDecoding.h"
#include "pclog/LogText.h"
#include "tools/treat/LogTimestamp.h"
#include "tools/treat/PcLogFollower.h"

#include <utility>

namespace {

const char* ConditionName(int alarm) {
    return alarm == AS_LOW ? "Low" : "High";
}

const char* ModeName(int status) {
    switch (status) {
    case US_RUN:
        return "Run";
    case US_SETUP:
        return "Setup";
    default:
        return "Standby";
    }
}

// The cores (bit n - 1 for core n) whose reading, as the PC log writes it, is beyond what the
// sensor can read: the treatment record's rule for a failed sensor.
int FaultyCores(const KilnRecord& record, int (&readings)[3]) {
    const bool centigrade = record.m_bCentigrade != 0;
    const int limit = logtools::TreatmentRule::maximumValidReading(
        centigrade ? logtools::Scale::Centigrade : logtools::Scale::Fahrenheit);
    int cores = 0;
    for (int core = 0; core < 3; ++core) {
        readings[core] = ConvertRawTemperature(
            true, centigrade, static_cast<std::int16_t>(record.m_wRtd[std::size_t(core)]));
        if (readings[core] > limit) {
            cores |= 1 << core;
        }
    }
    return cores;
}

std::string CoresText(int cores, const int (&readings)[3], bool centigrade) {
    std::string text;
    for (int core = 0; core < 3; ++core) {
        if ((cores & (1 << core)) == 0) {
            continue;
        }
        if (!text.empty()) {
            text += "; ";
        }
        text += "core " + std::to_string(core + 1) + " reads " + std::to_string(readings[core]) +
                (centigrade ? "C" : "F");
    }
    return text;
}

// "29 min at 56C (132.8F) since 2026-12-08 08:00:00"
std::string StretchText(logtools::LogSeconds held, const logtools::Stretch& stretch,
                        const logtools::TreatmentRule& rule) {
    return logtools::LogTimestamp::durationText(held) + " at " + rule.thresholdText() + " since " +
           logtools::LogTimestamp::text(stretch.first.time);
}

std::string BreakText(const logtools::Stretch& stretch) {
    const std::string scale = stretch.scale == logtools::Scale::Centigrade ? "C" : "F";
    switch (stretch.end) {
    case logtools::StretchEnd::Cold:
        return "core " + std::to_string(stretch.endCore) + " read " +
               std::to_string(stretch.endReading) + scale;
    case logtools::StretchEnd::Gap:
        return "no line for " +
               logtools::LogTimestamp::durationText(stretch.endPlace.time - stretch.last.time);
    case logtools::StretchEnd::SensorFault:
        return "core " + std::to_string(stretch.endCore) + " read " +
               std::to_string(stretch.endReading) + scale + ", beyond its sensor";
    case logtools::StretchEnd::ScaleChange:
        return "the unit changed its scale";
    case logtools::StretchEnd::EndOfRecord:
    case logtools::StretchEnd::Open:
        break;
    }
    return "the log ended";
}

} // namespace

EventDetector::EventDetector(std::string session) : m_session(std::move(session)) {}

EventDetector::UnitState* EventDetector::State(int farm, int unit) {
    if (farm < 0 || farm >= kFarmCount || unit < 1 || unit > kUnitCount) {
        return nullptr;
    }
    return &m_units[static_cast<std::size_t>(farm)][static_cast<std::size_t>(unit - 1)];
}

void EventDetector::Emit(std::int64_t now, int farm, int unit, EventKind kind, std::string detail) {
    m_events.push_back(Event{now, farm, unit, kind, std::move(detail)});
}

void EventDetector::ClearAlarm(int farm, int unit, UnitState& state, std::int64_t now,
                               const char* why) {
    if (state.alarm != AS_NORMAL) {
        Emit(now, farm, unit, EventKind::AlarmCleared,
             std::string(ConditionName(state.alarm)) +
                 (why != nullptr ? std::string(", ") + why : ""));
        state.alarm = AS_NORMAL;
    }
}

void EventDetector::UnitData(int farm, int unit, const KilnRecord& record, int retryCountdown,
                             bool byCommit, std::int64_t now) {
    UnitState* state = State(farm, unit);
    if (state == nullptr) {
        return;
    }
    if (record.m_iCuringMethod == CM_NONE) {
        // Only the last of a unit's attempts counts: the others may still be answered.
        if (retryCountdown >= 1 || (state->seen && !state->answering)) {
            return;
        }
        ClearAlarm(farm, unit, *state, now, "unit silent");
        Emit(now, farm, unit, EventKind::UnitSilent);
        state->seen = true;
        state->answering = false;
        return;
    }
    if (state->seen && !state->answering) {
        Emit(now, farm, unit, EventKind::UnitAnswering);
    }
    state->seen = true;
    state->answering = true;

    if (state->status >= 0 && record.m_iUnitStatus != state->status) {
        Emit(now, farm, unit, EventKind::ModeChanged,
             std::string(ModeName(record.m_iUnitStatus)) +
                 (byCommit ? ", by commit of " + m_session : std::string(", at the unit")));
    }
    state->status = record.m_iUnitStatus;

    if (record.m_iAlarmStatus != state->alarm) {
        ClearAlarm(farm, unit, *state, now, nullptr);
        if (record.m_iAlarmStatus == AS_LOW || record.m_iAlarmStatus == AS_HIGH) {
            Emit(now, farm, unit, EventKind::AlarmRaised, ConditionName(record.m_iAlarmStatus));
            state->alarm = record.m_iAlarmStatus;
        }
    }

    int readings[3] = {};
    const int faulty = FaultyCores(record, readings);
    const bool centigrade = record.m_bCentigrade != 0;
    if (const int gained = faulty & ~state->faultCores; gained != 0) {
        Emit(now, farm, unit, EventKind::SensorFault, CoresText(gained, readings, centigrade));
    }
    if (const int lost = state->faultCores & ~faulty; lost != 0) {
        Emit(now, farm, unit, EventKind::SensorRecovered, CoresText(lost, readings, centigrade));
    }
    state->faultCores = faulty;
}

void EventDetector::UnitRemoved(int farm, int unit, std::int64_t now) {
    if (UnitState* state = State(farm, unit)) {
        ClearAlarm(farm, unit, *state, now, "unit deleted");
        *state = UnitState{};
    }
}

void EventDetector::ForgetFarm(int farm, std::int64_t now, const char* why) {
    for (int unit = 1; unit <= kUnitCount; ++unit) {
        UnitState& state = *State(farm, unit);
        ClearAlarm(farm, unit, state, now, why);
        state = UnitState{};
    }
}

void EventDetector::FarmConnected(int farm, std::int64_t now) {
    if (farm < 0 || farm >= kFarmCount) {
        return;
    }
    auto& lost = m_portLost[static_cast<std::size_t>(farm)];
    Emit(now, farm, 0, lost ? EventKind::Reconnected : EventKind::FarmConnected);
    lost = false;
    // What the units did while the farm was away is not known: modes start afresh.
    for (auto& state : m_units[static_cast<std::size_t>(farm)]) {
        state = UnitState{};
    }
}

void EventDetector::FarmDisconnected(int farm, std::int64_t now) {
    if (farm < 0 || farm >= kFarmCount) {
        return;
    }
    Emit(now, farm, 0, EventKind::FarmDisconnected);
    ForgetFarm(farm, now, "farm disconnected");
}

void EventDetector::PortLost(int farm, std::int64_t now) {
    if (farm < 0 || farm >= kFarmCount) {
        return;
    }
    m_portLost[static_cast<std::size_t>(farm)] = true;
    Emit(now, farm, 0, EventKind::PortLost);
}

void EventDetector::Treatment(int farm, const logtools::PcLogFollower& follower, std::int64_t now) {
    if (farm < 0 || farm >= kFarmCount) {
        return;
    }
    FarmCharges& charges = m_charges[static_cast<std::size_t>(farm)];
    if (follower.path() != charges.path) {
        charges = FarmCharges{};
        charges.path = follower.path();
    }
    const logtools::LogSeconds required = m_rule.requiredSeconds();
    for (int unit = 1; unit <= kUnitCount; ++unit) {
        const logtools::UnitTreatment* treatment = follower.unit(unit);
        if (treatment == nullptr) {
            continue;
        }
        ChargeState& charge = charges.units[static_cast<std::size_t>(unit - 1)];
        const auto& stretches = treatment->stretches();
        for (std::size_t i = charge.stretchesDone; i < stretches.size(); ++i) {
            const logtools::Stretch& stretch = stretches[i];
            const bool qualifies = stretch.length() >= required;
            if (qualifies && !charge.openQualified) {
                // Told as the minutes the rule asks, reached: later looks see it longer.
                Emit(now, farm, unit, EventKind::ChargeQualified,
                     StretchText(required, stretch, m_rule));
                charge.openQualified = true;
            }
            if (stretch.end == logtools::StretchEnd::Open) {
                charge.openHeld = stretch.length();
                charge.openStretch = stretch;
                break;
            }
            // A single line at the threshold is no charge yet; a stretch that held for any
            // time and ended short of the minutes is one broken.
            if (!qualifies && stretch.length() > 0) {
                Emit(now, farm, unit, EventKind::ChargeBroken,
                     StretchText(stretch.length(), stretch, m_rule) + ", " + BreakText(stretch));
            }
            charge.stretchesDone = i + 1;
            charge.openQualified = false;
            charge.openHeld = -1;
        }
    }
}

void EventDetector::TreatmentEnded(int farm, std::int64_t now) {
    if (farm < 0 || farm >= kFarmCount) {
        return;
    }
    FarmCharges& charges = m_charges[static_cast<std::size_t>(farm)];
    for (int unit = 1; unit <= kUnitCount; ++unit) {
        const ChargeState& charge = charges.units[static_cast<std::size_t>(unit - 1)];
        if (!charge.openQualified && charge.openHeld > 0) {
            Emit(now, farm, unit, EventKind::ChargeBroken,
                 StretchText(charge.openHeld, charge.openStretch, m_rule) + ", the log ended");
        }
    }
    charges = FarmCharges{};
}

void EventDetector::ProgramStarted(std::int64_t now) {
    Emit(now, -1, 0, EventKind::ProgramStarted, m_session);
}

void EventDetector::ProgramEnded(std::int64_t now) {
    Emit(now, -1, 0, EventKind::ProgramEnded, m_session);
}

void EventDetector::AlarmAcknowledged(int farm, int unit, const std::string& condition,
                                      std::int64_t now) {
    Emit(now, farm, unit, EventKind::AlarmAcknowledged, condition + ", by " + m_session);
}

std::vector<Event> EventDetector::TakeEvents() {
    return std::exchange(m_events, {});
}
