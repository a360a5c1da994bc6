#pragma once

#include "app/CTreeListDoc.h"
#include "link/CMainFrameLink.h"
#include "sim/Farm.h"
#include "support/EngineFakes.h"
#include "system/SimulatedSerialControl.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

// The whole program below its windows — document, port I/O, recording views — on a simulated
// serial line to a simulated farm, on a virtual clock that ticks the document every 1000 ms.
// Hours of farm time run in seconds, and a run is reproducible from its seed.
class FarmHarness {
public:
    FarmHarness(farmsim::FarmConfig config, std::uint64_t lineSeed);

    CTreeListDoc& Doc() { return m_doc; }
    farmsim::Farm& Sim() { return m_farm; }
    SimulatedSerialControl& Line() { return m_line; }
    RecordingFrame& Frame() { return m_frame; }
    RecordingListView& List() { return m_list; }
    RecordingTreeView& Tree() { return m_tree; }
    CMainFrameLink& Link() { return m_link; }
    ManualClock& ClockSeam() { return m_clock; }

    // Configures farm 0 of the document with the simulator's units (and a connection type).
    void ConfigureFarm(std::uint8_t connectionType = CT_LOCAL, const std::string& phone = "");

    // Runs whole ticks; after every tick the check (if any) runs.
    void RunTicks(int ticks);
    void RunSeconds(int seconds) { RunTicks(seconds); }
    std::function<void()> afterTick;

    std::int64_t NowMs() const { return m_nowMs; }
    int Ticks() const { return m_ticks; }
    // Writes the PC made since the tick before the last one ended.
    std::size_t WritesInLastTick() const { return m_writesInLastTick; }

    // Targets of the scan queries that started a new target (attempt 1), in order, since the
    // farm last became connected.
    const std::vector<int>& NewTargets() const { return m_newTargets; }

private:
    farmsim::Farm m_farm;
    SimulatedSerialControl m_line;
    CTreeListDoc m_doc;
    CMainFrameLink m_link;
    RecordingFrame m_frame;
    RecordingListView m_list;
    RecordingTreeView m_tree;
    ManualClock m_clock;
    std::int64_t m_nowMs = 0;
    int m_ticks = 0;
    std::size_t m_writesInLastTick = 0;
    std::size_t m_writesSeen = 0;
    bool m_wasConnected = false;
    std::vector<int> m_newTargets;
};
