#pragma once

#include "alarm/SpeakerBackend.h"

#include <cstdint>

// The speaker of the machine the program runs on. On Linux: the "PC Speaker" input device
// (a tone event), else the console's sound ioctl, whichever this user may open; elsewhere, or
// when neither may be used, nothing. The device is looked for at the first operation, and
// no failure is ever reported: an alarm tone is not worth a message.
class PlatformSpeakerBackend : public SpeakerBackend {
public:
    PlatformSpeakerBackend() = default;
    ~PlatformSpeakerBackend() override;
    PlatformSpeakerBackend(const PlatformSpeakerBackend&) = delete;
    PlatformSpeakerBackend& operator=(const PlatformSpeakerBackend&) = delete;

    void SetDivisor(std::uint16_t divisor) override;
    void SetGate(bool open) override;

    // Looks for the device now: true when this user may open the speaker's input device or use
    // the console tone. The console accepts the tone on machines without a speaker too, so this
    // says something only where the kernel lists a "PC Speaker".
    bool CanSound();

    // The kernel lists a "PC Speaker" and this user may reach it: the tone is heard through it.
    bool ReachesPcSpeaker();

private:
    enum class Device { NotLookedFor, None, InputDevice, Console };

    void FindDevice();
    void Apply();

    Device m_device = Device::NotLookedFor;
    int m_fd = -1;
    std::uint16_t m_wDivisor = 1704;
    bool m_bGateOpen = false;
};
