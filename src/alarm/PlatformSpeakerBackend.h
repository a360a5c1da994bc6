#pragma once

#include "alarm/SpeakerBackend.h"

#include <cstdint>

#if defined(_WIN32)
#include <atomic>
#include <thread>
#endif

// The speaker of the machine the program runs on. On Linux: the "PC Speaker" input device
// (a tone event), else the console's sound ioctl, whichever this user may open. On Windows:
// the system's Beep service, which the NT family allows where port access is not, sounded in
// short beeps by a thread of its own while the gate is open. Elsewhere, or when nothing may be
// used, nothing. The device is looked for at the first operation, and
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
#if defined(_WIN32)
    void StopBeeping();
    std::atomic<unsigned> m_frequency{0}; // 0: silent
    std::atomic<bool> m_stop{false};
    std::thread m_beeper;
#endif
};
