#include "alarm/qt/ToneSource.h"

#include <QMutexLocker>

#include <algorithm>
#include <cstring>

namespace {

// Asked how much it holds, the stream offers a second: it can always make more.
constexpr qint64 kOfferedMilliseconds = 1000;

} // namespace

ToneSource::ToneSource(const QAudioFormat& format, QObject* parent)
    : QIODevice(parent), m_format(format), m_generator(format.sampleRate()) {}

void ToneSource::SetDivisor(std::uint16_t divisor) {
    QMutexLocker lock(&m_mutex);
    m_generator.SetDivisor(divisor);
}

void ToneSource::SetGate(bool open, qint64 silentBytes) {
    QMutexLocker lock(&m_mutex);
    m_generator.SetGate(open);
    m_bDrainArmed = !open;
    m_qwDrainBytes = std::max<qint64>(silentBytes, 0);
    m_qwSilentBytes = 0;
}

bool ToneSource::GateOpen() const {
    QMutexLocker lock(&m_mutex);
    return m_generator.GateOpen();
}

bool ToneSource::open(OpenMode mode) {
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

qint64 ToneSource::bytesAvailable() const {
    return QIODevice::bytesAvailable() + m_format.bytesForDuration(kOfferedMilliseconds * 1000);
}

qint64 ToneSource::readData(char* data, qint64 maxSize) {
    const int frameBytes = m_format.bytesPerFrame();
    if (frameBytes <= 0 || maxSize < frameBytes) {
        return 0;
    }
    const qint64 frames = maxSize / frameBytes;
    bool drainedNow = false;
    {
        QMutexLocker lock(&m_mutex);
        // Only reads that are silence from their first sample count towards the drain.
        const bool silentThroughout = m_generator.Silent();
        m_samples.resize(static_cast<std::size_t>(frames));
        m_generator.Generate(m_samples);
        Convert(data, frames);
        if (silentThroughout) {
            m_qwSilentBytes += frames * frameBytes;
            if (m_bDrainArmed && m_qwSilentBytes >= m_qwDrainBytes) {
                m_bDrainArmed = false;
                drainedNow = true;
            }
        }
    }
    if (drainedNow) {
        emit drained();
    }
    return frames * frameBytes;
}

qint64 ToneSource::writeData(const char*, qint64) {
    return -1;
}

void ToneSource::Convert(char* data, qint64 frames) const {
    const int channels = m_format.channelCount();
    const int sampleBytes = m_format.bytesPerSample();
    char* out = data;
    for (qint64 frame = 0; frame < frames; ++frame) {
        const std::int16_t sample = m_samples[static_cast<std::size_t>(frame)];
        for (int channel = 0; channel < channels; ++channel) {
            switch (m_format.sampleFormat()) {
            case QAudioFormat::UInt8: {
                const auto value = static_cast<quint8>((sample >> 8) + 128);
                std::memcpy(out, &value, sizeof value);
                break;
            }
            case QAudioFormat::Int16:
                std::memcpy(out, &sample, sizeof sample);
                break;
            case QAudioFormat::Int32: {
                const qint32 value = qint32{sample} * 65536;
                std::memcpy(out, &value, sizeof value);
                break;
            }
            case QAudioFormat::Float: {
                const float value = static_cast<float>(sample) / 32768.0f;
                std::memcpy(out, &value, sizeof value);
                break;
            }
            default:
                std::memset(out, 0, static_cast<std::size_t>(sampleBytes));
                break;
            }
            out += sampleBytes;
        }
    }
}
