// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplayGainValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kReferenceLoudness = -18.0;
constexpr double kMostGain = 51.0;
// Far above anything an input held at 90 dB over full scale gives.
constexpr double kMostPeak = 99999.0;

std::string Printed(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

ReplayGainValues ReplayGainValues::FromLoudness(double loudness, double peak) {
    const double gain = std::isfinite(loudness) ? kReferenceLoudness - loudness : 0.0;
    return {std::clamp(gain, -kMostGain, kMostGain), std::clamp(peak, 0.0, kMostPeak)};
}

std::string ReplayGainValues::GainText() const {
    // Rounding -0.004 must not give "-0.00 dB".
    const double rounded = std::round(Gain * 100.0) / 100.0;
    return Printed("%.2f dB", rounded == 0.0 ? 0.0 : rounded);
}

std::string ReplayGainValues::PeakText() const {
    return Printed("%.6f", Peak);
}

std::vector<std::pair<std::string, std::string>> ReplayGainValues::TrackTexts() const {
    return {{"REPLAYGAIN_TRACK_GAIN", GainText()}, {"REPLAYGAIN_TRACK_PEAK", PeakText()}};
}

std::vector<std::pair<std::string, std::string>> ReplayGainValues::AlbumTexts() const {
    return {{"REPLAYGAIN_ALBUM_GAIN", GainText()}, {"REPLAYGAIN_ALBUM_PEAK", PeakText()}};
}

std::vector<std::pair<std::string, std::string>>
ReplayGainValues::Texts(const ReplayGainValues& track, const ReplayGainValues* album) {
    auto texts = track.TrackTexts();
    if (album != nullptr) {
        const auto albumTexts = album->AlbumTexts();
        texts.insert(texts.end(), albumTexts.begin(), albumTexts.end());
    }
    return texts;
}

ReplayGainValues ReplayGainValues::Widest() {
    return {-kMostGain, kMostPeak};
}
