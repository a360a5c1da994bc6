#include "alarm/PlatformSpeakerBackend.h"

#include "alarm/AlarmToneRoute.h"

#if defined(__linux__)
#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <linux/input.h>
#include <linux/kd.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr long kTimerClockHz = 1193180;
constexpr int kMaxInputDevices = 64;

int OpenSpeakerInputDevice() {
    // The device name is read from sysfs, so only the speaker itself is ever opened.
    for (int n = 0; n < kMaxInputDevices; ++n) {
        const std::string node = "event" + std::to_string(n);
        std::ifstream nameFile("/sys/class/input/" + node + "/device/name");
        std::string name;
        if (!nameFile || !std::getline(nameFile, name) || name != "PC Speaker") {
            continue;
        }
        const int fd = ::open(("/dev/input/" + node).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            return fd;
        }
    }
    return -1;
}

int OpenConsoleWithSound() {
    for (const char* path : {"/dev/console", "/dev/tty0"}) {
        const int fd = ::open(path, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // Silence doubles as the test that this console lets us make sound at all.
        if (::ioctl(fd, KIOCSOUND, 0) == 0) {
            return fd;
        }
        ::close(fd);
    }
    return -1;
}

} // namespace

PlatformSpeakerBackend::~PlatformSpeakerBackend() {
    if (m_bGateOpen) {
        SetGate(false);
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void PlatformSpeakerBackend::FindDevice() {
    if (m_device != Device::NotLookedFor) {
        return;
    }
    m_device = Device::None;
    if ((m_fd = OpenSpeakerInputDevice()) >= 0) {
        m_device = Device::InputDevice;
    } else if ((m_fd = OpenConsoleWithSound()) >= 0) {
        m_device = Device::Console;
    }
}

bool PlatformSpeakerBackend::CanSound() {
    FindDevice();
    return m_device != Device::None;
}

void PlatformSpeakerBackend::Apply() {
    FindDevice();
    const long divisor = m_bGateOpen ? m_wDivisor : 0;
    if (m_device == Device::InputDevice) {
        input_event event{};
        event.type = EV_SND;
        event.code = SND_TONE;
        event.value = divisor != 0 ? static_cast<int>(kTimerClockHz / divisor) : 0;
        ssize_t written;
        do {
            written = ::write(m_fd, &event, sizeof event);
        } while (written < 0 && errno == EINTR);
    } else if (m_device == Device::Console) {
        ::ioctl(m_fd, KIOCSOUND, divisor);
    }
}

void PlatformSpeakerBackend::SetDivisor(std::uint16_t divisor) {
    m_wDivisor = divisor != 0 ? divisor : m_wDivisor;
    // Like the timer, a new divisor changes a tone that is sounding.
    if (m_bGateOpen) {
        Apply();
    }
}

void PlatformSpeakerBackend::SetGate(bool open) {
    m_bGateOpen = open;
    Apply();
}

#elif defined(_WIN32)
#include <windows.h>

namespace {
constexpr long kTimerClockHz = 1193180;
// Short beeps, so a closed gate or a new frequency is heard within this time.
constexpr DWORD kBeepMilliseconds = 200;
// The range Beep accepts.
constexpr long kLowestBeep = 37;
constexpr long kHighestBeep = 32767;
} // namespace

PlatformSpeakerBackend::~PlatformSpeakerBackend() {
    StopBeeping();
}

void PlatformSpeakerBackend::StopBeeping() {
    m_frequency = 0;
    if (m_beeper.joinable()) {
        m_stop = true;
        m_beeper.join();
        m_stop = false;
    }
}

void PlatformSpeakerBackend::FindDevice() {
    m_device = Device::InputDevice;
}

bool PlatformSpeakerBackend::CanSound() {
    return true;
}

void PlatformSpeakerBackend::Apply() {
    if (!m_bGateOpen) {
        StopBeeping();
        return;
    }
    long frequency = kTimerClockHz / (m_wDivisor != 0 ? m_wDivisor : 1704);
    frequency = frequency < kLowestBeep ? kLowestBeep : frequency;
    frequency = frequency > kHighestBeep ? kHighestBeep : frequency;
    m_frequency = static_cast<unsigned>(frequency);
    if (!m_beeper.joinable()) {
        m_beeper = std::thread([this] {
            while (!m_stop) {
                const unsigned hz = m_frequency;
                if (hz == 0) {
                    break;
                }
                // Beep returns at once where it has no sound to make (no device, a remote
                // session, emulators); the rest of the beep is waited out, never spun.
                const ULONGLONG started = GetTickCount64();
                Beep(hz, kBeepMilliseconds);
                const ULONGLONG took = GetTickCount64() - started;
                if (took < kBeepMilliseconds) {
                    Sleep(static_cast<DWORD>(kBeepMilliseconds - took));
                }
            }
        });
    }
}

void PlatformSpeakerBackend::SetDivisor(std::uint16_t divisor) {
    m_wDivisor = divisor != 0 ? divisor : m_wDivisor;
    if (m_bGateOpen) {
        Apply();
    }
}

void PlatformSpeakerBackend::SetGate(bool open) {
    m_bGateOpen = open;
    Apply();
}

#else

PlatformSpeakerBackend::~PlatformSpeakerBackend() = default;

void PlatformSpeakerBackend::FindDevice() {}

bool PlatformSpeakerBackend::CanSound() {
    return false;
}

void PlatformSpeakerBackend::Apply() {}

void PlatformSpeakerBackend::SetDivisor(std::uint16_t divisor) {
    m_wDivisor = divisor;
}

void PlatformSpeakerBackend::SetGate(bool open) {
    m_bGateOpen = open;
}

#endif

bool PlatformSpeakerBackend::ReachesPcSpeaker() {
    return InputDevicesListPcSpeaker(ReadInputDevices()) && CanSound();
}
