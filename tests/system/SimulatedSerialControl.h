#pragma once

#include "link/SerialPortControl.h"
#include "sim/Farm.h"

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

// A serial-port control whose far end is a simulated farm, on a virtual clock. Bytes reach the
// farm and come back at line speed; the receive buffer is handed over in chunks at uneven
// moments, as a real control raises its incoming-data events, so one reply may arrive in
// several events. Carrier changes seen on an open port raise the carrier-change event.
class SimulatedSerialControl : public SerialPortControl {
public:
    SimulatedSerialControl(farmsim::Farm& farm, std::uint64_t seed);

    // Moves the line on to nowMs, delivering what arrived on the way in chunks.
    void RunUntil(std::int64_t nowMs);
    std::int64_t NowMs() const { return m_nowMs; }

    void SetPortNumber(int) override {}
    void SetBitsPerSecond(int) override {}
    void SetDataBits(int) override {}
    void SetParity(int) override {}
    void SetStopBits(int) override {}
    void SetModemLine(int) override {}
    int Open() override;
    void SetReceiveEnabled(int) override {}
    void SetModemControl(int) override {}
    int CarrierDetect() override;
    int BytesWaiting() override { return static_cast<int>(m_buffer.size()); }
    int FreeSpace() override { return 4096 - static_cast<int>(m_buffer.size()); }
    void Discard() override { m_buffer.clear(); }
    int Write(const std::uint8_t* bytes, int count) override;
    int Read(std::uint8_t* bytes, int count) override;
    int Close() override;

    bool IsOpen() const { return m_open; }
    // Frames the PC wrote, with the time each was written.
    struct Written {
        std::int64_t timeMs;
        std::vector<std::uint8_t> bytes;
    };
    const std::vector<Written>& Writes() const { return m_writes; }
    std::uint64_t IncomingEvents() const { return m_incomingEvents; }

private:
    void Deliver(std::int64_t atMs);

    farmsim::Farm& m_farm;
    std::mt19937_64 m_random;
    std::int64_t m_nowMs = 0;
    bool m_open = false;
    bool m_lastCarrier = false;
    std::deque<std::uint8_t> m_buffer;
    std::vector<Written> m_writes;
    std::uint64_t m_incomingEvents = 0;
};
