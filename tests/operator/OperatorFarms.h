#pragma once

#include "sim/Farm.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <vector>

class OperatorLine;

// The far end of the PC's serial port in the operator runs: one simulated farm behind each of
// COM1, COM2, ... (farm index i on COM i+1), each through a USB adapter that can be pulled out
// and plugged in again, on one virtual clock. It also keeps the truth the checks compare the
// program with: every frame the PC wrote and every block it read, with the farm and the
// connection (one per successful open) they belong to, and every status reply each unit built.
//
// The port control the program talks to is an OperatorLine, which forwards here; this object
// outlives it.
class OperatorFarms {
public:
    struct Traffic {
        std::int64_t ms;
        int farm;
        std::uint32_t connection;
        std::vector<std::uint8_t> bytes;
    };
    using Reply = farmsim::SimUnit::Reply;

    OperatorFarms(const std::vector<farmsim::FarmConfig>& farms, std::uint64_t lineSeed);
    OperatorFarms(const OperatorFarms&) = delete;
    OperatorFarms& operator=(const OperatorFarms&) = delete;

    int FarmCount() const { return static_cast<int>(m_farms.size()); }
    farmsim::Farm& Farm(int farmIndex) { return *m_farms.at(static_cast<std::size_t>(farmIndex)); }
    const farmsim::Farm& Farm(int farmIndex) const {
        return *m_farms.at(static_cast<std::size_t>(farmIndex));
    }
    std::int64_t NowMs() const { return m_nowMs; }

    // Moves every farm on to nowMs; the open farm's bytes reach the port in uneven chunks, each
    // raising the incoming-data event.
    void RunUntil(std::int64_t nowMs);

    // The adapter of a farm's port. Pulling the one of the open port makes every write fail
    // and calls deviceGone, which must end the port from the event loop as the real control
    // does (the program's port-lost path, then a close if the port is still open).
    void Pull(int farmIndex);
    void Restore(int farmIndex);
    bool AdapterPresent(int farmIndex) const;
    std::function<void()> deviceGone;
    bool LossPending() const { return m_bLossPending; }

    // The farm whose port is open, or -1; the number of the connection (from 1).
    int OpenFarm() const { return m_iOpenFarm; }
    std::uint32_t Connection() const { return m_connection; }

    const std::vector<Traffic>& Writes() const { return m_writes; }
    const std::vector<Traffic>& Reads() const { return m_reads; }
    // Status replies the unit built, whether or not they reached the PC unharmed, in order.
    const std::vector<Reply>& Built(int farmIndex, int nodeId) const;

    // The control side, for OperatorLine.
    void Attach(OperatorLine* line) { m_pLine = line; }
    void SetPortNumber(int comPort) { m_iPortNumber = comPort; }
    int Open();
    int Close();
    bool IsOpen() const { return m_iOpenFarm >= 0; }
    int CarrierDetect() const;
    int BytesWaiting() const { return static_cast<int>(m_buffer.size()); }
    void Discard() { m_buffer.clear(); }
    int Write(const std::uint8_t* bytes, int count);
    int Read(std::uint8_t* bytes, int count);

private:
    void Deliver(std::int64_t atMs);
    void RecordBuiltReplies(int farmIndex);

    std::vector<std::unique_ptr<farmsim::Farm>> m_farms;
    std::vector<bool> m_adapterPresent;
    // Per farm, per node ID: the replies built, and how many replies the unit had sent when
    // they were last looked at.
    std::vector<std::array<std::vector<Reply>, 256>> m_built;
    std::vector<std::array<std::uint64_t, 256>> m_repliesSeen;
    std::mt19937_64 m_random;
    OperatorLine* m_pLine = nullptr;
    std::int64_t m_nowMs = 0;
    int m_iPortNumber = 1;
    int m_iOpenFarm = -1;
    std::uint32_t m_connection = 0;
    bool m_bLossPending = false;
    std::deque<std::uint8_t> m_buffer;
    std::vector<Traffic> m_writes;
    std::vector<Traffic> m_reads;
};
