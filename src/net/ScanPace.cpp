#include "net/ScanPace.h"

#include <algorithm>

ScanPaceSettings ScanPaceSettings::Bounded() const {
    ScanPaceSettings result = *this;
    if (kind != ScanPaceKind::Tick && kind != ScanPaceKind::Line) {
        result.kind = ScanPaceKind::Tick;
    }
    result.guardMs = std::clamp(guardMs, 0, kMaxGuardMs);
    result.marginMs = std::clamp(marginMs, 0, kMaxMarginMs);
    return result;
}

std::int64_t ScanPace::LineTimeMs(int bytes) {
    if (bytes <= 0) {
        return 0;
    }
    const std::int64_t bits = std::int64_t{bytes} * kBitsPerByte;
    return (bits * 1000 + kBitsPerSecond - 1) / kBitsPerSecond;
}

void ScanPace::Sent(std::int64_t nowMs, int requestBytes, int replyBytes) {
    ++m_framesSent;
    const std::int64_t frameEnd = nowMs + LineTimeMs(requestBytes);
    m_deadlineMs = frameEnd + LineTimeMs(replyBytes) + m_settings.marginMs;
    // Nothing else goes out before this frame has left the port and the line was quiet.
    m_readyAtMs = std::max(m_readyAtMs, frameEnd + m_settings.guardMs);
}

void ScanPace::Answered(std::int64_t nowMs) {
    m_readyAtMs = std::max(m_readyAtMs, nowMs + m_settings.guardMs);
}

void ScanPace::NothingSent(std::int64_t nowMs) {
    m_readyAtMs = nowMs + kIdleRetryMs;
}
