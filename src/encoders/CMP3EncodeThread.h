// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/CEncodeThread.h"
#include "encoders/CLameDll.h"
#include "settings/BE_CONFIG.h"

#include <cstdint>

/// Turns one WAVE file into one MP3 file through the lame_enc engine library: the item's ID3v2.3
/// tag first (unless the input says none), the audio with the engine's info frame filled in,
/// the item's ID3v1 record at the end.
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

    CLameDll lame_;
};
