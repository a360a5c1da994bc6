#pragma once

#include <cstdint>
#include <string>

class SpeakerBackend;

// The alarm tone driver. It keeps away from the speaker on the one platform whose product
// name says that a program must not touch it, and otherwise drives whatever backend it was
// given; without a backend it does nothing.
class CPcSpeaker {
public:
    static constexpr std::int32_t kTimerClockHz = 1193180;
    static constexpr std::int32_t kFallbackFrequency = 700;

    // Takes the product name the platform reports.
    CPcSpeaker();
    explicit CPcSpeaker(std::string platformProductName);

    void SetBackend(SpeakerBackend* backend) { m_pBackend = backend; }

    void SetFrequency(std::int32_t frequency);
    void Sound(bool on);

    // The divisor for a frequency. A frequency of 0 or below, or one whose divisor would not
    // fit the generator's 16 bits (below 19 Hz, or above the clock itself), sounds at 700 Hz.
    static std::uint16_t Divisor(std::int32_t frequency);

    // False when the product name matches the reference name: then nothing is ever sent.
    bool DriverEnabled() const { return m_strPlatformProductName != m_strReferenceProductName; }
    const std::string& PlatformProductName() const { return m_strPlatformProductName; }

private:
    std::string m_strReferenceProductName = "Microsoft Windows 2000";
    std::string m_strPlatformProductName;
    SpeakerBackend* m_pBackend = nullptr;
};
