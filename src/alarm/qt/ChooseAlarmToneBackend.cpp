#include "alarm/qt/ChooseAlarmToneBackend.h"

#include "alarm/PlatformSpeakerBackend.h"
#include "alarm/qt/SoundCardSpeakerBackend.h"

#include <QAudioDevice>
#include <QMediaDevices>

#include <cstdio>

namespace {

// Where nothing can sound, nothing is tried: no console tone that nobody hears.
class NoToneBackend : public SpeakerBackend {
public:
    void SetDivisor(std::uint16_t) override {}
    void SetGate(bool) override {}
};

} // namespace

std::unique_ptr<SpeakerBackend> ChooseAlarmToneBackend(AlarmToneRoute& chosen) {
    auto speaker = std::make_unique<PlatformSpeakerBackend>();
    QAudioDevice card;
    chosen = ChooseAlarmToneRoute({
        [&speaker] { return speaker->ReachesPcSpeaker(); },
        [&card] {
            card = QMediaDevices::defaultAudioOutput();
            return !card.isNull();
        },
    });
    std::fprintf(stderr, "kilnwatch: alarm tone: %s\n", AlarmToneRouteName(chosen));
    std::fflush(stderr);
    switch (chosen) {
    case AlarmToneRoute::PcSpeaker:
        return speaker;
    case AlarmToneRoute::SoundCard:
        return std::make_unique<SoundCardSpeakerBackend>(card);
    case AlarmToneRoute::None:
        break;
    }
    return std::make_unique<NoToneBackend>();
}
