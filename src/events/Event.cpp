#include "events/Event.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array<std::string_view, kEventKindCount> kNames = {
    "alarm-raised",   "alarm-cleared", "alarm-acknowledged", "unit-silent",
    "unit-answering", "sensor-fault",  "sensor-ok",          "charge-qualified",
    "charge-broken",  "mode-changed",  "farm-connected",     "farm-disconnected",
    "port-lost",      "reconnected",   "program-started",    "program-ended",
};

} // namespace

std::string_view EventKindName(EventKind kind) {
    const auto index = static_cast<std::size_t>(kind);
    return index < kNames.size() ? kNames[index] : std::string_view{};
}

bool EventKindFromName(std::string_view name, EventKind& kind) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) {
            kind = static_cast<EventKind>(i);
            return true;
        }
    }
    return false;
}
