// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoders/LoudnessMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr unsigned long kRate = 48000;

// A 997 Hz sine: K-weighting leaves it as it is, so in both channels of a stereo stream it
// reads as loud in LUFS as its peak is in dBFS.
std::vector<float> Sine(double amplitude, double seconds = 3.0) {
    std::vector<float> samples(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] =
            static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * 997 * i / kRate));
    }
    return samples;
}

double StereoLoudness(LoudnessMeter& meter, const std::vector<float>& samples) {
    const float* planes[] = {samples.data(), samples.data()};
    meter.AddPlanar(planes, samples.size());
    return meter.Loudness();
}

TEST(LoudnessMeterTest, ToneSilenceAndAlbum) {
    const auto tenth = Sine(0.1);
    LoudnessMeter loud(2, kRate);
    ASSERT_TRUE(loud.Ready());
    EXPECT_NEAR(StereoLoudness(loud, tenth), -20.0, 0.05);
    EXPECT_NEAR(loud.Peak(), 0.1, 1e-4);

    // The same frames as 16-bit samples, interleaved.
    std::vector<std::int16_t> interleaved;
    for (const float sample : tenth) {
        const auto value = static_cast<std::int16_t>(std::lround(sample * 32768.0f));
        interleaved.insert(interleaved.end(), {value, value});
    }
    LoudnessMeter sixteen(2, kRate);
    sixteen.AddInterleaved(interleaved.data(), tenth.size());
    EXPECT_NEAR(sixteen.Loudness(), loud.Loudness(), 0.01);

    // One channel counts once; scale reaches the samples.
    LoudnessMeter mono(1, kRate);
    const float* plane[] = {tenth.data()};
    mono.AddPlanar(plane, tenth.size(), 0.5f);
    EXPECT_NEAR(mono.Loudness(), -20.0 - 3.01 - 6.02, 0.05);
    EXPECT_NEAR(mono.Peak(), 0.05, 1e-4);

    LoudnessMeter silent(2, kRate);
    EXPECT_TRUE(std::isinf(StereoLoudness(silent, std::vector<float>(kRate, 0.0f))));

    // An album is the energy of all its tracks, not an average of their loudness in dB.
    LoudnessMeter quieter(2, kRate);
    StereoLoudness(quieter, Sine(0.05));
    EXPECT_NEAR(LoudnessMeter::Loudness({&loud, &quieter}), -20.0 + 10 * std::log10((1 + 0.25) / 2),
                0.05);
}

TEST(LoudnessMeterTest, SpeakersSetTheWeights) {
    const auto tenth = Sine(0.1);
    const std::vector<float> none(tenth.size(), 0.0f);
    // Front left, low frequency, left surround: the surround weighs 1.5 dB more, LFE nothing.
    const std::uint32_t speakers[] = {0x1, 0x8, 0x10};
    struct Case {
        int channel;
        double loudness;
    };
    for (const Case c : {Case{0, -23.01}, Case{1, -std::numeric_limits<double>::infinity()},
                         Case{2, -23.01 + 1.5}}) {
        LoudnessMeter meter(3, kRate, speakers);
        const float* planes[] = {none.data(), none.data(), none.data()};
        planes[c.channel] = tenth.data();
        meter.AddPlanar(planes, tenth.size());
        if (std::isinf(c.loudness)) {
            EXPECT_TRUE(std::isinf(meter.Loudness())) << c.channel;
        } else {
            EXPECT_NEAR(meter.Loudness(), c.loudness, 0.05) << c.channel;
        }
    }
}

TEST(LoudnessMeterTest, MeasuredOnItsThreadAsLibebur128MeasuresDirectly) {
    struct Case {
        std::size_t channels;
        std::size_t chunk; // frames per call: across the meter's buffers, their size, many of them
        bool sixteenBit;
        bool finished; // the thread ended first, the last part-filled buffer with it
    };
    for (const Case c : {Case{2, 1000, false, true}, Case{1, 8192, false, false},
                         Case{6, 100000, false, false}, Case{2, 4608, true, false},
                         Case{1, 333, true, true}}) {
        // A tone rising out of silence, interleaved, as the meter gets it and as 16-bit samples.
        const std::size_t frames = 2 * kRate;
        std::vector<float> samples(frames * c.channels);
        std::vector<std::int16_t> shorts(samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const double t = static_cast<double>(i / c.channels) / kRate;
            samples[i] = static_cast<float>(t / 2 * std::sin(2 * std::numbers::pi * 300 * t));
            shorts[i] = static_cast<std::int16_t>(std::lround(samples[i] * 32767.0f));
            samples[i] = c.sixteenBit ? shorts[i] / 32768.0f : samples[i];
        }
        ebur128_state* direct = ebur128_init(static_cast<unsigned>(c.channels), kRate,
                                             EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
        ebur128_add_frames_float(direct, samples.data(), frames);
        double loudness = 0.0;
        ebur128_loudness_global(direct, &loudness);
        double peak = 0.0;
        ebur128_sample_peak(direct, 0, &peak);
        ebur128_destroy(&direct);

        LoudnessMeter meter(c.channels, kRate);
        for (std::size_t start = 0; start < frames; start += c.chunk) {
            const std::size_t count = std::min(c.chunk, frames - start);
            std::vector<std::vector<float>> planes(c.channels, std::vector<float>(count));
            std::vector<const float*> from;
            for (std::size_t ch = 0; ch < c.channels; ++ch) {
                for (std::size_t i = 0; i < count; ++i) {
                    planes[ch][i] = samples[(start + i) * c.channels + ch];
                }
                from.push_back(planes[ch].data());
            }
            if (c.sixteenBit) {
                meter.AddInterleaved(shorts.data() + start * c.channels, count);
            } else {
                meter.AddPlanar(from.data(), count);
            }
            // Asking halfway measures what is queued; the frames after it still count.
            if (start < frames / 2 && start + count >= frames / 2) {
                EXPECT_TRUE(std::isfinite(meter.Loudness()));
            }
        }
        if (c.finished) {
            meter.Finish();
        }
        EXPECT_NEAR(meter.Loudness(), loudness, 1e-9) << c.channels << " " << c.chunk;
        EXPECT_EQ(meter.Peak(), peak) << c.channels << " " << c.chunk;
    }
}

} // namespace
