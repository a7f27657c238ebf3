// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplayGainValues.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kReferenceLoudness = -18.0;
constexpr double kMostGain = 51.0;

std::string Printed(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

ReplayGainValues ReplayGainValues::FromLoudness(double loudness, double peak) {
    const double gain = std::isfinite(loudness) ? kReferenceLoudness - loudness : kMostGain;
    return {std::clamp(gain, -kMostGain, kMostGain), peak};
}

std::string ReplayGainValues::GainText() const {
    // Rounding -0.004 must not give "-0.00 dB".
    const double rounded = std::round(Gain * 100.0) / 100.0;
    return Printed("%.2f dB", rounded == 0.0 ? 0.0 : rounded);
}

std::string ReplayGainValues::PeakText() const {
    return Printed("%.6f", Peak);
}
