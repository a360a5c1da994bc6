#include "alarm/CPcSpeaker.h"

#include "alarm/PlatformProductName.h"
#include "alarm/SpeakerBackend.h"

#include <utility>

CPcSpeaker::CPcSpeaker() : CPcSpeaker(ReadPlatformProductName()) {}

CPcSpeaker::CPcSpeaker(std::string platformProductName)
    : m_strPlatformProductName(std::move(platformProductName)) {}

std::uint16_t CPcSpeaker::Divisor(std::int32_t frequency) {
    constexpr std::int32_t kFallback = kTimerClockHz / kFallbackFrequency;
    if (frequency <= 0) {
        return static_cast<std::uint16_t>(kFallback);
    }
    const std::int32_t divisor = kTimerClockHz / frequency;
    if (divisor < 1 || divisor > 0xFFFF) {
        return static_cast<std::uint16_t>(kFallback);
    }
    return static_cast<std::uint16_t>(divisor);
}

void CPcSpeaker::SetFrequency(std::int32_t frequency) {
    if (!DriverEnabled() || m_pBackend == nullptr) {
        return;
    }
    m_pBackend->SetDivisor(Divisor(frequency));
}

void CPcSpeaker::Sound(bool on) {
    if (!DriverEnabled() || m_pBackend == nullptr) {
        return;
    }
    m_pBackend->SetGate(on);
}
