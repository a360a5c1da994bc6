#include "system/FarmInvariants.h"

#include "sim/WireFrame.h"

#include <algorithm>

FarmInvariants::FarmInvariants(FarmHarness& harness) : m_h(harness) {
    for (const auto& unit : m_h.Sim().Units()) {
        m_configured.push_back(unit.NodeId());
    }
    std::sort(m_configured.begin(), m_configured.end());
}

void FarmInvariants::Fail(const std::string& what) {
    if (m_failure.empty()) {
        std::ostringstream text;
        text << "tick " << m_h.Ticks() << ": " << what;
        m_failure = text.str();
    }
}

void FarmInvariants::Check() {
    if (m_h.Doc().FarmScanPace(0).kind == ScanPaceKind::Tick && m_h.WritesInLastTick() > 1) {
        Fail("more than one frame written in one tick");
    }
    CheckLineSpacing();
    RecordRepliesSent();
    RecordUndetectedDamage();
    CheckTargetsCycle();
    CheckListAgainstTruth();
}

void FarmInvariants::CheckLineSpacing() {
    const auto& writes = m_h.Line().Writes();
    const ScanPaceSettings& pace = m_h.Doc().FarmScanPace(0);
    for (; m_writesSpaced < writes.size(); ++m_writesSpaced) {
        if (m_writesSpaced == 0 || pace.kind != ScanPaceKind::Line) {
            continue;
        }
        const auto& before = writes[m_writesSpaced - 1];
        const auto& now = writes[m_writesSpaced];
        const std::int64_t free = before.timeMs +
                                  ScanPace::LineTimeMs(static_cast<int>(before.bytes.size())) +
                                  pace.guardMs;
        if (now.timeMs < free) {
            Fail("a frame at " + std::to_string(now.timeMs) + " ms while the line was busy until " +
                 std::to_string(free) + " ms");
            return;
        }
    }
}

void FarmInvariants::RecordRepliesSent() {
    for (const auto& unit : m_h.Sim().Units()) {
        const auto& traffic = unit.GetTraffic();
        const auto node = static_cast<std::size_t>(unit.NodeId());
        if (traffic.repliesSent == m_repliesSeen[node] || !traffic.hasStatusReply) {
            continue;
        }
        m_repliesSeen[node] = traffic.repliesSent;
        KilnRecord decoded;
        decoded.m_iCuringMethod = 0;
        m_h.Doc().KVN_To_PC(decoded, traffic.lastStatusReply.data() + 2);
        auto& recent = m_sentRecords[node];
        recent.push_back(decoded);
        if (recent.size() > 4) {
            recent.pop_front();
        }
    }
}

void FarmInvariants::RecordUndetectedDamage() {
    const auto& damaged = m_h.Sim().UndetectedDamage();
    for (; m_damageSeen < damaged.size(); ++m_damageSeen) {
        const auto& reply = damaged[m_damageSeen];
        if (reply.size() != farmsim::WireFrame::kStatusLength) {
            continue; // a commit or station reply: it never makes a unit line
        }
        KilnRecord decoded;
        decoded.m_iCuringMethod = 0;
        m_h.Doc().KVN_To_PC(decoded, reply.data() + 2);
        auto& recent = m_damagedRecords[reply[0]];
        recent.push_back(decoded);
        if (recent.size() > 4) {
            recent.pop_front();
        }
    }
}

void FarmInvariants::CheckTargetsCycle() {
    // From each connection on, the new targets walk the configured units in node order, from
    // the lowest, round after round.
    const auto& targets = m_h.NewTargets();
    if (targets.size() < m_newTargetsChecked) {
        m_newTargetsChecked = 0; // a new connection started the walk again
    }
    for (; m_newTargetsChecked < targets.size(); ++m_newTargetsChecked) {
        const int expected = m_configured[m_newTargetsChecked % m_configured.size()];
        if (targets[m_newTargetsChecked] != expected) {
            Fail("new target " + std::to_string(targets[m_newTargetsChecked]) + " where " +
                 std::to_string(expected) + " was due");
            return;
        }
    }
}

void FarmInvariants::CheckListAgainstTruth() {
    const auto& data = m_h.List().data;
    for (; m_listSeen < data.size(); ++m_listSeen) {
        const auto& d = data[m_listSeen];
        if (d.retryCountdown != 0 || d.newRecord.m_iCuringMethod == 0) {
            continue;
        }
        ++m_unitLinesChecked;
        if (d.nodeId < 1 || d.nodeId > 254) {
            Fail("unit line for node " + std::to_string(d.nodeId));
            continue;
        }
        const auto shows = [&](const KilnRecord& r) {
            return r.m_iUnitStatus == d.newRecord.m_iUnitStatus && r.m_wRtd == d.newRecord.m_wRtd &&
                   r.m_iAlarmStatus == d.newRecord.m_iAlarmStatus &&
                   r.m_bCentigrade == d.newRecord.m_bCentigrade &&
                   r.m_wElapsedTenths == d.newRecord.m_wElapsedTenths &&
                   r.m_byIdentificationCode == d.newRecord.m_byIdentificationCode;
        };
        const auto node = static_cast<std::size_t>(d.nodeId);
        if (std::any_of(m_sentRecords[node].begin(), m_sentRecords[node].end(), shows)) {
            continue;
        }
        if (std::any_of(m_damagedRecords[node].begin(), m_damagedRecords[node].end(), shows)) {
            ++m_damagedLinesShown;
            continue;
        }
        Fail("unit " + std::to_string(d.nodeId) + " shown with values it never sent");
    }
}
