#pragma once

#include "app/CTreeListDoc.h"
#include "app/SessionParts.h"
#include "config/ComPortProbe.h"
#include "config/HiveFileBackend.h"
#include "link/CMainFrameLink.h"
#include "sim/Farm.h"
#include "support/EngineFakes.h"
#include "system/SimulatedSerialControl.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The mix of line faults the day-long runs use: every kind but carrier loss, a few percent each.
inline farmsim::FaultRates EverydayFaults(double silence) {
    farmsim::FaultRates faults;
    faults.silence = silence;
    faults.badChecksum = 0.02;
    faults.missingByte = 0.01;
    faults.extraByte = 0.01;
    faults.noise = 0.01;
    faults.late = 0.01;
    return faults;
}

// The whole program below its windows — document, port I/O, recording views — on a simulated
// serial line to a simulated farm, on a virtual clock that ticks the document every 1000 ms.
// Hours of farm time run in seconds, and a run is reproducible from its seed.
class FarmHarness {
public:
    FarmHarness(farmsim::FarmConfig config, std::uint64_t lineSeed);
    ~FarmHarness();
    FarmHarness(const FarmHarness&) = delete;
    FarmHarness& operator=(const FarmHarness&) = delete;

    CTreeListDoc& Doc() { return m_parts.Document(); }
    farmsim::Farm& Sim() { return m_farm; }
    SimulatedSerialControl& Line() { return m_line; }
    RecordingFrame& Frame() { return m_frame; }
    RecordingListView& List() { return m_list; }
    RecordingTreeView& Tree() { return m_tree; }
    CMainFrameLink& Link() { return m_parts.Link(); }
    const std::string& WorkingDirectory() const { return m_workDir.Path(); }

    // Starts the document as the program does, from a hive in the working directory that
    // switches alarm annunciation on (no COM ports exist).
    void StartWithAnnunciation();

    // Configures farm 0 of the document with the simulator's units (and a connection type).
    void ConfigureFarm(std::uint8_t connectionType = CT_LOCAL, const std::string& phone = "");

    // Runs whole ticks; after every tick the check (if any) runs.
    void RunTicks(int ticks);
    void RunSeconds(int seconds) { RunTicks(seconds); }
    std::function<void()> afterTick;
    // Runs once the line has delivered what came before the tick, just before the document's
    // tick; it is given the number of the tick about to run (from 1).
    std::function<void(int)> beforeTick;

    std::int64_t NowMs() const { return m_nowMs; }
    int Ticks() const { return m_ticks; }
    // Writes the PC made since the tick before the last one ended.
    std::size_t WritesInLastTick() const { return m_writesInLastTick; }

    // Targets of the scan queries that started a new target (attempt 1), in order, since the
    // farm last became connected.
    const std::vector<int>& NewTargets() const { return m_newTargets; }

private:
    // Local time runs with the line's virtual clock, from 08:14:57 on 6 December 2006.
    class LineClock : public Clock {
    public:
        explicit LineClock(const SimulatedSerialControl& line) : m_line(line) {}
        LocalDateTime Now() const override;
        void WaitMilliseconds(int) override {}

    private:
        const SimulatedSerialControl& m_line;
    };

    class NoComPorts : public ComPortProbe {
    public:
        bool IsPortAvailable(int) override { return false; }
    };

    // Everything the document reaches comes before the parts that hold it: its end closes
    // files in the working directory, saves the hive and may still use the line and the views.
    ScratchDirectory m_workDir;
    RecordingSpeaker m_speaker;
    std::unique_ptr<HiveFileBackend> m_hive;
    NoComPorts m_noPorts;
    farmsim::Farm m_farm;
    SimulatedSerialControl m_line;
    LineClock m_clock{m_line};
    RecordingFrame m_frame;
    RecordingListView m_list;
    RecordingTreeView m_tree;
    SessionParts m_parts;
    std::int64_t m_nowMs = 0;
    int m_ticks = 0;
    std::size_t m_writesInLastTick = 0;
    std::size_t m_writesSeen = 0;
    bool m_wasConnected = false;
    std::vector<int> m_newTargets;
};
