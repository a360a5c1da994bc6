#include "net/LineHealth.h"

#include <algorithm>

void LineHealth::Reset(const std::vector<int>& configuredNodes) {
    m_units = {};
    m_tracked = {};
    ++m_connection;
    for (const int node : configuredNodes) {
        Track(node);
    }
}

UnitLineHealth* LineHealth::Track(int nodeId) {
    if (nodeId < 1 || nodeId > kUnitCount) {
        return nullptr;
    }
    const auto index = static_cast<std::size_t>(nodeId - 1);
    if (!m_tracked[index]) {
        m_tracked[index] = true;
        m_units[index] = UnitLineHealth{};
        m_units[index].nodeId = nodeId;
    }
    return &m_units[index];
}

void LineHealth::PollSent(int nodeId) {
    if (UnitLineHealth* unit = Track(nodeId)) {
        ++unit->polls;
    }
}

void LineHealth::GoodReply(int nodeId, std::int64_t now) {
    if (UnitLineHealth* unit = Track(nodeId)) {
        ++unit->goodReplies;
        unit->lastGoodReply = now;
        unit->givenUp = false;
    }
}

void LineHealth::NoValidReply(int nodeId) {
    if (UnitLineHealth* unit = Track(nodeId)) {
        ++unit->noValidReply;
    }
}

void LineHealth::GiveUp(int nodeId) {
    if (UnitLineHealth* unit = Track(nodeId)) {
        ++unit->giveUps;
        unit->givenUp = true;
    }
}

void LineHealth::Refused(int nodeId) {
    if (UnitLineHealth* unit = Track(nodeId)) {
        ++unit->refused;
    }
}

const UnitLineHealth* LineHealth::Unit(int nodeId) const {
    if (nodeId < 1 || nodeId > kUnitCount || !m_tracked[static_cast<std::size_t>(nodeId - 1)]) {
        return nullptr;
    }
    return &m_units[static_cast<std::size_t>(nodeId - 1)];
}

std::vector<UnitLineHealth> LineHealth::Units() const {
    std::vector<UnitLineHealth> units;
    for (std::size_t i = 0; i < m_units.size(); ++i) {
        if (m_tracked[i]) {
            units.push_back(m_units[i]);
        }
    }
    return units;
}

std::vector<UnitLineHealth> LineHealth::FailingFirst(std::int64_t now) const {
    std::vector<UnitLineHealth> units = Units();
    // A unit that never answered counts as silent for longer than any that did.
    const auto silence = [now](const UnitLineHealth& u) {
        const std::int64_t since = u.SecondsSinceGoodReply(now);
        return since < 0 ? INT64_MAX : since;
    };
    std::stable_sort(units.begin(), units.end(),
                     [&](const UnitLineHealth& a, const UnitLineHealth& b) {
                         if (a.Failing() != b.Failing()) {
                             return a.Failing();
                         }
                         if (a.Failing() && silence(a) != silence(b)) {
                             return silence(a) > silence(b);
                         }
                         if (a.noValidReply != b.noValidReply) {
                             return a.noValidReply > b.noValidReply;
                         }
                         return a.nodeId < b.nodeId;
                     });
    return units;
}
