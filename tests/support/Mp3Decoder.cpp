// SPDX-License-Identifier: GPL-3.0-or-later
#include "Mp3Decoder.h"

#include "Id3v2Reader.h"

#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

struct CloseHandle {
    void operator()(mpg123_handle* handle) const {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};
using Handle = std::unique_ptr<mpg123_handle, CloseHandle>;

Handle OpenDecoder(const std::string& path, bool floatOutput) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    Handle handle(mpg123_new(nullptr, nullptr));
    if (handle == nullptr) {
        return nullptr;
    }
    long flags = MPG123_QUIET | MPG123_GAPLESS;
    if (floatOutput) {
        flags |= MPG123_FORCE_FLOAT;
    }
    mpg123_param(handle.get(), MPG123_FLAGS, flags, 0);
    if (mpg123_open(handle.get(), path.c_str()) != MPG123_OK) {
        return nullptr;
    }
    return handle;
}

std::uint32_t BigEndian32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

double RangeCorrelation(const float* a, const float* b, std::size_t length) {
    double ab = 0;
    double aa = 0;
    double bb = 0;
    for (std::size_t i = 0; i < length; ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

} // namespace

DecodedMp3 DecodeMp3(const std::string& path) {
    DecodedMp3 decoded;
    // Frame by frame for the bitrates, then a gapless read for the audio.
    if (Handle frames = OpenDecoder(path, false)) {
        int status = MPG123_OK;
        while ((status = mpg123_framebyframe_next(frames.get())) == MPG123_OK ||
               status == MPG123_NEW_FORMAT) {
            mpg123_frameinfo info{};
            mpg123_info(frames.get(), &info);
            decoded.frameBitrates.push_back(info.bitrate);
            decoded.frameModes.push_back(info.mode);
            decoded.frameModeExtensions.push_back(info.mode_ext);
            decoded.frameFlags.push_back(info.flags);
        }
    }
    Handle audio = OpenDecoder(path, true);
    if (audio == nullptr) {
        return decoded;
    }
    int encoding = 0;
    if (mpg123_getformat(audio.get(), &decoded.rate, &decoded.channels, &encoding) != MPG123_OK ||
        encoding != MPG123_ENC_FLOAT_32 || decoded.channels < 1) {
        return decoded;
    }
    decoded.opened = true;
    decoded.samples.resize(static_cast<std::size_t>(decoded.channels));
    std::array<float, 8192> buffer{};
    const auto channels = static_cast<std::size_t>(decoded.channels);
    for (;;) {
        std::size_t bytes = 0;
        const int status = mpg123_read(audio.get(), buffer.data(), sizeof buffer, &bytes);
        const std::size_t values = bytes / sizeof(float);
        for (std::size_t i = 0; i + channels <= values; i += channels) {
            for (std::size_t c = 0; c < channels; ++c) {
                decoded.samples[c].push_back(buffer[i + c]);
            }
        }
        if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
            decoded.opened = status == MPG123_DONE;
            break;
        }
    }
    return decoded;
}

Mp3InfoFrame ReadInfoFrame(const std::string& mp3Bytes) {
    Mp3InfoFrame info;
    const std::uint64_t start = LeadingId3v2Bytes(mp3Bytes);
    if (mp3Bytes.size() < start + 4) {
        return info;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(mp3Bytes.data()) + start;
    if (bytes[0] != 0xFF || (bytes[1] & 0xE0) != 0xE0) {
        return info;
    }
    // Side information: 32/17 bytes for MPEG-1 stereo/mono, 17/9 for MPEG-2 and 2.5.
    const bool mpeg1 = (bytes[1] & 0x18) == 0x18;
    const bool mono = (bytes[3] & 0xC0) == 0xC0;
    const std::size_t offset = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (mp3Bytes.size() < start + offset + 12) {
        return info;
    }
    const std::string id = mp3Bytes.substr(start + offset, 4);
    if (id != "Xing" && id != "Info") {
        return info;
    }
    info.present = true;
    info.id = id;
    const std::uint32_t flags = BigEndian32(bytes + offset + 4);
    if ((flags & 1) != 0) {
        info.frameCount = BigEndian32(bytes + offset + 8);
    }
    return info;
}

std::vector<float> ChannelOf(const std::vector<std::int16_t>& interleaved, std::size_t channel) {
    std::vector<float> out;
    out.reserve(interleaved.size() / 2);
    for (std::size_t i = channel; i < interleaved.size(); i += 2) {
        out.push_back(static_cast<float>(interleaved[i]) / 32768.0f);
    }
    return out;
}

double AlignedCorrelation(const std::vector<float>& reference, const std::vector<float>& decoded,
                          std::size_t maxShift) {
    // The shift is found on a window, then the whole overlap is compared at that shift.
    constexpr std::size_t kWindow = 8192;
    std::size_t bestShift = 0;
    double best = -2.0;
    for (std::size_t shift = 0; shift <= maxShift && shift < decoded.size(); ++shift) {
        const std::size_t length = std::min({kWindow, reference.size(), decoded.size() - shift});
        const double value = RangeCorrelation(reference.data(), decoded.data() + shift, length);
        if (value > best) {
            best = value;
            bestShift = shift;
        }
    }
    if (bestShift >= decoded.size()) {
        return 0.0;
    }
    const std::size_t length = std::min(reference.size(), decoded.size() - bestShift);
    return RangeCorrelation(reference.data(), decoded.data() + bestShift, length);
}

double ToneFrequency(const std::vector<float>& samples, long rate) {
    // The middle of the signal, away from the silent delay and padding, and crossings counted
    // with hysteresis, so that coding noise near zero is not taken for periods.
    const std::size_t begin = samples.size() / 10;
    const std::size_t end = samples.size() - begin;
    float peak = 0.0f;
    for (std::size_t i = begin; i < end; ++i) {
        peak = std::max(peak, std::fabs(samples[i]));
    }
    const float threshold = peak / 4;
    bool armed = false;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t crossings = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (samples[i] < -threshold) {
            armed = true;
        } else if (armed && samples[i] > threshold) {
            armed = false;
            first = crossings == 0 ? i : first;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return static_cast<double>(crossings - 1) * static_cast<double>(rate) /
           static_cast<double>(last - first);
}

std::vector<std::int16_t> SwellingStereo(std::uint32_t sampleRate, std::size_t frames) {
    std::vector<std::int16_t> samples(frames * 2);
    const double step = 2.0 * 3.141592653589793 / sampleRate;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = step * static_cast<double>(i);
        const double swell = 0.55 + 0.45 * std::sin(3.0 * t);
        const double left = swell * 0.5 * std::sin(440.0 * t) + 0.2 * std::sin(1234.5 * t);
        const double right = swell * 0.5 * std::sin(660.0 * t) + 0.2 * std::sin(987.6 * t);
        samples[2 * i] = static_cast<std::int16_t>(32767.0 * left);
        samples[2 * i + 1] = static_cast<std::int16_t>(32767.0 * right);
    }
    return samples;
}
