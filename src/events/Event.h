#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What happened, to which farm and unit, when: one line of the events journal. Times are the
// document's local seconds (since 2000-01-01 00:00:00, as the PC logs' lines).
enum class EventKind {
    AlarmRaised,       // detail: the condition, "High" or "Low"
    AlarmCleared,      // detail: the condition, then why when it was not the unit's reply
    AlarmAcknowledged, // detail: the condition and the operator session
    UnitSilent,        // the unit's attempts were given up
    UnitAnswering,     // a unit that was silent answered again
    SensorFault,       // detail: the cores out of their sensor's range and what they read
    SensorRecovered,
    ChargeQualified, // detail: how long the three cores held the threshold, and since when
    ChargeBroken,    // detail: how long they held it and what broke the stretch
    ModeChanged,     // detail: the new mode, and by whose hand
    FarmConnected,
    FarmDisconnected,
    PortLost,
    Reconnected, // connected again after its port was lost
    ProgramStarted,
    ProgramEnded,
};

inline constexpr int kEventKindCount = 16;

struct Event {
    std::int64_t time = 0;
    int farm = -1; // farm index 0..3; -1 for the program's own events
    int unit = 0;  // node ID 1..254; 0 for a farm's or the program's events
    EventKind kind = EventKind::ProgramStarted;
    std::string detail;

    bool operator==(const Event&) const = default;
};

// The kind's word in the journal ("alarm-raised"); never translated, so a journal reads the
// same in both languages.
std::string_view EventKindName(EventKind kind);
// False for a word that names no kind.
bool EventKindFromName(std::string_view name, EventKind& kind);
