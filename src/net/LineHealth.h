#pragma once

#include <array>
#include <cstdint>
#include <vector>

// How one unit has fared on the line during the present connection.
struct UnitLineHealth {
    int nodeId = 0;
    std::uint64_t polls = 0;         // status queries sent to it
    std::uint64_t goodReplies = 0;   // queries it answered with a valid reply of its own
    std::uint64_t noValidReply = 0;  // queries that got no valid reply before the next tick
    std::uint64_t giveUps = 0;       // visits that ended after the seventh attempt in vain
    std::uint64_t refused = 0;       // queries whose answer arrived but was refused
    std::int64_t lastGoodReply = -1; // local seconds since 2000-01-01; -1: none yet
    bool givenUp = false;            // its latest visit ended in a give-up

    // A unit the line is failing: asked and never answered, or given up on its latest visit.
    bool Failing() const { return givenUp || (polls > 0 && goodReplies == 0 && noValidReply > 0); }
    // Seconds from its last good reply to now; -1 when it has not answered yet.
    std::int64_t SecondsSinceGoodReply(std::int64_t now) const {
        return lastGoodReply < 0 ? -1 : (now > lastGoodReply ? now - lastGoodReply : 0);
    }
};

// Line health of the connected farm, per unit. The scheduler and the reply path report what
// happened to each query; nothing here has any say over what is sent. Everything is forgotten
// when a connection starts.
class LineHealth {
public:
    static constexpr int kUnitCount = 254;

    // A new connection: every count back to zero. The units listed are shown even before
    // their first query.
    void Reset(const std::vector<int>& configuredNodes);
    void PollSent(int nodeId);
    void GoodReply(int nodeId, std::int64_t now);
    // The query went unanswered, or only with something refused.
    void NoValidReply(int nodeId);
    void GiveUp(int nodeId);
    void Refused(int nodeId);

    // The unit's figures, or nullptr for a node outside 1..254 or one not tracked.
    const UnitLineHealth* Unit(int nodeId) const;
    // Every tracked unit, in node order.
    std::vector<UnitLineHealth> Units() const;
    // Every tracked unit, the failing ones first, then the longest silent, then the most
    // queries without a valid reply, then by node.
    std::vector<UnitLineHealth> FailingFirst(std::int64_t now) const;
    // Counts each Reset, so a view can tell that a new connection started.
    std::uint32_t Connection() const { return m_connection; }

private:
    UnitLineHealth* Track(int nodeId);

    std::array<UnitLineHealth, kUnitCount> m_units{};
    std::array<bool, kUnitCount> m_tracked{};
    std::uint32_t m_connection = 0;
};
