#include "sim/kilnsim/FarmLinePump.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

FarmLinePump::FarmLinePump(farmsim::Farm& farm, int masterFd, int fifoTrigger)
    : m_farm(farm), m_iMasterFd(masterFd),
      m_nFifoTrigger(static_cast<std::size_t>(std::clamp(fifoTrigger, 1, kMaxFifoTrigger))) {
    // Four characters of ten bits each, rounded up to whole milliseconds.
    const std::int64_t bitsPerSecond = std::max(1, farm.Config().bitsPerSecond);
    m_iCharacterTimeoutMs = (40 * 1000 + bitsPerSecond - 1) / bitsPerSecond;
}

bool FarmLinePump::ReadFromPc(std::int64_t nowMs) {
    std::array<std::uint8_t, 512> buffer{};
    for (;;) {
        const ssize_t n = ::read(m_iMasterFd, buffer.data(), buffer.size());
        if (n > 0) {
            m_counters.bytesIn += static_cast<std::uint64_t>(n);
            m_farm.FromPc(buffer.data(), static_cast<std::size_t>(n), nowMs);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        }
        // EIO: no slave descriptor is open. The owner holds one, so this is a real failure.
        m_strError = n == 0 ? std::string("end of file on the master end")
                            : std::string("read: ") + std::strerror(errno);
        return false;
    }
}

bool FarmLinePump::WriteToPc() {
    while (!m_pending.empty()) {
        std::vector<std::uint8_t> chunk(m_pending.begin(), m_pending.end());
        const ssize_t n = ::write(m_iMasterFd, chunk.data(), chunk.size());
        if (n > 0) {
            m_counters.bytesOut += static_cast<std::uint64_t>(n);
            m_pending.erase(m_pending.begin(), m_pending.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        }
        m_strError = std::string("write: ") + std::strerror(errno);
        return false;
    }
    // Nobody reads the port: what does not fit is lost, as on a line nobody listens to.
    while (m_pending.size() > kMaxPending) {
        m_pending.pop_front();
        ++m_counters.bytesDropped;
    }
    return true;
}

bool FarmLinePump::Service(std::int64_t nowMs) {
    if (!ReadFromPc(nowMs)) {
        return false;
    }
    m_farm.AdvanceTo(nowMs);
    const std::vector<farmsim::TimedByte> arrived = m_farm.TakeOutputUpTo(nowMs);
    m_fifo.insert(m_fifo.end(), arrived.begin(), arrived.end());
    DeliverFifo(nowMs);
    return WriteToPc();
}

void FarmLinePump::DeliverFifo(std::int64_t nowMs) {
    if (m_fifo.empty()) {
        return;
    }
    const bool triggered = m_fifo.size() >= m_nFifoTrigger;
    const bool timedOut = nowMs >= m_fifo.back().timeMs + m_iCharacterTimeoutMs;
    if (!triggered && !timedOut) {
        return;
    }
    for (const farmsim::TimedByte& b : m_fifo) {
        m_pending.push_back(b.byte);
    }
    m_fifo.clear();
}

std::int64_t FarmLinePump::NextWakeMs(std::int64_t nowMs) const {
    std::int64_t wake = nowMs + kMaxSleepMs;
    if (const auto next = m_farm.NextActivityMs()) {
        wake = std::min(wake, std::max(*next, nowMs));
    }
    if (!m_fifo.empty()) {
        wake = std::min(wake, std::max(m_fifo.back().timeMs + m_iCharacterTimeoutMs, nowMs));
    }
    if (!m_pending.empty()) {
        // Room in the PC's queue shows no event on the master; look again soon.
        wake = std::min(wake, nowMs + 10);
    }
    return wake;
}
