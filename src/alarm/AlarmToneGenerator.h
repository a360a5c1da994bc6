#pragma once

#include <cstdint>
#include <span>

// The alarm tone as samples for a sound card: the square wave the PC speaker would make for a
// divisor of the 1193180 Hz timer clock, at a modest fixed level, faded in when the gate opens
// and out when it closes so neither end clicks. Mono, signed 16-bit.
class AlarmToneGenerator {
public:
    // About a fifth of full scale: plainly heard, never harsh.
    static constexpr std::int16_t kLevel = 6500;
    static constexpr int kRampMilliseconds = 5;

    explicit AlarmToneGenerator(int sampleRate);

    // A divisor of 0 sounds like the frequency of 0 does at the speaker driver (its fallback).
    void SetDivisor(std::uint16_t divisor);
    void SetGate(bool open);

    // The next samples of the tone; after the gate has closed and the fade has ended, zeros.
    void Generate(std::span<std::int16_t> samples);

    // The gate is closed and the fade-out has ended.
    bool Silent() const { return !m_bGateOpen && m_iRamp == 0; }
    bool GateOpen() const { return m_bGateOpen; }
    int SampleRate() const { return m_iSampleRate; }
    std::uint16_t Divisor() const { return m_wDivisor; }
    int RampSamples() const { return m_iRampSamples; }

private:
    int m_iSampleRate;
    int m_iRampSamples;
    std::uint16_t m_wDivisor;
    // One period of the tone lasts sampleRate * divisor clock ticks; each sample advances the
    // phase by the clock rate. Whole numbers, so the pitch never drifts.
    std::uint64_t m_qwPeriod = 0;
    std::uint64_t m_qwPhase = 0;
    bool m_bAudible = false;
    bool m_bGateOpen = false;
    int m_iRamp = 0;
};
