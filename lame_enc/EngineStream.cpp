// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineStream.h"

#include "LameConfig.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace lameenc {
namespace {

// libmp3lame's own worst case per call: 1.25 bytes per sample plus 7200 bytes of frames it
// may still hold back.
constexpr double kBytesPerSample = 1.25;
constexpr std::uint64_t kHeldBackBytes = 7200;
// Rates so far apart that one call's output needs more than this are refused.
constexpr std::uint64_t kMaxMinimumBuffer = 16u << 20;

// libmp3lame fills shared tables while it sets an encoder up.
std::mutex& SetupMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

EngineStream::~EngineStream() {
    if (lame_ != nullptr) {
        lame_close(lame_);
    }
}

BE_ERR EngineStream::Open(const BE_CONFIG& config, DWORD* samples, DWORD* bufferBytes) {
    std::lock_guard setup(SetupMutex());
    lame_ = lame_init();
    if (lame_ == nullptr) {
        return BE_ERR_NO_MORE_HANDLES;
    }
    if (const BE_ERR status = ApplyConfig(lame_, config); status != BE_ERR_SUCCESSFUL) {
        return status;
    }
    channels_ = lame_get_num_channels(lame_);
    if (lame_init_params(lame_) < 0) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    reservesInfoFrame_ = lame_get_bWriteVbrTag(lame_) != 0;

    const double inRate = lame_get_in_samplerate(lame_);
    const double outRate = lame_get_out_samplerate(lame_);
    const int frameSize = lame_get_framesize(lame_);
    if (inRate <= 0 || outRate <= 0 || frameSize <= 0) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    // 1.25 bytes per output sample covers 320 kbit/s at 32 kHz; below 32 kHz the top bitrate
    // is 160 kbit/s, which at 8 kHz is more. Upsampling makes more output samples than input.
    const double topBytesPerSecond = (outRate >= 32000 ? 320 : 160) * 1000.0 / 8;
    bytesPerFrame_ =
        std::max(kBytesPerSample, topBytesPerSecond / outRate) * std::max(1.0, outRate / inRate);
    const std::uint64_t minimum = OutputBound(static_cast<std::uint64_t>(frameSize));
    if (minimum > kMaxMinimumBuffer) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    minimumBuffer_ = static_cast<DWORD>(minimum);
    *samples = static_cast<DWORD>(frameSize * channels_);
    *bufferBytes = minimumBuffer_;
    return BE_ERR_SUCCESSFUL;
}

std::uint64_t EngineStream::OutputBound(std::uint64_t frames) const {
    return static_cast<std::uint64_t>(std::ceil(static_cast<double>(frames) * bytesPerFrame_)) +
           kHeldBackBytes;
}

BE_ERR EngineStream::Encode(DWORD nSamples, SHORT* samples, BYTE* output, DWORD* outputBytes) {
    if (outputBytes == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *outputBytes = 0;
    std::lock_guard lock(mutex_);
    const DWORD frames = nSamples / static_cast<DWORD>(channels_);
    if (frames == 0) {
        return BE_ERR_SUCCESSFUL;
    }
    const std::uint64_t bound = OutputBound(frames);
    if (!Accepts(bound, samples, output)) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    // A mono stream reads its one channel only.
    const int result =
        channels_ == 1 ? lame_encode_buffer(lame_, samples, samples, static_cast<int>(frames),
                                            output, static_cast<int>(bound))
                       : lame_encode_buffer_interleaved(lame_, samples, static_cast<int>(frames),
                                                        output, static_cast<int>(bound));
    return Delivered(result, output, outputBytes);
}

BE_ERR EngineStream::EncodeFloat(DWORD frames, FLOAT* left, FLOAT* right, BYTE* output,
                                 DWORD* outputBytes) {
    if (outputBytes == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *outputBytes = 0;
    std::lock_guard lock(mutex_);
    if (frames == 0) {
        return BE_ERR_SUCCESSFUL;
    }
    if (channels_ == 1) {
        right = left;
    }
    const std::uint64_t bound = OutputBound(frames);
    if (!Accepts(bound, right, output) || left == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const int result = lame_encode_buffer_float(lame_, left, right, static_cast<int>(frames),
                                                output, static_cast<int>(bound));
    return Delivered(result, output, outputBytes);
}

bool EngineStream::Accepts(std::uint64_t bound, const void* samples, const BYTE* output) const {
    return samples != nullptr && output != nullptr && !flushed_ && bound <= INT_MAX;
}

BE_ERR EngineStream::Flush(BYTE* output, DWORD* outputBytes) {
    if (outputBytes == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *outputBytes = 0;
    std::lock_guard lock(mutex_);
    if (flushed_) {
        return BE_ERR_SUCCESSFUL;
    }
    if (output == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    flushed_ = true;
    return Delivered(lame_encode_flush(lame_, output, static_cast<int>(minimumBuffer_)), output,
                     outputBytes);
}

BE_ERR EngineStream::Delivered(int result, const BYTE* output, DWORD* outputBytes) {
    if (result < 0) {
        // -1 is libmp3lame's "output buffer too small"; the rest are internal failures.
        return result == -1 ? BE_ERR_BUFFER_TOO_SMALL : BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const auto bytes = static_cast<std::size_t>(result);
    if (headBytes_ < head_.size()) {
        const std::size_t take = std::min(bytes, head_.size() - headBytes_);
        std::memcpy(head_.data() + headBytes_, output, take);
        headBytes_ += take;
    }
    streamBytes_ += bytes;
    *outputBytes = static_cast<DWORD>(bytes);
    return BE_ERR_SUCCESSFUL;
}

std::size_t EngineStream::InfoFrameSize() {
    if (!reservesInfoFrame_) {
        return 0;
    }
    // Asked with no room, libmp3lame answers with the frame's size (0 when the stream's frames
    // are too small to hold it); it lies over the first frame of the output.
    const std::size_t size = lame_get_lametag_frame(lame_, nullptr, 0);
    return size <= headBytes_ ? size : 0;
}

BE_ERR EngineStream::CopyInfoFrame(BYTE* frame, DWORD* frameBytes) {
    if (frame == nullptr || frameBytes == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    std::lock_guard lock(mutex_);
    if (!flushed_) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const std::size_t size = InfoFrameSize();
    if (size == 0) {
        *frameBytes = 0;
        return BE_ERR_SUCCESSFUL;
    }
    if (size > *frameBytes) {
        *frameBytes = static_cast<DWORD>(size);
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    if (lame_get_lametag_frame(lame_, frame, size) != size) {
        return BE_ERR_INVALID_FORMAT;
    }
    *frameBytes = static_cast<DWORD>(size);
    infoFrameCopied_ = true;
    return BE_ERR_SUCCESSFUL;
}

std::optional<InfoFrame> EngineStream::FinishedInfoFrame() {
    std::lock_guard lock(mutex_);
    const std::size_t size = flushed_ && !infoFrameCopied_ ? InfoFrameSize() : 0;
    if (size == 0) {
        return std::nullopt;
    }
    InfoFrame info;
    info.frame.resize(size);
    if (lame_get_lametag_frame(lame_, info.frame.data(), size) != size) {
        return std::nullopt;
    }
    info.reserved.assign(head_.begin(), head_.begin() + static_cast<std::ptrdiff_t>(size));
    info.streamBytes = streamBytes_;
    return info;
}

} // namespace lameenc
