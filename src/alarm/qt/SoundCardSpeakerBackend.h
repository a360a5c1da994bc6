#pragma once

#include "alarm/SpeakerBackend.h"
#include "alarm/qt/ToneSource.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>

#include <memory>

class QAudioSink;

// The alarm tone on a sound card: the speaker's square wave played through an audio sink while
// the gate is open. The sink is opened when the gate first opens and stopped once the fade-out
// has been played, so the card is free while no unit is alarmed. A card that cannot be opened
// (or no card at all) leaves the tone silent; nothing here waits for the card.
class SoundCardSpeakerBackend : public QObject, public SpeakerBackend {
    Q_OBJECT
public:
    explicit SoundCardSpeakerBackend(const QAudioDevice& device, QObject* parent = nullptr);
    ~SoundCardSpeakerBackend() override;
    SoundCardSpeakerBackend(const SoundCardSpeakerBackend&) = delete;
    SoundCardSpeakerBackend& operator=(const SoundCardSpeakerBackend&) = delete;

    void SetDivisor(std::uint16_t divisor) override;
    void SetGate(bool open) override;

    // The sink is open and playing (the tone, or its fade-out).
    bool Playing() const;

    // Mono 16-bit at 48 kHz where the card takes it, else the card's own format.
    static QAudioFormat ToneFormat(const QAudioDevice& device);

private:
    void StopWhenSilent();

    QAudioDevice m_device;
    QAudioFormat m_format;
    ToneSource m_source;
    // Declared after the source it reads, so it is gone before the source.
    std::unique_ptr<QAudioSink> m_pSink;
};
