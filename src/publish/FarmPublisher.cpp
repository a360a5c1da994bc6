#include "publish/FarmPublisher.h"

#include "kiln/KilnDecoding.h"
#include "net/LineHealth.h"

#include <utility>

namespace {

bool ValidFarm(int farmIndex) {
    return farmIndex >= 0 && farmIndex < FarmPublisher::kFarmCount;
}

bool ValidNode(int nodeId) {
    return nodeId >= 1 && nodeId <= FarmPublisher::kUnitCount;
}

bool HasData(const KilnRecord& record) {
    return record.m_iCuringMethod != CM_NONE;
}

} // namespace

FarmPublisher::FarmPublisher(Publisher& publisher, const std::string& prefix,
                             const std::string& site, std::size_t capacity)
    : m_publisher(publisher), m_payloads(prefix, site), m_queue(capacity), m_follower(m_rule) {}

void FarmPublisher::Enqueue(PublishMessage::Kind kind, std::string topic, std::string payload,
                            bool retain) {
    m_bUrgent = m_bUrgent || kind != PublishMessage::Kind::Reading;
    m_queue.Push(PublishMessage{kind, std::move(topic), std::move(payload), 1, retain});
    if (m_queue.Dropped() > 0 && !m_toldDropping) {
        m_toldDropping = true;
        m_notices.push_back("publishing: the queue for the broker is full; the oldest readings "
                            "are being dropped until it is back");
    }
}

void FarmPublisher::Event(const std::string& kind, int farmIndex, int nodeId, std::int64_t now,
                          const std::string& detail) {
    Enqueue(PublishMessage::Kind::Event, m_payloads.EventTopic(),
            m_payloads.Event(kind, farmIndex, nodeId, now, detail), false);
}

void FarmPublisher::JournalEvent(const ::Event& event) {
    Event(std::string(EventKindName(event.kind)), event.farm, event.unit, event.time, event.detail);
}

void FarmPublisher::UnitsShown(int farmIndex,
                               const std::array<std::optional<KilnRecord>, 254>& shown,
                               std::int64_t now) {
    (void)now;
    if (!ValidFarm(farmIndex)) {
        return;
    }
    auto& units = m_units[static_cast<std::size_t>(farmIndex)];
    for (std::size_t i = 0; i < units.size(); ++i) {
        if (shown[i]) {
            units[i].record = shown[i];
            units[i].dirty = true;
        }
    }
}

void FarmPublisher::UnitData(int farmIndex, const KilnRecord& newRecord,
                             const KilnRecord& oldRecord, int nodeId, std::int64_t now) {
    if (!ValidFarm(farmIndex) || !ValidNode(nodeId)) {
        return;
    }
    UnitSlot& slot =
        m_units[static_cast<std::size_t>(farmIndex)][static_cast<std::size_t>(nodeId - 1)];
    // An alarm is raised when a unit with data leaves normal, cleared when it returns.
    const bool wasAlarm = HasData(oldRecord) && oldRecord.m_iAlarmStatus != AS_NORMAL;
    const bool isAlarm = HasData(newRecord) && newRecord.m_iAlarmStatus != AS_NORMAL;
    if (m_bJournalEvents) {
        // The journal tells alarms.
    } else if (isAlarm && (!wasAlarm || oldRecord.m_iAlarmStatus != newRecord.m_iAlarmStatus)) {
        Event("alarm-raised", farmIndex, nodeId, now,
              newRecord.m_iAlarmStatus == AS_LOW ? "Low" : "High");
    } else if (wasAlarm && !isAlarm && HasData(newRecord)) {
        Event("alarm-cleared", farmIndex, nodeId, now);
    }
    slot.record = newRecord;
    slot.dirty = true;
}

void FarmPublisher::FarmConnected(int farmIndex, std::int64_t now) {
    if (!ValidFarm(farmIndex)) {
        return;
    }
    const auto farm = static_cast<std::size_t>(farmIndex);
    if (!m_bJournalEvents) {
        Event(m_portLost[farm] ? "reconnected" : "farm-connected", farmIndex, 0, now);
    }
    m_portLost[farm] = false;
    Enqueue(PublishMessage::Kind::FarmState, m_payloads.FarmTopic(farmIndex),
            m_payloads.FarmState(farmIndex, true, now), true);
}

void FarmPublisher::FarmDisconnected(int farmIndex, std::int64_t now) {
    if (!ValidFarm(farmIndex)) {
        return;
    }
    if (!m_bJournalEvents) {
        Event("farm-disconnected", farmIndex, 0, now);
    }
    Enqueue(PublishMessage::Kind::FarmState, m_payloads.FarmTopic(farmIndex),
            m_payloads.FarmState(farmIndex, false, now), true);
}

void FarmPublisher::PortLost(int farmIndex, std::int64_t now) {
    if (!ValidFarm(farmIndex)) {
        return;
    }
    m_portLost[static_cast<std::size_t>(farmIndex)] = true;
    if (!m_bJournalEvents) {
        Event("port-lost", farmIndex, 0, now);
    }
}

std::optional<PublishPayloads::Treatment> FarmPublisher::TreatmentOf(int nodeId) const {
    if (!m_followingLog) {
        return std::nullopt;
    }
    const logtools::UnitTreatment* unit = m_follower.unit(nodeId);
    if (unit == nullptr) {
        return std::nullopt;
    }
    PublishPayloads::Treatment treatment;
    const auto& stretches = unit->stretches();
    if (!stretches.empty() && stretches.back().end == logtools::StretchEnd::Open) {
        treatment.heldMinutes = stretches.back().length() / 60;
    }
    // While the log is still written only a qualified stretch is a verdict.
    if (unit->verdict().treated) {
        treatment.treated = true;
    }
    return treatment;
}

void FarmPublisher::Tick(std::int64_t now, int connectedFarm, const LineHealth* health,
                         const std::string& pcLogPath) {
    if (pcLogPath.empty()) {
        m_follower.reset();
        m_followingLog = false;
    } else if (pcLogPath != m_follower.path() || now < m_lastFollow ||
               now - m_lastFollow >= kFollowSeconds) {
        // The log gains a line per unit a minute at most; reading it every tick costs more
        // than the minutes held it tells.
        m_followingLog = m_follower.follow(pcLogPath);
        m_lastFollow = now;
    }
    for (int farm = 0; farm < kFarmCount; ++farm) {
        auto& units = m_units[static_cast<std::size_t>(farm)];
        for (int node = 1; node <= kUnitCount; ++node) {
            UnitSlot& slot = units[static_cast<std::size_t>(node - 1)];
            if (!slot.dirty || !slot.record) {
                continue;
            }
            slot.dirty = false;
            const bool live = farm == connectedFarm;
            Enqueue(PublishMessage::Kind::Reading, m_payloads.UnitTopic(farm, node),
                    m_payloads.UnitState(farm, node, *slot.record,
                                         live && health != nullptr ? health->Unit(node) : nullptr,
                                         live ? TreatmentOf(node) : std::nullopt, now),
                    true);
        }
    }
    Flush(now);
}

void FarmPublisher::Flush(std::int64_t now) {
    for (std::string& notice : m_publisher.TakeNotices()) {
        m_notices.push_back("publishing: " + notice);
    }
    const bool connected = m_publisher.Connected();
    const std::uint64_t session = m_publisher.Sessions();
    const bool due = m_bUrgent || m_bBacklog || connected != m_wasConnected ||
                     session != m_session || now < m_lastFlush ||
                     now - m_lastFlush >= kReadingBatchSeconds;
    if (connected && session != m_session) {
        // Every new connection says the program is online again: its will may have said
        // offline when the last one broke.
        m_session = session;
        PublishMessage online{PublishMessage::Kind::ProgramState, m_payloads.ProgramTopic(),
                              m_payloads.ProgramState(true, now), 1, true};
        if (!m_publisher.Send(online)) {
            m_queue.Push(std::move(online));
        }
    }
    if (connected != m_wasConnected) {
        if (connected) {
            if (m_toldAway) {
                m_notices.push_back("publishing: the broker is back");
            }
            if (const std::uint64_t dropped = m_queue.TakeDropped(); dropped > 0) {
                m_notices.push_back("publishing: " + std::to_string(dropped) +
                                    " messages were dropped while the broker was away");
                // After what waited: the count is known only now.
                m_queue.Push(PublishMessage{PublishMessage::Kind::Event, m_payloads.EventTopic(),
                                            m_payloads.Event("messages-dropped", -1, 0, now, {},
                                                             static_cast<std::int64_t>(dropped)),
                                            1, false});
            }
            m_toldDropping = false;
            m_toldAway = false;
        } else {
            m_notices.push_back("publishing: the broker is away; messages wait in a queue of " +
                                std::to_string(m_queue.Capacity()));
            m_toldAway = true;
        }
        m_wasConnected = connected;
    }
    if (!connected || !due) {
        return;
    }
    m_lastFlush = now;
    m_bUrgent = false;
    m_bBacklog = false;
    while (!m_queue.Empty()) {
        if (!m_publisher.Send(m_queue.Front())) {
            m_bBacklog = true;
            break;
        }
        m_queue.PopFront();
    }
}

void FarmPublisher::Stop(std::int64_t now) {
    Enqueue(PublishMessage::Kind::ProgramState, m_payloads.ProgramTopic(),
            m_payloads.ProgramState(false, now), true);
    Flush(now);
}

std::vector<std::string> FarmPublisher::TakeNotices() {
    return std::exchange(m_notices, {});
}
