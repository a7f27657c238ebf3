// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleFormat.h"
#include "encoders/WaveInput.h"

#include <array>
#include <cstddef>
#include <vector>

/// One block of an input's float frames, a sequence per channel, in buffers allocated once.
class FrameBlock {
public:
    FrameBlock();

    /// Reads the input's next block; returns its frames (0 at the end or on a failure).
    std::size_t Read(WaveInput& input);
    std::size_t Frames() const { return frames_; }
    float* Channel(std::size_t channel) { return planes_[channel]; }

private:
    std::array<std::vector<float>, SampleFormat::kMaxChannels> channels_;
    std::array<float*, SampleFormat::kMaxChannels> planes_{};
    std::size_t frames_ = 0;
};
