// SPDX-License-Identifier: GPL-3.0-or-later
#include "encoders/LoudnessMeter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr unsigned long kRate = 44100;

// Planes of a swelling tone under noise, so that the gate and the peak both have work.
std::vector<std::vector<float>> Music(std::size_t channels, std::size_t frames) {
    std::vector<std::vector<float>> planes(channels, std::vector<float>(frames));
    std::uint32_t seed = 7;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double swell = 0.05 + 0.45 * std::pow(std::sin(std::numbers::pi * 0.4 * t), 2);
        for (std::size_t c = 0; c < channels; ++c) {
            seed = seed * 1664525u + 1013904223u;
            const double noise = (static_cast<double>(seed >> 8) / (1 << 24) - 0.5) * 0.2;
            planes[c][i] = static_cast<float>(
                swell * std::sin(2 * std::numbers::pi * (220.0 * (c + 1)) * t) + noise);
        }
    }
    return planes;
}

struct Direct {
    double loudness = 0.0;
    double peak = 0.0;
};

// What libebur128 reads from the same frames handed to it at once, on the caller's thread.
Direct Measure(ebur128_state* state, std::size_t channels) {
    Direct direct;
    ebur128_loudness_global(state, &direct.loudness);
    for (std::size_t c = 0; c < channels; ++c) {
        double peak = 0.0;
        ebur128_sample_peak(state, static_cast<unsigned>(c), &peak);
        direct.peak = std::max(direct.peak, peak);
    }
    return direct;
}

TEST(LoudnessMeterRelayTest, SameValuesAsLibebur128FedDirectly) {
    struct Case {
        std::size_t channels;
        std::size_t frames;
        std::size_t chunk; // frames per Add; the whole stream at once where it is 0
        bool sixteenBit;
        float scale;
    };
    // Chunks that straddle the meter's buffers, fill them exactly, outrun two of them at once.
    const Case cases[] = {{2, 3 * kRate, 1000, false, 1.0f}, {1, 5 * kRate / 2, 8192, false, 0.5f},
                          {2, 3 * kRate, 0, false, 1.0f},    {6, 2 * kRate, 4608, false, 1.0f},
                          {2, 3 * kRate, 4608, true, 1.0f},  {1, 2 * kRate, 333, true, 1.0f}};
    std::vector<std::unique_ptr<LoudnessMeter>> meters;
    std::vector<ebur128_state*> states;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, chunk " << c.chunk
                                        << (c.sixteenBit ? ", 16-bit" : ""));
        const auto planes = Music(c.channels, c.frames);
        std::vector<float> interleaved(c.channels * c.frames);
        std::vector<std::int16_t> shorts(interleaved.size());
        for (std::size_t i = 0; i < c.frames; ++i) {
            for (std::size_t ch = 0; ch < c.channels; ++ch) {
                interleaved[i * c.channels + ch] = planes[ch][i] * c.scale;
                shorts[i * c.channels + ch] =
                    static_cast<std::int16_t>(std::lround(planes[ch][i] * 32767.0f));
            }
        }
        ebur128_state* state = ebur128_init(static_cast<unsigned>(c.channels), kRate,
                                            EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
        if (c.sixteenBit) {
            ebur128_add_frames_short(state, shorts.data(), c.frames);
        } else {
            ebur128_add_frames_float(state, interleaved.data(), c.frames);
        }
        states.push_back(state);

        auto& meter = *meters.emplace_back(std::make_unique<LoudnessMeter>(c.channels, kRate));
        const std::size_t chunk = c.chunk != 0 ? c.chunk : c.frames;
        for (std::size_t start = 0; start < c.frames; start += chunk) {
            const std::size_t count = std::min(chunk, c.frames - start);
            if (c.sixteenBit) {
                meter.AddInterleaved(shorts.data() + start * c.channels, count);
            } else {
                std::vector<const float*> from;
                for (const auto& plane : planes) {
                    from.push_back(plane.data() + start);
                }
                meter.AddPlanar(from.data(), count, c.scale);
            }
            // Reading the loudness halfway measures what is queued; adding goes on after it.
            if (start < c.frames / 2 && start + count >= c.frames / 2) {
                EXPECT_TRUE(std::isfinite(meter.Loudness()));
            }
        }
        const Direct direct = Measure(state, c.channels);
        EXPECT_NEAR(meter.Loudness(), direct.loudness, 1e-9);
        EXPECT_EQ(meter.Peak(), direct.peak);
    }
    // The album of them all, as libebur128 takes the states together.
    double album = 0.0;
    ebur128_loudness_global_multiple(states.data(), states.size(), &album);
    std::vector<const LoudnessMeter*> all;
    for (const auto& meter : meters) {
        all.push_back(meter.get());
    }
    EXPECT_NEAR(LoudnessMeter::Loudness(all), album, 1e-9);
    for (ebur128_state* state : states) {
        ebur128_destroy(&state);
    }
}

} // namespace
