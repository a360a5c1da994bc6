#include "alarm/AlarmToneGenerator.h"
#include "alarm/qt/ChooseAlarmToneBackend.h"
#include "alarm/qt/SoundCardSpeakerBackend.h"
#include "alarm/qt/ToneSource.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QSignalSpy>

#include <cstring>
#include <vector>

namespace {

QAudioFormat Format(int channels, QAudioFormat::SampleFormat sampleFormat) {
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelCount(channels);
    format.setSampleFormat(sampleFormat);
    return format;
}

template <typename Sample> std::vector<Sample> Read(ToneSource& source, int frames) {
    std::vector<Sample> samples(static_cast<std::size_t>(frames * 2));
    const qint64 bytes = source.read(reinterpret_cast<char*>(samples.data()),
                                     static_cast<qint64>(samples.size() * sizeof(Sample)));
    samples.resize(static_cast<std::size_t>(bytes) / sizeof(Sample));
    return samples;
}

} // namespace

TEST(ToneSource, ReadsTheGeneratorsSamplesInTheCardsFormat) {
    AlarmToneGenerator reference(48000);
    reference.SetGate(true);
    std::vector<std::int16_t> expected(960);
    reference.Generate(expected);

    ToneSource mono(Format(1, QAudioFormat::Int16));
    ASSERT_TRUE(mono.open(QIODevice::ReadOnly));
    mono.SetGate(true);
    EXPECT_EQ(Read<std::int16_t>(mono, 480), expected) << "mono reads 960 whole frames";

    ToneSource stereo(Format(2, QAudioFormat::Float));
    ASSERT_TRUE(stereo.open(QIODevice::ReadOnly));
    stereo.SetGate(true);
    const auto floats = Read<float>(stereo, 480);
    ASSERT_EQ(floats.size(), 960u);
    for (std::size_t frame = 0; frame < 480; ++frame) {
        EXPECT_EQ(floats[2 * frame], floats[2 * frame + 1]) << frame;
        EXPECT_FLOAT_EQ(floats[2 * frame], expected[frame] / 32768.0f) << frame;
    }

    ToneSource unsigned8(Format(1, QAudioFormat::UInt8));
    ASSERT_TRUE(unsigned8.open(QIODevice::ReadOnly));
    EXPECT_EQ(Read<quint8>(unsigned8, 4), std::vector<quint8>(8, 128)) << "silence is mid-scale";
}

TEST(ToneSource, SaysDrainedOnceAfterTheSilenceAsked) {
    ToneSource source(Format(1, QAudioFormat::Int16));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QSignalSpy drained(&source, &ToneSource::drained);
    source.SetGate(true);
    Read<std::int16_t>(source, 1000);

    source.SetGate(false, 4000);
    Read<std::int16_t>(source, 1000); // the fade-out, then silence
    EXPECT_EQ(drained.count(), 0);
    source.SetGate(true);
    Read<std::int16_t>(source, 4000);
    EXPECT_EQ(drained.count(), 0) << "reopened before the silence was played";

    source.SetGate(false, 4000);
    for (int i = 0; i < 6; ++i) {
        Read<std::int16_t>(source, 1000);
    }
    EXPECT_EQ(drained.count(), 1);
    EXPECT_EQ(Read<std::int16_t>(source, 10), std::vector<std::int16_t>(20, 0));
}

TEST(ToneSource, AFormatItCannotWriteReadsNothing) {
    ToneSource source{QAudioFormat()};
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    source.SetGate(true);
    char buffer[64];
    EXPECT_EQ(source.read(buffer, sizeof buffer), 0);
}

TEST(SoundCardSpeakerBackend, WithoutAnAudioDeviceTheGateOpensAndClosesQuietly) {
    SoundCardSpeakerBackend backend{QAudioDevice()};
    backend.SetDivisor(1704);
    backend.SetGate(true);
    EXPECT_FALSE(backend.Playing());
    backend.SetGate(false);
    backend.SetGate(true);
    EXPECT_FALSE(backend.Playing());
    EXPECT_EQ(SoundCardSpeakerBackend::ToneFormat(QAudioDevice()).sampleFormat(),
              QAudioFormat::Int16);
}

TEST(ChooseAlarmToneBackend, GivesABackendEvenWhenNothingCanSound) {
    AlarmToneRoute route = AlarmToneRoute::PcSpeaker;
    const auto backend = ChooseAlarmToneBackend(route);
    ASSERT_NE(backend, nullptr) << AlarmToneRouteName(route);
    // Never left sounding by the test.
    backend->SetGate(false);
}
