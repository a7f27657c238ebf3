// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/ReplayGainWriter.h"
#include "tags/EncodeItem.h"

#include <cstddef>
#include <cstdint>
#include <vector>

/// The values of an MP3 output as TXXX frames in the room TagLib left after the ID3v2 tag's
/// frames (the tag keeps its size, the audio its place), and in the info frame's fields for
/// them, where lame puts its own.
class Mp3ReplayGainWriter : public ReplayGainWriter {
public:
    /// tagBytes: the size of the item's ID3v2 tag at the file's start; 0 where it has none.
    /// infoFrame: the stream's info frame as written at infoFrameAt; empty where it has none.
    Mp3ReplayGainWriter(EncodeItem item, std::size_t tagBytes,
                        std::vector<std::uint8_t> infoFrame, std::uint64_t infoFrameAt);
    bool Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
               const ReplayGainValues* album) const override;

private:
    EncodeItem item_;
    std::size_t tagBytes_;
    std::vector<std::uint8_t> infoFrame_;
    std::uint64_t infoFrameAt_;
};
