// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameBlock.h"

FrameBlock::FrameBlock() {
    for (std::size_t channel = 0; channel < channels_.size(); ++channel) {
        channels_[channel].resize(WaveInput::kBlockFrames);
        planes_[channel] = channels_[channel].data();
    }
}

std::size_t FrameBlock::Read(WaveInput& input) {
    frames_ = input.ReadFrames(planes_.data(), WaveInput::kBlockFrames);
    return frames_;
}
