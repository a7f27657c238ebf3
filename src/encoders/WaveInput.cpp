// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveInput.h"

#include "audio/WaveReader.h"

#include <algorithm>

namespace {

constexpr std::size_t kMaxFrameBytes = 8 * SampleFormat::kMaxChannels;

} // namespace

WaveInput::WaveInput() : block_(kBlockFrames * kMaxFrameBytes) {}

bool WaveInput::Open(const std::string& path) {
    shrank_ = false;
    audioBytes_ = 0;
    left_ = 0;
    if (!OpenWave(&file_, path.c_str(), audioBytes_, format_)) {
        return false;
    }
    left_ = audioBytes_;
    decoder_ = SampleDecoder(format_);
    return true;
}

std::size_t WaveInput::Read(void* buffer, std::size_t size) {
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
    if (wanted == 0) {
        return 0;
    }
    const std::size_t got = file_.Read(buffer, wanted);
    left_ -= got;
    // The reader repeats short reads: fewer bytes than asked for means the file ended.
    if (got < wanted && !file_.LastReadFailed()) {
        shrank_ = true;
    }
    return Failed() ? 0 : got;
}

std::size_t WaveInput::ReadFrames(float* const* channels, std::size_t frames) {
    const std::size_t frameBytes = format_.FrameBytes();
    const std::size_t got =
        Read(block_.data(), std::min(frames, kBlockFrames) * frameBytes) / frameBytes;
    decoder_.Decode(block_.data(), got, channels);
    return got;
}
