// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>
#include <vector>

/// ReplayGain 2.0 values of a track or an album, and their texts as tags carry them.
struct ReplayGainValues {
    /// The gain that brings the loudness to the reference, in dB, within what an MP3 info
    /// frame can hold (±51 dB, as lame holds its own); 0 for silence, which no gain could
    /// bring there and which a player should not lift its noise out of.
    double Gain = 0.0;
    /// The largest sample magnitude, 1.0 at full scale (at most 99999).
    double Peak = 0.0;

    /// From an integrated loudness in LUFS (minus infinity for silence) and a peak.
    static ReplayGainValues FromLoudness(double loudness, double peak);
    /// "-3.21 dB": two decimals.
    std::string GainText() const;
    /// "0.988525": six decimals.
    std::string PeakText() const;
    /// Tag names and texts of the values as a track's: REPLAYGAIN_TRACK_GAIN, …_PEAK.
    std::vector<std::pair<std::string, std::string>> TrackTexts() const;
    /// The same as an album's: REPLAYGAIN_ALBUM_GAIN, …_PEAK.
    std::vector<std::pair<std::string, std::string>> AlbumTexts() const;
    /// A file's tag names and texts: the track's values, then the album's where it has them.
    static std::vector<std::pair<std::string, std::string>> Texts(const ReplayGainValues& track,
                                                                  const ReplayGainValues* album);
    /// Values whose texts are as long as any can be: the room to keep for them.
    static ReplayGainValues Widest();
};
