#include "alarm/AlarmToneGenerator.h"

#include "alarm/CPcSpeaker.h"

#include <algorithm>

AlarmToneGenerator::AlarmToneGenerator(int sampleRate)
    : m_iSampleRate(std::max(sampleRate, 0)),
      m_iRampSamples(std::max(m_iSampleRate * kRampMilliseconds / 1000, 1)),
      m_wDivisor(CPcSpeaker::Divisor(CPcSpeaker::kFallbackFrequency)) {
    SetDivisor(m_wDivisor);
}

void AlarmToneGenerator::SetDivisor(std::uint16_t divisor) {
    m_wDivisor = divisor != 0 ? divisor : CPcSpeaker::Divisor(0);
    m_qwPeriod = static_cast<std::uint64_t>(m_iSampleRate) * m_wDivisor;
    m_qwPhase = m_qwPeriod != 0 ? m_qwPhase % m_qwPeriod : 0;
    // A tone above half the sample rate cannot be played, only folded down to some other pitch;
    // like a speaker tone above hearing, it stays silent.
    m_bAudible = m_qwPeriod >= 2 * static_cast<std::uint64_t>(CPcSpeaker::kTimerClockHz);
}

void AlarmToneGenerator::SetGate(bool open) {
    m_bGateOpen = open;
}

void AlarmToneGenerator::Generate(std::span<std::int16_t> samples) {
    constexpr auto kClock = static_cast<std::uint64_t>(CPcSpeaker::kTimerClockHz);
    for (std::int16_t& sample : samples) {
        if (m_bGateOpen && m_iRamp < m_iRampSamples) {
            ++m_iRamp;
        } else if (!m_bGateOpen && m_iRamp > 0) {
            --m_iRamp;
        }
        if (m_iRamp == 0 || !m_bAudible) {
            // A tone that starts again starts at the beginning of a period.
            m_qwPhase = 0;
            sample = 0;
            continue;
        }
        const int level = kLevel * m_iRamp / m_iRampSamples;
        sample = static_cast<std::int16_t>(2 * m_qwPhase < m_qwPeriod ? level : -level);
        m_qwPhase += kClock;
        if (m_qwPhase >= m_qwPeriod) {
            m_qwPhase -= m_qwPeriod;
        }
    }
}
