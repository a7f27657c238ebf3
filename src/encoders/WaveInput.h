// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleDecoder.h"
#include "audio/SampleFormat.h"
#include "platform/File.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// A job's WAVE input: the audio bytes found when it was opened, and no more. A file that
/// grows meanwhile is read up to that size; one that ends sooner (it shrank) is a read failure.
/// The audio comes as its stored bytes or as float frames, a block at a time.
class WaveInput {
public:
    /// The most frames one ReadFrames call delivers.
    static constexpr std::size_t kBlockFrames = 4096;

    WaveInput();

    /// Opens and checks the file; false after the reader's message.
    bool Open(const std::string& path);
    void Close() { file_.Close(); }
    const SampleFormat& Format() const { return format_; }
    std::uint64_t AudioBytes() const { return audioBytes_; }
    std::uint64_t Frames() const { return audioBytes_ / format_.FrameBytes(); }

    /// Reads up to size audio bytes; 0 at the end of the audio or on a failure.
    std::size_t Read(void* buffer, std::size_t size);
    /// Reads up to frames (at most kBlockFrames) frames as floats, one sequence per channel in
    /// the file's order, full scale at ±1; 0 at the end of the audio or on a failure.
    std::size_t ReadFrames(float* const* channels, std::size_t frames);
    /// True when a read failed or the audio ended before its expected length.
    bool Failed() const { return shrank_ || file_.LastReadFailed(); }
    /// The system's error number of a failed read (0 for a file that shrank).
    int Error() const { return shrank_ ? 0 : file_.LastError(); }

private:
    platform::File file_;
    SampleFormat format_{};
    SampleDecoder decoder_{format_};
    std::vector<unsigned char> block_;
    std::uint64_t audioBytes_ = 0;
    std::uint64_t left_ = 0;
    bool shrank_ = false;
};
