// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/ChannelMap.h"
#include "encoders/CEncodeThread.h"
#include "encoders/CLameDll.h"
#include "encoders/FrameBlock.h"
#include "encoders/LoudnessMeter.h"
#include "lame_enc/BladeMP3EncDLL.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// Turns one WAVE file into one MP3 file through the lame_enc engine library: the item's ID3v2.3
/// tag first (unless the input says none), the audio with the engine's info frame filled in,
/// the item's ID3v1 record at the end. A mono input gives a mono MP3; more than two channels
/// are mixed to stereo. Asked for ReplayGain, it measures what it hands the engine; the
/// values go into the ID3v2 tag's room once they are known (Mp3ReplayGainWriter).
class CMP3EncodeThread : public CEncodeThread {
public:
    ~CMP3EncodeThread() override;

protected:
    /// Loads lame_enc afresh; when it cannot be loaded, shows "lame_enc.dllが読込めませんでした"
    /// (title "Information").
    bool Prepare() override;
    JobEnd Encode(WaveInput& input, platform::AtomicFileWriter& output) override;

private:
    JobEnd Stream(WaveInput& input, platform::AtomicFileWriter& output, std::uint8_t* buffer,
                  std::uint32_t bufferBytes);
    JobEnd FillInfoFrame(platform::AtomicFileWriter& output, std::uint64_t streamStart,
                         std::uint8_t* buffer, std::uint32_t bufferBytes);
    JobEnd Finish(platform::AtomicFileWriter& output);
    /// The next chunk of input: 16-bit samples into the engine's buffer, or a block of frames.
    bool ReadChunk(WaveInput& input, std::uint32_t& bytes);
    std::uint32_t EncodeChunk(std::uint32_t bytes, std::uint8_t* buffer, std::uint32_t* produced);
    void MixBlock();
    void Measure(std::uint32_t bytes);

    CLameDll lame_;
    bool sixteenBit_ = true;
    std::size_t inputChannels_ = 2;
    ChannelMap::StereoGains gains_;
    FrameBlock block_;
    std::size_t tagBytes_ = 0;             ///< the ID3v2 tag ahead of the audio
    std::unique_ptr<LoudnessMeter> meter_; ///< present when ReplayGain values are written
    std::vector<std::uint8_t> infoFrame_;  ///< the info frame written, with ReplayGain
    std::array<float, WaveInput::kBlockFrames> left_{};
    std::array<float, WaveInput::kBlockFrames> right_{};
};
