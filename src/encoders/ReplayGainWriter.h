// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/AtomicFileWriter.h"
#include "tags/ReplayGainValues.h"

/// Puts an output's ReplayGain values into the room its job kept for them, through the open
/// working file: a track's values are known only at the audio's end, an album's only once the
/// album's last file has ended.
class ReplayGainWriter {
public:
    virtual ~ReplayGainWriter() = default;
    /// album: nullptr for a file that carries no album values. False when the values could not
    /// be written (the output's LastError tells why, if a write failed).
    virtual bool Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
                       const ReplayGainValues* album) const = 0;
};
