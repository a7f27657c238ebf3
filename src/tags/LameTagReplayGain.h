// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/ReplayGainValues.h"

#include <cstdint>
#include <optional>
#include <span>

/// Writes ReplayGain values into the LAME extension of an MP3 info frame (a Xing or Info frame
/// as libmp3lame's lame_get_lametag_frame gives it), in the fields where lame itself puts them.
class LameTagReplayGain {
public:
    /// Sets the peak signal amplitude (the track's peak, 1.0 at full scale stored as 2^23),
    /// the Radio Replay Gain (the track's gain) and the Audiophile Replay Gain (the album's
    /// gain; "not set" without an album), each gain in tenths of a dB, rounded as lame rounds
    /// them and held to the field's ±51.1 dB; then the tag's CRC-16 again. False, and the
    /// frame untouched, unless the frame is a Layer III info frame with a LAME extension whose
    /// CRC-16 holds.
    static bool Write(std::span<std::uint8_t> frame, const ReplayGainValues& track,
                      const std::optional<ReplayGainValues>& album);
};
