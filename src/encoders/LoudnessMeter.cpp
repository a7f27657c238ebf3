// SPDX-License-Identifier: GPL-3.0-or-later
#include "LoudnessMeter.h"

#include "audio/ChannelMap.h"

#include <algorithm>
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

constexpr std::size_t kFramesPerAdd = 4096;

} // namespace

LoudnessMeter::LoudnessMeter(std::size_t channels, unsigned long rate,
                             const std::uint32_t* speakers)
    : channels_(channels), interleaved_(channels * kFramesPerAdd) {
    state_ = ebur128_init(static_cast<unsigned>(channels), rate,
                          EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    if (state_ == nullptr || speakers == nullptr) {
        return;
    }
    for (std::size_t channel = 0; channel < channels; ++channel) {
        ebur128_set_channel(state_, static_cast<unsigned>(channel), ChannelType(speakers[channel]));
    }
}

LoudnessMeter::~LoudnessMeter() {
    if (state_ != nullptr) {
        ebur128_destroy(&state_);
    }
}

void LoudnessMeter::AddPlanar(const float* const* planes, std::size_t frames, float scale) {
    if (state_ == nullptr) {
        return;
    }
    for (std::size_t start = 0; start < frames; start += kFramesPerAdd) {
        const std::size_t count = std::min(kFramesPerAdd, frames - start);
        for (std::size_t channel = 0; channel < channels_; ++channel) {
            const float* samples = planes[channel] + start;
            for (std::size_t i = 0; i < count; ++i) {
                interleaved_[i * channels_ + channel] = samples[i] * scale;
            }
        }
        ebur128_add_frames_float(state_, interleaved_.data(), count);
    }
}

void LoudnessMeter::AddInterleaved(const std::int16_t* samples, std::size_t frames) {
    if (state_ != nullptr) {
        ebur128_add_frames_short(state_, samples, frames);
    }
}

double LoudnessMeter::Loudness() const {
    double loudness = -std::numeric_limits<double>::infinity();
    if (state_ != nullptr) {
        ebur128_loudness_global(state_, &loudness);
    }
    return loudness;
}

double LoudnessMeter::Peak() const {
    double peak = 0.0;
    for (std::size_t channel = 0; state_ != nullptr && channel < channels_; ++channel) {
        double channelPeak = 0.0;
        ebur128_sample_peak(state_, static_cast<unsigned>(channel), &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    return peak;
}

double LoudnessMeter::Loudness(const std::vector<const LoudnessMeter*>& meters) {
    std::vector<ebur128_state*> states;
    for (const LoudnessMeter* meter : meters) {
        if (meter->state_ != nullptr) {
            states.push_back(meter->state_);
        }
    }
    double loudness = -std::numeric_limits<double>::infinity();
    if (!states.empty()) {
        ebur128_loudness_global_multiple(states.data(), states.size(), &loudness);
    }
    return loudness;
}
