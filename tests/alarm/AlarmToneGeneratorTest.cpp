#include "alarm/AlarmToneGenerator.h"
#include "alarm/CPcSpeaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRate = 48000;

std::vector<std::int16_t> Samples(AlarmToneGenerator& tone, std::size_t count) {
    std::vector<std::int16_t> samples(count);
    tone.Generate(samples);
    return samples;
}

// A sounding generator for a frequency, its start-up fade already played.
AlarmToneGenerator Sounding(std::int32_t frequency) {
    AlarmToneGenerator tone(kRate);
    tone.SetDivisor(CPcSpeaker::Divisor(frequency));
    tone.SetGate(true);
    Samples(tone, static_cast<std::size_t>(tone.RampSamples()));
    return tone;
}

std::vector<std::size_t> RisingEdges(const std::vector<std::int16_t>& samples) {
    std::vector<std::size_t> edges;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] > 0) {
            edges.push_back(i);
        }
    }
    return edges;
}

} // namespace

TEST(AlarmToneGenerator, PlaysTheSpeakersSquareWaveAt700HzAndAFixedLevel) {
    AlarmToneGenerator tone = Sounding(700);
    const auto second = Samples(tone, kRate);
    // 1193180 / 1704 = 700.2 Hz: 68.55 samples a period, so periods of 68 and 69 samples.
    const auto edges = RisingEdges(second);
    ASSERT_GE(edges.size(), 699u);
    EXPECT_LE(edges.size(), 701u);
    for (std::size_t i = 1; i < edges.size(); ++i) {
        const std::size_t period = edges[i] - edges[i - 1];
        EXPECT_TRUE(period == 68 || period == 69) << period;
    }
    const double mean = double(edges.back() - edges.front()) / double(edges.size() - 1);
    EXPECT_NEAR(mean, kRate * 1704.0 / CPcSpeaker::kTimerClockHz, 0.01);
    for (std::int16_t sample : second) {
        ASSERT_EQ(std::abs(sample), AlarmToneGenerator::kLevel);
    }
}

TEST(AlarmToneGenerator, FrequenciesTheSpeakerCannotTakeSoundAt700Hz) {
    AlarmToneGenerator reference = Sounding(700);
    const auto expected = Samples(reference, 4800);
    for (std::int32_t unusable : {0, -440, 18, 1193181}) {
        AlarmToneGenerator tone = Sounding(unusable);
        EXPECT_EQ(Samples(tone, 4800), expected) << unusable;
    }
    AlarmToneGenerator zeroDivisor(kRate);
    zeroDivisor.SetDivisor(0);
    EXPECT_EQ(zeroDivisor.Divisor(), 1704);
}

TEST(AlarmToneGenerator, TheLowestAndAnUnplayablyHighFrequency) {
    AlarmToneGenerator low = Sounding(19);
    const auto edges = RisingEdges(Samples(low, 3 * kRate));
    ASSERT_GE(edges.size(), 56u) << "19.0 Hz for three seconds";
    const double mean = double(edges.back() - edges.front()) / double(edges.size() - 1);
    EXPECT_NEAR(mean, kRate * 62798.0 / CPcSpeaker::kTimerClockHz, 0.01);

    // Above half the sample rate a square wave would fold down to another pitch.
    AlarmToneGenerator high = Sounding(30000);
    const auto samples = Samples(high, 1000);
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](auto s) { return s == 0; }));
}

TEST(AlarmToneGenerator, FadesInAndOutWithoutAJump) {
    AlarmToneGenerator tone(kRate);
    EXPECT_TRUE(tone.Silent());
    EXPECT_EQ(Samples(tone, 10), std::vector<std::int16_t>(10, 0)) << "a closed gate is silent";
    tone.SetGate(true);
    const int ramp = tone.RampSamples();
    EXPECT_EQ(ramp, kRate * AlarmToneGenerator::kRampMilliseconds / 1000);
    const auto start = Samples(tone, static_cast<std::size_t>(ramp));
    for (int i = 1; i < ramp; ++i) {
        EXPECT_LE(std::abs(start[i - 1]), std::abs(start[i])) << i;
    }
    EXPECT_LE(std::abs(start.front()), AlarmToneGenerator::kLevel / ramp + 1);
    EXPECT_EQ(std::abs(start.back()), AlarmToneGenerator::kLevel);

    tone.SetGate(false);
    EXPECT_FALSE(tone.Silent()) << "until the fade-out has been played";
    const auto stop = Samples(tone, static_cast<std::size_t>(ramp + 10));
    for (int i = 1; i < ramp; ++i) {
        EXPECT_GE(std::abs(stop[i - 1]), std::abs(stop[i])) << i;
    }
    EXPECT_LE(std::abs(stop.front()), AlarmToneGenerator::kLevel);
    EXPECT_EQ(stop.back(), 0);
    EXPECT_TRUE(tone.Silent());
}

TEST(AlarmToneGenerator, ReopeningDuringTheFadeOutRisesFromWhereItWas) {
    AlarmToneGenerator tone = Sounding(700);
    tone.SetGate(false);
    const int half = tone.RampSamples() / 2;
    const auto fading = Samples(tone, static_cast<std::size_t>(half));
    tone.SetGate(true);
    const auto rising = Samples(tone, 1);
    const int step = AlarmToneGenerator::kLevel / tone.RampSamples() + 1;
    EXPECT_LE(std::abs(rising[0]) - std::abs(fading.back()), step);
    EXPECT_LT(std::abs(rising[0]), AlarmToneGenerator::kLevel);
    EXPECT_GT(std::abs(rising[0]), std::abs(fading.back()));
    EXPECT_FALSE(tone.Silent());
}

TEST(AlarmToneGenerator, NoSampleRateMeansSilence) {
    AlarmToneGenerator tone(0);
    tone.SetGate(true);
    const auto samples = Samples(tone, 100);
    EXPECT_TRUE(std::all_of(samples.begin(), samples.end(), [](auto s) { return s == 0; }));
}
