// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChannelMap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

namespace {

// The speakers WAVE files without a mask mean, by channel count.
constexpr std::array<std::uint32_t, SampleFormat::kMaxChannels + 1> kUsualMasks = {
    0,     0x4, 0x3, 0x7, 0x33, 0x37, 0x3F, 0x70F, // 6.1: back centre and sides
    0x63F,                                         // 7.1: backs and sides
};

// Where a speaker goes in a Vorbis stream, relative to the others.
int VorbisRank(std::uint32_t speaker) {
    switch (speaker) {
    case ChannelMap::FrontLeft:
        return 0;
    case ChannelMap::FrontLeftOfCenter:
        return 1;
    case ChannelMap::FrontCenter:
        return 2;
    case ChannelMap::FrontRightOfCenter:
        return 3;
    case ChannelMap::FrontRight:
        return 4;
    case ChannelMap::SideLeft:
        return 5;
    case ChannelMap::SideRight:
        return 6;
    case ChannelMap::BackLeft:
        return 7;
    case ChannelMap::BackCenter:
        return 8;
    case ChannelMap::BackRight:
        return 9;
    case ChannelMap::LowFrequency:
        return 20;
    default:
        return 10; // the heights, and speakers without a name
    }
}

constexpr float kMinus3dB = std::numbers::sqrt2_v<float> / 2;

void AddGains(std::uint32_t speaker, float& left, float& right) {
    switch (speaker) {
    case ChannelMap::FrontLeft:
    case ChannelMap::FrontLeftOfCenter:
        left = 1;
        break;
    case ChannelMap::FrontRight:
    case ChannelMap::FrontRightOfCenter:
        right = 1;
        break;
    case ChannelMap::SideLeft:
    case ChannelMap::BackLeft:
        left = kMinus3dB;
        break;
    case ChannelMap::SideRight:
    case ChannelMap::BackRight:
        right = kMinus3dB;
        break;
    case ChannelMap::LowFrequency:
        break;
    default:
        // The centre, and what has no side, goes to both at -3 dB.
        left = kMinus3dB;
        right = kMinus3dB;
        break;
    }
}

} // namespace

ChannelMap::ChannelMap(const SampleFormat& format)
    : channels_(std::min<std::size_t>(format.Channels, SampleFormat::kMaxChannels)) {
    std::uint32_t mask = format.ChannelMask;
    if (static_cast<std::size_t>(std::popcount(mask)) < channels_) {
        mask = kUsualMasks[channels_];
    }
    for (std::size_t channel = 0; channel < channels_; ++channel) {
        speakers_[channel] = mask & (~mask + 1);
        mask &= mask - 1;
    }
    for (std::size_t channel = 0; channel < channels_; ++channel) {
        vorbisOrder_[channel] = channel;
    }
    std::stable_sort(vorbisOrder_.begin(), vorbisOrder_.begin() + channels_,
                     [this](std::size_t a, std::size_t b) {
                         return VorbisRank(speakers_[a]) < VorbisRank(speakers_[b]);
                     });
    float leftSum = 0;
    float rightSum = 0;
    for (std::size_t channel = 0; channel < channels_; ++channel) {
        AddGains(speakers_[channel], downmix_.Left[channel], downmix_.Right[channel]);
        leftSum += downmix_.Left[channel];
        rightSum += downmix_.Right[channel];
    }
    const float scale = 1.0f / std::max({1.0f, leftSum, rightSum});
    for (std::size_t channel = 0; channel < channels_; ++channel) {
        downmix_.Left[channel] *= scale;
        downmix_.Right[channel] *= scale;
    }
}
