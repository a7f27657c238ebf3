// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleDecoder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

float Unsigned8(const unsigned char* bytes) {
    return (static_cast<float>(bytes[0]) - 128.0f) * (1.0f / 128.0f);
}

float Signed16(const unsigned char* bytes) {
    return static_cast<float>(static_cast<std::int16_t>(bytes[0] | bytes[1] << 8)) *
           (1.0f / 32768.0f);
}

float Signed24(const unsigned char* bytes) {
    // Shifted into the top of 32 bits, so that the sign comes along.
    const auto value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bytes[0]) << 8 |
                                                 static_cast<std::uint32_t>(bytes[1]) << 16 |
                                                 static_cast<std::uint32_t>(bytes[2]) << 24);
    return static_cast<float>(value) * (1.0f / 2147483648.0f);
}

float Signed32(const unsigned char* bytes) {
    const auto value = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24);
    return static_cast<float>(value) * (1.0f / 2147483648.0f);
}

// Far beyond anything a recording holds (90 dB over full scale), and small enough that no
// encoder's arithmetic on it overflows.
float Finite(double value) {
    constexpr double kLargest = 32768.0;
    return std::isfinite(value) ? static_cast<float>(std::clamp(value, -kLargest, kLargest)) : 0.0f;
}

float Float32(const unsigned char* bytes) {
    float value;
    std::memcpy(&value, bytes, sizeof value);
    return Finite(value);
}

float Float64(const unsigned char* bytes) {
    double value;
    std::memcpy(&value, bytes, sizeof value);
    return Finite(value);
}

template <float (*Sample)(const unsigned char*), std::size_t kBytes>
void DecodeAll(const unsigned char* bytes, std::size_t frames, std::size_t channels,
               float* const* out) {
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (std::size_t channel = 0; channel < channels; ++channel, bytes += kBytes) {
            out[channel][frame] = Sample(bytes);
        }
    }
}

} // namespace

void SampleDecoder::Decode(const unsigned char* bytes, std::size_t frames,
                           float* const* channels) const {
    const std::size_t count = format_.Channels;
    if (format_.Encoding == SampleEncoding::Float) {
        if (format_.Bits == 64) {
            DecodeAll<Float64, 8>(bytes, frames, count, channels);
        } else {
            DecodeAll<Float32, 4>(bytes, frames, count, channels);
        }
        return;
    }
    switch (format_.Bits) {
    case 8:
        DecodeAll<Unsigned8, 1>(bytes, frames, count, channels);
        break;
    case 16:
        DecodeAll<Signed16, 2>(bytes, frames, count, channels);
        break;
    case 24:
        DecodeAll<Signed24, 3>(bytes, frames, count, channels);
        break;
    default:
        DecodeAll<Signed32, 4>(bytes, frames, count, channels);
        break;
    }
}
