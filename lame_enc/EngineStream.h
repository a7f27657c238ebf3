// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BladeMP3EncDLL.h"
#include "InfoFrame.h"

#include <lame/lame.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

namespace lameenc {

/// One libmp3lame encoder behind a stream handle. Calls on one stream are serialised; streams
/// share nothing.
class EngineStream {
public:
    EngineStream() = default;
    ~EngineStream();
    EngineStream(const EngineStream&) = delete;
    EngineStream& operator=(const EngineStream&) = delete;

    /// Sets the encoder up from an LHV1 record; reports the samples per call (all channels) and
    /// the output buffer bytes one such call needs.
    BE_ERR Open(const BE_CONFIG& config, DWORD* samples, DWORD* bufferBytes);
    BE_ERR Encode(DWORD nSamples, SHORT* samples, BYTE* output, DWORD* outputBytes);
    BE_ERR EncodeFloat(DWORD frames, FLOAT* left, FLOAT* right, BYTE* output, DWORD* outputBytes);
    BE_ERR Flush(BYTE* output, DWORD* outputBytes);
    /// Copies the info frame of a flushed stream into frame, which holds *frameBytes bytes, and
    /// sets *frameBytes to its size (0 for a stream without one); 5 with the size needed when it
    /// does not fit, 2 before the flush.
    BE_ERR CopyInfoFrame(BYTE* frame, DWORD* frameBytes);
    /// The info frame of a flushed stream that reserved one, unless CopyInfoFrame handed it out.
    std::optional<InfoFrame> FinishedInfoFrame();

private:
    /// Bytes libmp3lame may emit, at most, for a call with this many input frames.
    std::uint64_t OutputBound(std::uint64_t frames) const;
    /// Whether a call may go ahead: the stream is open for input and the output can take it.
    bool Accepts(std::uint64_t bound, const void* samples, const BYTE* output) const;
    BE_ERR Delivered(int result, const BYTE* output, DWORD* outputBytes);
    /// The reserved info frame's size, 0 without one; under the lock.
    std::size_t InfoFrameSize();

    // MPEG-1 Layer III at 32 kHz and 320 kbit/s: the largest frame there is, with padding.
    static constexpr std::size_t kMaxFrameBytes = 1441;

    std::mutex mutex_;
    lame_global_flags* lame_ = nullptr;
    int channels_ = 2;
    double bytesPerFrame_ = 0;
    DWORD minimumBuffer_ = 0;
    bool reservesInfoFrame_ = false;
    bool flushed_ = false;
    bool infoFrameCopied_ = false;
    std::uint64_t streamBytes_ = 0;
    // The start of the output, where the reserved info frame lies.
    std::array<BYTE, kMaxFrameBytes> head_{};
    std::size_t headBytes_ = 0;
};

} // namespace lameenc
