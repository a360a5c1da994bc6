#pragma once

#include "sim/Farm.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// Joins a simulated farm to the master end of a pseudo-terminal in real time. Whatever the PC
// writes is handed to the farm at the moment it is read. What the farm sends reaches the PC as
// it would through a UART with a receive FIFO: a byte is never passed on before its last bit
// has arrived at line speed, and bytes are passed on when the FIFO holds fifoTrigger of them
// or when the line has been quiet for four character times (the UART's character timeout).
// A trigger of 1 hands over every byte on its own; 14 is the usual setting of a 16550 UART.
// Nothing blocks: the owner waits for the master to become readable or for NextWakeMs, then
// calls Service with the time elapsed since the farm started.
class FarmLinePump {
public:
    struct Counters {
        std::uint64_t bytesIn = 0;      // read from the PC
        std::uint64_t bytesOut = 0;     // written to the PC
        std::uint64_t bytesDropped = 0; // the PC's input queue was full
    };

    static constexpr int kMaxFifoTrigger = 64;

    // fifoTrigger is clamped to 1..kMaxFifoTrigger.
    FarmLinePump(farmsim::Farm& farm, int masterFd, int fifoTrigger = 1);

    // Reads what the PC wrote, runs the farm up to nowMs and writes what has reached the PC by
    // then. False when the master end failed (the pseudo-terminal is gone).
    bool Service(std::int64_t nowMs);

    // When Service next has something to do; never more than kMaxSleepMs after nowMs, so the
    // farm's heating model keeps up with real time.
    std::int64_t NextWakeMs(std::int64_t nowMs) const;

    // True while bytes wait for room in the PC's input queue.
    bool OutputBlocked() const { return !m_pending.empty(); }

    const Counters& GetCounters() const { return m_counters; }
    const std::string& Error() const { return m_strError; }

    static constexpr std::int64_t kMaxSleepMs = 1000;
    // Bytes that wait longer than this for room are dropped: nobody is reading the port.
    static constexpr std::size_t kMaxPending = 4096;

private:
    bool ReadFromPc(std::int64_t nowMs);
    void DeliverFifo(std::int64_t nowMs);
    bool WriteToPc();

    farmsim::Farm& m_farm;
    int m_iMasterFd;
    std::size_t m_nFifoTrigger;
    std::int64_t m_iCharacterTimeoutMs;
    std::vector<farmsim::TimedByte> m_fifo; // arrived, not yet passed on
    std::deque<std::uint8_t> m_pending;     // passed on, waiting for room at the PC
    Counters m_counters;
    std::string m_strError;
};
