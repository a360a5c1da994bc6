#pragma once

#include <cstdint>

// The PC speaker as the tone driver sees it: a tone generator loaded with a divisor of the
// 1193180 Hz timer clock, and a gate that lets the tone through to the speaker. A platform
// without a speaker implements both as nothing.
class SpeakerBackend {
public:
    virtual ~SpeakerBackend() = default;
    virtual void SetDivisor(std::uint16_t divisor) = 0;
    virtual void SetGate(bool open) = 0;
};
