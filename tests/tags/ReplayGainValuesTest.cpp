// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/ReplayGainValues.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ReplayGainValuesTest, Texts) {
    struct Case {
        double loudness;
        double peak;
        const char* gain;
        const char* peakText;
    };
    for (const Case c :
         {Case{-14.789, 0.98852549, "-3.21 dB", "0.988525"},
          Case{-25.0, 0.1, "7.00 dB", "0.100000"}, Case{-17.996, 0.0, "0.00 dB", "0.000000"},
          Case{-std::numeric_limits<double>::infinity(), 0.0, "0.00 dB", "0.000000"},
          Case{60.0, 1.5, "-51.00 dB", "1.500000"}}) {
        const auto values = ReplayGainValues::FromLoudness(c.loudness, c.peak);
        EXPECT_EQ(values.GainText(), c.gain);
        EXPECT_EQ(values.PeakText(), c.peakText);
    }
}

} // namespace
