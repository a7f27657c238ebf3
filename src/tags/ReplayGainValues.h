// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

/// ReplayGain 2.0 values of a track or an album, and their texts as tags carry them.
struct ReplayGainValues {
    /// The gain that brings the loudness to the reference, in dB, within what an MP3 info
    /// frame can hold (±51.1 dB); the most it allows for silence.
    double Gain = 0.0;
    /// The largest sample magnitude, 1.0 at full scale.
    double Peak = 0.0;

    /// From an integrated loudness in LUFS (minus infinity for silence) and a peak.
    static ReplayGainValues FromLoudness(double loudness, double peak);
    /// "-3.21 dB": two decimals.
    std::string GainText() const;
    /// "0.988525": six decimals.
    std::string PeakText() const;
};
