#pragma once

#include <cstdint>

// How closely the scheduler spaces its transactions on a farm's line.
enum class ScanPaceKind : std::uint32_t {
    Tick = 0, // one transaction per one-second tick
    Line = 1, // the next one as soon as the line is free again
};

// A farm's pace and the two times the line pace waits on top of the line's own byte times.
struct ScanPaceSettings {
    static constexpr int kDefaultGuardMs = 10;
    static constexpr int kDefaultMarginMs = 150;
    static constexpr int kMaxGuardMs = 1000;
    static constexpr int kMaxMarginMs = 2000;

    ScanPaceKind kind = ScanPaceKind::Tick;
    // Quiet time between a complete reply (or the end of the PC's own frame) and the next
    // frame: a controller that has just answered must see the line idle before it listens.
    int guardMs = kDefaultGuardMs;
    // Slack after a reply's own line time before the attempt counts as unanswered: the unit's
    // turnaround and the port's delivery of the last bytes.
    int marginMs = kDefaultMarginMs;

    bool operator==(const ScanPaceSettings&) const = default;
    // Values out of range are brought into it; an unknown kind becomes the tick.
    ScanPaceSettings Bounded() const;
};

// When the line pace may put the next frame on the line and when the frame in flight has gone
// unanswered. Times are milliseconds of a monotonic clock.
class ScanPace {
public:
    static constexpr int kBitsPerSecond = 2400;
    static constexpr int kBitsPerByte = 10;
    // A line pace step that found nothing to send tries again after this long.
    static constexpr int kIdleRetryMs = 1000;

    // Whole milliseconds the line needs for this many bytes, rounded up.
    static std::int64_t LineTimeMs(int bytes);

    void Configure(const ScanPaceSettings& settings) { m_settings = settings.Bounded(); }
    const ScanPaceSettings& Settings() const { return m_settings; }

    // A frame of requestBytes went on the line at nowMs; its reply is replyBytes long (0 for
    // none expected).
    void Sent(std::int64_t nowMs, int requestBytes, int replyBytes);
    // The reply of the frame in flight was complete at nowMs.
    void Answered(std::int64_t nowMs);
    // The step at nowMs sent nothing: the next try comes a second later.
    void NothingSent(std::int64_t nowMs);

    // Earliest moment for the next frame.
    std::int64_t ReadyAtMs() const { return m_readyAtMs; }
    // Moment at which the frame in flight counts as unanswered.
    std::int64_t DeadlineMs() const { return m_deadlineMs; }
    // Frames sent since the start, so a step can tell whether it sent one.
    std::uint64_t FramesSent() const { return m_framesSent; }

private:
    ScanPaceSettings m_settings;
    std::int64_t m_readyAtMs = 0;
    std::int64_t m_deadlineMs = 0;
    std::uint64_t m_framesSent = 0;
};
