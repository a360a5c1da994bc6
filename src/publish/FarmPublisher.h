#pragma once

#include "events/Event.h"
#include "kiln/KilnRecord.h"
#include "publish/PublishPayloads.h"
#include "publish/PublishQueue.h"
#include "publish/Publisher.h"
#include "tools/treat/PcLogFollower.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class LineHealth;

// Turns what the document tells its views into messages for the broker and hands them over on
// the tick. Nothing here waits: messages queue while the broker is away (PublishQueue) and go
// out, oldest first, once it is back. The program publishes only; it subscribes to nothing.
class FarmPublisher {
public:
    static constexpr int kFarmCount = 4;
    static constexpr int kUnitCount = 254;
    // Readings go out together at most this often: one wake-up of the client for several
    // units costs far less than one each. Events go out on the tick they happen.
    static constexpr std::int64_t kReadingBatchSeconds = 5;
    // How often the PC log is read again for the treatment so far.
    static constexpr std::int64_t kFollowSeconds = 20;

    // prefix and site come from a validated PublishConfig. The publisher must outlive this.
    FarmPublisher(Publisher& publisher, const std::string& prefix, const std::string& site,
                  std::size_t capacity = PublishQueue::kDefaultCapacity);

    const PublishPayloads& Payloads() const { return m_payloads; }

    // From the kiln list's notices. now: the document's local seconds.
    void UnitsShown(int farmIndex, const std::array<std::optional<KilnRecord>, 254>& shown,
                    std::int64_t now);
    void UnitData(int farmIndex, const KilnRecord& newRecord, const KilnRecord& oldRecord,
                  int nodeId, std::int64_t now);
    // From the farm tree's notices, and the port control's loss.
    void FarmConnected(int farmIndex, std::int64_t now);
    void FarmDisconnected(int farmIndex, std::int64_t now);
    void PortLost(int farmIndex, std::int64_t now);

    // Events come from the program's events journal from now on, with its kinds and details;
    // connections and alarms are no longer told by this publisher itself (farm states are).
    void UseJournalEvents() { m_bJournalEvents = true; }
    // One event of the journal, published at the next tick.
    void JournalEvent(const ::Event& event);

    // The one-second tick, after the document's: builds the states of the units that changed
    // (with the connected farm's line health and the treatment its PC log shows so far) and
    // hands over what the client takes. health may be null; an empty log path means no log.
    void Tick(std::int64_t now, int connectedFarm, const LineHealth* health,
              const std::string& pcLogPath);
    // The orderly end: the program says it is offline (a killed program leaves that to its will).
    void Stop(std::int64_t now);

    // Sentences for the operator since the last call: the client's notices, the broker going
    // and coming back, messages dropped.
    std::vector<std::string> TakeNotices();

    const PublishQueue& Queue() const { return m_queue; }

private:
    void Enqueue(PublishMessage::Kind kind, std::string topic, std::string payload, bool retain);
    void Event(const std::string& kind, int farmIndex, int nodeId, std::int64_t now,
               const std::string& detail = {});
    void Flush(std::int64_t now);
    std::optional<PublishPayloads::Treatment> TreatmentOf(int nodeId) const;

    struct UnitSlot {
        std::optional<KilnRecord> record;
        bool dirty = false;
    };

    Publisher& m_publisher;
    PublishPayloads m_payloads;
    PublishQueue m_queue;
    std::array<std::array<UnitSlot, kUnitCount>, kFarmCount> m_units{};
    std::bitset<kFarmCount> m_portLost;
    logtools::TreatmentRule m_rule;
    logtools::PcLogFollower m_follower;
    bool m_followingLog = false;
    std::int64_t m_lastFollow = 0;
    std::int64_t m_lastFlush = 0;
    bool m_bUrgent = false;  // an event or a farm or program state waits
    bool m_bBacklog = false; // the client refused some at the last flush
    bool m_wasConnected = false;
    bool m_bJournalEvents = false;
    std::uint64_t m_session = 0;
    bool m_toldAway = false;
    bool m_toldDropping = false;
    std::vector<std::string> m_notices;
};
