#include "system/SimulatedSerialControl.h"

#include <algorithm>

SimulatedSerialControl::SimulatedSerialControl(farmsim::Farm& farm, std::uint64_t seed)
    : m_farm(farm), m_random(seed) {}

void SimulatedSerialControl::RunUntil(std::int64_t nowMs) {
    std::uniform_int_distribution<int> chunkGap(5, 45);
    while (m_nowMs < nowMs) {
        // Step in uneven chunks while something is on the line; jump over idle stretches.
        std::int64_t next = nowMs;
        if (const auto activity = m_farm.NextActivityMs()) {
            const std::int64_t busy = std::max(*activity, m_nowMs + 1);
            next = std::min(next, std::max(busy, m_nowMs + chunkGap(m_random)));
        }
        Deliver(next);
    }
}

void SimulatedSerialControl::Deliver(std::int64_t atMs) {
    m_nowMs = atMs;
    m_farm.AdvanceTo(atMs);
    const auto bytes = m_farm.TakeOutputUpTo(atMs);
    const bool carrier = m_farm.Carrier();
    if (!m_open) {
        m_lastCarrier = carrier;
        return;
    }
    for (const auto& b : bytes) {
        m_buffer.push_back(b.byte);
    }
    if (carrier != m_lastCarrier) {
        m_lastCarrier = carrier;
        if (Listener() != nullptr) {
            Listener()->OnPortControl_CdChange(carrier ? 1 : 0);
        }
    }
    if (!bytes.empty() && m_open && Listener() != nullptr) {
        ++m_incomingEvents;
        Listener()->OnPortControl_IncomingData();
    }
}

int SimulatedSerialControl::Open() {
    m_open = true;
    m_buffer.clear();
    m_lastCarrier = m_farm.Carrier();
    return 1;
}

int SimulatedSerialControl::CarrierDetect() {
    return m_open && m_farm.Carrier() ? 1 : 0;
}

int SimulatedSerialControl::Write(const std::uint8_t* bytes, int count) {
    if (!m_open || bytes == nullptr || count <= 0) {
        return 0;
    }
    m_farm.FromPc(bytes, static_cast<std::size_t>(count), m_nowMs);
    m_writes.push_back({m_nowMs, std::vector<std::uint8_t>(bytes, bytes + count)});
    return count;
}

int SimulatedSerialControl::Read(std::uint8_t* bytes, int count) {
    int n = 0;
    while (n < count && !m_buffer.empty()) {
        bytes[n++] = m_buffer.front();
        m_buffer.pop_front();
    }
    return n;
}

int SimulatedSerialControl::Close() {
    m_open = false;
    m_buffer.clear();
    return 0;
}
