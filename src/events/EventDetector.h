#pragma once

#include "events/Event.h"
#include "kiln/KilnRecord.h"
#include "tools/treat/TreatmentRule.h"
#include "tools/treat/UnitTreatment.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace logtools {
class PcLogFollower;
}

// The rules that turn what the document tells its views into events. It keeps what it last
// saw of every unit, so an event is told once, when something changes, and never for the same
// state twice.
class EventDetector {
public:
    static constexpr int kFarmCount = 4;
    static constexpr int kUnitCount = 254;

    // session: how this program's commits are named ("operator@host pid 1234").
    explicit EventDetector(std::string session);

    // A unit's reply (a record with data) or an unanswered attempt (no data); retryCountdown
    // is the scheduler's: an unanswered attempt with a countdown below 1 is the last one.
    // byCommit: this program's commit went to the unit on this connection just before.
    void UnitData(int farm, int unit, const KilnRecord& record, int retryCountdown, bool byCommit,
                  std::int64_t now);
    // The unit was deleted: its alarms are cleared and it is forgotten.
    void UnitRemoved(int farm, int unit, std::int64_t now);
    void FarmConnected(int farm, std::int64_t now);
    void FarmDisconnected(int farm, std::int64_t now);
    void PortLost(int farm, std::int64_t now);
    // The connected farm's PC log as read so far: charges that qualified or broke since the
    // last call. A follower on another file starts the farm's charges again.
    void Treatment(int farm, const logtools::PcLogFollower& follower, std::int64_t now);
    // The farm's PC log has ended: a stretch still short of the minutes is broken.
    void TreatmentEnded(int farm, std::int64_t now);
    void ProgramStarted(std::int64_t now);
    void ProgramEnded(std::int64_t now);
    // The operator acknowledged an alarm in this session.
    void AlarmAcknowledged(int farm, int unit, const std::string& condition, std::int64_t now);

    const logtools::TreatmentRule& Rule() const { return m_rule; }
    const std::string& Session() const { return m_session; }

    // The events since the last call, in the order they happened.
    std::vector<Event> TakeEvents();

private:
    struct UnitState {
        bool seen = false;      // a reply or a given-up attempt since the farm connected
        bool answering = false; // its last word was a reply
        int alarm = 0;          // AlarmStatus of the last reply
        int status = -1;        // UnitStatus of the last reply; -1 before the first
        int faultCores = 0;     // bit n - 1: core n read beyond its sensor's range
    };
    struct ChargeState {
        std::size_t stretchesDone = 0; // stretches that have ended and been judged
        bool openQualified = false;    // the open stretch has been told as qualified
        std::int64_t openHeld = -1;    // seconds the open stretch held at the last look
        logtools::Stretch openStretch;
    };
    struct FarmCharges {
        std::string path;
        std::array<ChargeState, kUnitCount> units{};
    };

    void Emit(std::int64_t now, int farm, int unit, EventKind kind, std::string detail = {});
    void ClearAlarm(int farm, int unit, UnitState& state, std::int64_t now, const char* why);
    UnitState* State(int farm, int unit);
    void ForgetFarm(int farm, std::int64_t now, const char* why);

    std::string m_session;
    logtools::TreatmentRule m_rule;
    std::array<std::array<UnitState, kUnitCount>, kFarmCount> m_units{};
    std::array<FarmCharges, kFarmCount> m_charges{};
    std::array<bool, kFarmCount> m_portLost{};
    std::vector<Event> m_events;
};
