// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoudnessMeter.h"

#include "audio/ChannelMap.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int ChannelType(std::uint32_t speaker) {
    switch (speaker) {
    case ChannelMap::FrontLeft:
    case ChannelMap::FrontLeftOfCenter:
        return EBUR128_LEFT;
    case ChannelMap::FrontRight:
    case ChannelMap::FrontRightOfCenter:
        return EBUR128_RIGHT;
    case ChannelMap::FrontCenter:
        return EBUR128_CENTER;
    case ChannelMap::BackLeft:
    case ChannelMap::SideLeft:
        return EBUR128_LEFT_SURROUND;
    case ChannelMap::BackRight:
    case ChannelMap::SideRight:
        return EBUR128_RIGHT_SURROUND;
    case ChannelMap::BackCenter:
        return EBUR128_Mp180;
    default:
        // The low-frequency channel does not count towards loudness.
        return EBUR128_UNUSED;
    }
}

// About a fifth of a second at 44.1 kHz: the measuring thread wakes a few times a second.
constexpr std::size_t kFramesPerBuffer = 8192;

// libebur128 reads 16-bit samples as this fraction of full scale; as a float it is exact.
constexpr float kShortScale = 1.0f / 32768.0f;
constexpr unsigned long kFinishedRate = 8000;

} // namespace

LoudnessMeter::LoudnessMeter(std::size_t channels, unsigned long rate,
                             const std::uint32_t* speakers)
    : channels_(channels) {
    // The peak is taken on the measuring thread, cheaper than libebur128's pass over channels.
    state_ = ebur128_init(static_cast<unsigned>(channels), rate, EBUR128_MODE_I);
    if (state_ == nullptr) {
        return;
    }
    for (std::size_t channel = 0; speakers != nullptr && channel < channels; ++channel) {
        ebur128_set_channel(state_, static_cast<unsigned>(channel), ChannelType(speakers[channel]));
    }
    relay_ = std::make_unique<FrameRelay>(
        channels, kFramesPerBuffer,
        [this](const float* frames, std::size_t count) { Measure(frames, count); });
}

LoudnessMeter::~LoudnessMeter() {
    // Its thread measures into the state: it ends first.
    relay_.reset();
    if (state_ != nullptr) {
        ebur128_destroy(&state_);
    }
}

template <typename Fill>
void LoudnessMeter::Feed(std::size_t frames, const Fill& fill) {
    if (relay_ == nullptr) {
        return;
    }
    for (std::size_t start = 0; start < frames;) {
        std::size_t room = 0;
        float* interleaved = relay_->Room(&room);
        const std::size_t count = std::min(room, frames - start);
        fill(interleaved, start, count);
        relay_->Commit(count);
        start += count;
    }
}

void LoudnessMeter::AddPlanar(const float* const* planes, std::size_t frames, float scale) {
    Feed(frames, [&](float* interleaved, std::size_t start, std::size_t count) {
        for (std::size_t channel = 0; channel < channels_; ++channel) {
            const float* samples = planes[channel] + start;
            for (std::size_t i = 0; i < count; ++i) {
                interleaved[i * channels_ + channel] = samples[i] * scale;
            }
        }
    });
}

void LoudnessMeter::AddInterleaved(const std::int16_t* samples, std::size_t frames) {
    Feed(frames, [&](float* interleaved, std::size_t start, std::size_t count) {
        const std::int16_t* from = samples + start * channels_;
        for (std::size_t i = 0; i < count * channels_; ++i) {
            interleaved[i] = from[i] * kShortScale;
        }
    });
}

void LoudnessMeter::Measure(const float* frames, std::size_t count) {
    float peak = peak_;
    for (std::size_t i = 0; i < count * channels_; ++i) {
        peak = std::max(peak, std::fabs(frames[i]));
    }
    peak_ = peak;
    ebur128_add_frames_float(state_, frames, count);
}

void LoudnessMeter::Finish() {
    if (relay_ != nullptr) {
        relay_->Drain();
        relay_.reset();
    }
    // The measured blocks are kept; the 400 ms of audio the state buffers for the next block
    // shrinks to that of one channel at a low rate (a tenth of stereo at 44.1 kHz).
    if (state_ != nullptr &&
        ebur128_change_parameters(state_, 1, kFinishedRate) == EBUR128_ERROR_NOMEM) {
        ebur128_destroy(&state_);
    }
}

void LoudnessMeter::Drain() const {
    if (relay_ != nullptr) {
        relay_->Drain();
    }
}

double LoudnessMeter::Loudness() const {
    double loudness = -std::numeric_limits<double>::infinity();
    if (state_ != nullptr) {
        Drain();
        ebur128_loudness_global(state_, &loudness);
    }
    return loudness;
}

double LoudnessMeter::Peak() const {
    Drain();
    return peak_;
}

double LoudnessMeter::Loudness(const std::vector<const LoudnessMeter*>& meters) {
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters) {
        if (meter->state_ != nullptr) {
            meter->Drain();
            states.push_back(meter->state_);
        }
    }
    double loudness = -std::numeric_limits<double>::infinity();
    if (!states.empty()) {
        ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    }
    return loudness;
}
