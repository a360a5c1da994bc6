#pragma once

#include "system/FarmHarness.h"

#include <array>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

// Checks, after every tick (and at the line pace after every line step), what must hold however
// the line and the units misbehave: one frame a tick at most, or at the line pace no frame
// before the previous one has left the port and the line was quiet for the guard time; every unit
// asked in turn, and every unit line the list was given equal to a reply that unit really sent, or
// to one the line damaged in a way the additive checksum cannot detect (the simulator marks those;
// they are counted, as the protocol cannot promise more). The first violation is kept with the tick
// it happened on.
class FarmInvariants {
public:
    explicit FarmInvariants(FarmHarness& harness);

    void Check();
    const std::string& Failure() const { return m_failure; }
    std::size_t UnitLinesChecked() const { return m_unitLinesChecked; }
    // Unit lines that showed a damaged reply the checksum let through.
    std::size_t DamagedLinesShown() const { return m_damagedLinesShown; }
    std::size_t RoundsCompleted() const { return m_newTargetsChecked / m_configured.size(); }

private:
    void Fail(const std::string& what);
    void RecordRepliesSent();
    void RecordUndetectedDamage();
    void CheckTargetsCycle();
    void CheckLineSpacing();
    void CheckListAgainstTruth();

    FarmHarness& m_h;
    std::vector<int> m_configured; // node IDs, ascending
    std::array<std::uint64_t, 256> m_repliesSeen{};
    std::array<std::deque<KilnRecord>, 256> m_sentRecords;    // recent replies as decoded
    std::array<std::deque<KilnRecord>, 256> m_damagedRecords; // by the node byte as damaged
    std::size_t m_damageSeen = 0;
    std::size_t m_writesSpaced = 0;
    std::size_t m_newTargetsChecked = 0;
    std::size_t m_listSeen = 0;
    std::size_t m_unitLinesChecked = 0;
    std::size_t m_damagedLinesShown = 0;
    std::string m_failure;
};
