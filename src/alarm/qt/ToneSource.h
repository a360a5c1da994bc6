#pragma once

#include "alarm/AlarmToneGenerator.h"

#include <QAudioFormat>
#include <QIODevice>
#include <QMutex>

#include <vector>

// The alarm tone as a readable stream in a sound card's format, for an audio sink that pulls
// it. It never runs dry: after the tone has faded out it reads as silence, and once enough
// silence has been read that everything the sink still buffers is silence, it says drained(),
// so the sink can be stopped without cutting a tone off.
class ToneSource : public QIODevice {
    Q_OBJECT
public:
    explicit ToneSource(const QAudioFormat& format, QObject* parent = nullptr);

    void SetDivisor(std::uint16_t divisor);
    // Closing arms drained() for after silentBytes more bytes of silence.
    void SetGate(bool open, qint64 silentBytes = 0);
    bool GateOpen() const;

    // Always unbuffered: a read must never hand out tone made before the gate last changed.
    bool open(OpenMode mode) override;
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

signals:
    void drained();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    void Convert(char* data, qint64 frames) const;

    QAudioFormat m_format;
    mutable QMutex m_mutex; // the sink may pull on a thread of its own
    AlarmToneGenerator m_generator;
    std::vector<std::int16_t> m_samples;
    qint64 m_qwDrainBytes = 0;
    qint64 m_qwSilentBytes = 0;
    bool m_bDrainArmed = false;
};
