// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleFormat.h"

#include <cstddef>

/// Turns the stored frames of a supported format into one float sequence per channel, full
/// scale at ±1. Nothing is cut to fewer bits; float samples beyond full scale stay as they are
/// up to ±32768, and values that are no numbers at all become silence.
class SampleDecoder {
public:
    explicit SampleDecoder(const SampleFormat& format) : format_(format) {}

    /// Decodes frames frames from bytes into channels[0 … Channels-1].
    void Decode(const unsigned char* bytes, std::size_t frames, float* const* channels) const;

private:
    SampleFormat format_;
};
