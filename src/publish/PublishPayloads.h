#pragma once

#include "kiln/KilnRecord.h"

#include <cstdint>
#include <optional>
#include <string>

struct UnitLineHealth;

// The topics and JSON payloads a site publishes. Every payload carries "layout" so a consumer
// can tell which shape it reads; a change that removes or renames a field raises it.
class PublishPayloads {
public:
    static constexpr int kLayout = 1;

    // What the PC log says of a unit's treatment so far.
    struct Treatment {
        std::int64_t heldMinutes = 0; // of the stretch at threshold going on now; 0: none
        std::optional<bool> treated;  // known once a stretch qualified; else not yet
    };

    PublishPayloads(std::string prefix, std::string site)
        : m_base(std::move(prefix) + "/" + site), m_site(std::move(site)) {}

    // <prefix>/<site>/status, retained: the program's online/offline state, its will.
    std::string ProgramTopic() const { return m_base + "/status"; }
    // <prefix>/<site>/farm/<n>/connection, retained.
    std::string FarmTopic(int farmIndex) const;
    // <prefix>/<site>/farm/<n>/unit/<id>/state, retained.
    std::string UnitTopic(int farmIndex, int nodeId) const;
    // <prefix>/<site>/events, QoS 1, not retained.
    std::string EventTopic() const { return m_base + "/events"; }

    // now: local seconds since 2000-01-01 (the document's clock).
    std::string ProgramState(bool online, std::int64_t now) const;
    std::string FarmState(int farmIndex, bool connected, std::int64_t now) const;
    std::string UnitState(int farmIndex, int nodeId, const KilnRecord& record,
                          const UnitLineHealth* health, const std::optional<Treatment>& treatment,
                          std::int64_t now) const;
    // kind: connected, disconnected, port-lost, reconnected, alarm-raised, alarm-cleared,
    // messages-dropped. nodeId 0 and count -1 leave those fields out; detail may be empty.
    std::string Event(const std::string& kind, int farmIndex, int nodeId, std::int64_t now,
                      const std::string& detail, std::int64_t count = -1) const;

    // "2026-12-08T01:23:07", the local time of now.
    static std::string TimeText(std::int64_t now);
    // A JSON string literal of text; bytes that are not valid UTF-8 become U+FFFD.
    static std::string Quoted(const std::string& text);

private:
    std::string Head(std::int64_t now) const;

    std::string m_base;
    std::string m_site;
};
