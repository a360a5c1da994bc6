#include "sim/kilnsim/FarmLinePump.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <vector>

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
    for (const farmsim::TimedByte& out : m_farm.TakeOutputUpTo(nowMs)) {
        m_pending.push_back(out.byte);
    }
    return WriteToPc();
}

std::int64_t FarmLinePump::NextWakeMs(std::int64_t nowMs) const {
    std::int64_t wake = nowMs + kMaxSleepMs;
    if (const auto next = m_farm.NextActivityMs()) {
        wake = std::min(wake, std::max(*next, nowMs));
    }
    if (!m_pending.empty()) {
        // Room in the PC's queue shows no event on the master; look again soon.
        wake = std::min(wake, nowMs + 10);
    }
    return wake;
}
