// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>

/// The speaker of each channel of a format, and what the encoders make of them: the order a
/// Vorbis stream keeps them in, and a stereo downmix.
class ChannelMap {
public:
    /// Speakers as the bits of an extensible header's channel mask.
    enum Speaker : std::uint32_t {
        FrontLeft = 0x1,
        FrontRight = 0x2,
        FrontCenter = 0x4,
        LowFrequency = 0x8,
        BackLeft = 0x10,
        BackRight = 0x20,
        FrontLeftOfCenter = 0x40,
        FrontRightOfCenter = 0x80,
        BackCenter = 0x100,
        SideLeft = 0x200,
        SideRight = 0x400,
    };

    /// Each channel takes the next speaker of the format's mask; a mask that names fewer
    /// speakers than there are channels (or none) gives way to the usual order for that count.
    explicit ChannelMap(const SampleFormat& format);

    std::size_t Channels() const { return channels_; }
    std::uint32_t SpeakerOf(std::size_t channel) const { return speakers_[channel]; }
    /// The input channel that each channel of a Vorbis stream of the same count carries, in
    /// Vorbis order: fronts left to right, sides, backs, low frequency last.
    const std::array<std::size_t, SampleFormat::kMaxChannels>& VorbisOrder() const {
        return vorbisOrder_;
    }
    /// Gains of each input channel into the left and right of a stereo mix: fronts as they are,
    /// centre and surrounds at -3 dB, low frequency left out, all scaled so that no mix of
    /// full-scale channels goes beyond full scale.
    struct StereoGains {
        std::array<float, SampleFormat::kMaxChannels> Left{};
        std::array<float, SampleFormat::kMaxChannels> Right{};
    };
    const StereoGains& Downmix() const { return downmix_; }

private:
    std::size_t channels_;
    std::array<std::uint32_t, SampleFormat::kMaxChannels> speakers_{};
    std::array<std::size_t, SampleFormat::kMaxChannels> vorbisOrder_{};
    StereoGains downmix_;
};
