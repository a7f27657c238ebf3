// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

struct soxr;

/// A stream of float channels resampled from one rate to another (libsoxr, high quality). In
/// all, the output holds the input's length scaled by the rates.
class Resampler {
public:
    /// Check Ready() afterwards: libsoxr may refuse.
    Resampler(double inRate, double outRate, unsigned channels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    bool Ready() const { return soxr_ != nullptr; }
    /// Takes up to frames frames of input (nullptr: the input has ended) and writes up to
    /// capacity frames of output; reports the input taken and returns the output written.
    std::size_t Process(const float* const* in, std::size_t frames, std::size_t& taken, float** out,
                        std::size_t capacity);

private:
    soxr* soxr_ = nullptr;
};
