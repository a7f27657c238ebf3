// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/ReplayGainWriter.h"
#include "tags/EncodeItem.h"

#include <cstddef>

/// The values of an MP3 output as TXXX frames in the room TagLib left after the ID3v2 tag's
/// frames: the tag keeps its size, the audio its place.
class Mp3ReplayGainWriter : public ReplayGainWriter {
public:
    /// tagBytes: the size of the item's ID3v2 tag at the file's start; 0 where it has none.
    Mp3ReplayGainWriter(EncodeItem item, std::size_t tagBytes);
    bool Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
               const ReplayGainValues* album) const override;

private:
    EncodeItem item_;
    std::size_t tagBytes_;
};
