// SPDX-License-Identifier: GPL-3.0-or-later
#include "Resampler.h"

#include <soxr.h>

Resampler::Resampler(double inRate, double outRate, unsigned channels) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_S, SOXR_FLOAT32_S);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    soxr_ = soxr_create(inRate, outRate, channels, &error, &io, &quality, nullptr);
    if (error != nullptr && soxr_ != nullptr) {
        soxr_delete(soxr_);
        soxr_ = nullptr;
    }
}

Resampler::~Resampler() {
    if (soxr_ != nullptr) {
        soxr_delete(soxr_);
    }
}

std::size_t Resampler::Process(const float* const* in, std::size_t frames, std::size_t& taken,
                               float** out, std::size_t capacity) {
    taken = 0;
    std::size_t written = 0;
    if (soxr_process(soxr_, in, in != nullptr ? frames : 0, &taken, out, capacity, &written) !=
        nullptr) {
        return 0;
    }
    return written;
}
