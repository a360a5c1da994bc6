#include "alarm/qt/SoundCardSpeakerBackend.h"

#include <QAudioSink>

#include <algorithm>

namespace {

constexpr int kSampleRate = 48000;
// Silence read after the fade-out before the sink stops, at least: a sink that keeps a small
// buffer still plays the whole fade.
constexpr qint64 kDrainMicroseconds = 250000;

} // namespace

SoundCardSpeakerBackend::SoundCardSpeakerBackend(const QAudioDevice& device, QObject* parent)
    : QObject(parent), m_device(device), m_format(ToneFormat(device)), m_source(m_format) {
    connect(&m_source, &ToneSource::drained, this, &SoundCardSpeakerBackend::StopWhenSilent,
            Qt::QueuedConnection);
}

SoundCardSpeakerBackend::~SoundCardSpeakerBackend() {
    if (m_pSink) {
        m_pSink->stop();
    }
}

QAudioFormat SoundCardSpeakerBackend::ToneFormat(const QAudioDevice& device) {
    QAudioFormat format;
    format.setSampleRate(kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    if (device.isNull() || device.isFormatSupported(format)) {
        return format;
    }
    return device.preferredFormat();
}

void SoundCardSpeakerBackend::SetDivisor(std::uint16_t divisor) {
    m_source.SetDivisor(divisor);
}

void SoundCardSpeakerBackend::SetGate(bool open) {
    if (!open) {
        const qint64 buffered = m_pSink ? m_pSink->bufferSize() : 0;
        m_source.SetGate(false,
                         std::max<qint64>(buffered, m_format.bytesForDuration(kDrainMicroseconds)));
        return;
    }
    m_source.SetGate(true);
    if (m_device.isNull()) {
        return;
    }
    if (!m_pSink) {
        m_pSink = std::make_unique<QAudioSink>(m_device, m_format);
    }
    if (m_pSink->state() == QAudio::StoppedState) {
        if (!m_source.isOpen()) {
            m_source.open(QIODevice::ReadOnly);
        }
        m_pSink->start(&m_source);
    } else if (m_pSink->state() == QAudio::SuspendedState) {
        m_pSink->resume();
    }
}

bool SoundCardSpeakerBackend::Playing() const {
    return m_pSink && m_pSink->state() != QAudio::StoppedState;
}

void SoundCardSpeakerBackend::StopWhenSilent() {
    // The gate may have opened again since the source ran silent.
    if (m_pSink && !m_source.GateOpen()) {
        m_pSink->stop();
    }
}
