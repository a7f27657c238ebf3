#include "AudioDecoding.h"

#include <cstdio>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

namespace testsupport {

DecodedAudio DecodeMp3File(const std::string& path) {
    DecodedAudio decoded;
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (handle == nullptr) {
        return decoded;
    }
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_QUIET, 0.0);
    if (mpg123_open(handle, path.c_str()) == MPG123_OK) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK && channels > 0) {
            decoded.opened = true;
            decoded.rate = rate;
            decoded.channels = channels;
            decoded.samples.resize(static_cast<std::size_t>(channels));
            unsigned char buffer[16384];
            std::size_t done = 0;
            int status = MPG123_OK;
            do {
                status = mpg123_read(handle, buffer, sizeof buffer, &done);
                const auto* values = reinterpret_cast<const float*>(buffer);
                const std::size_t count = done / sizeof(float);
                for (std::size_t i = 0; i < count; ++i) {
                    decoded.samples[i % static_cast<std::size_t>(channels)].push_back(values[i]);
                }
            } while (status == MPG123_OK || status == MPG123_NEW_FORMAT);
        }
        mpg123_close(handle);
    }
    mpg123_delete(handle);
    return decoded;
}

DecodedAudio DecodeOggFile(const std::string& path) {
    DecodedAudio decoded;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return decoded;
    }
    OggVorbis_File vorbis;
    if (ov_open_callbacks(file, &vorbis, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(file);
        return decoded;
    }
    const vorbis_info* info = ov_info(&vorbis, -1);
    decoded.opened = true;
    decoded.rate = info->rate;
    decoded.channels = info->channels;
    decoded.samples.resize(static_cast<std::size_t>(info->channels));
    if (const vorbis_comment* comment = ov_comment(&vorbis, -1)) {
        for (int i = 0; i < comment->comments; ++i) {
            decoded.comments.emplace_back(comment->user_comments[i],
                                          static_cast<std::size_t>(comment->comment_lengths[i]));
        }
    }
    int section = 0;
    float** pcm = nullptr;
    long frames = 0;
    while ((frames = ov_read_float(&vorbis, &pcm, 4096, &section)) > 0) {
        for (int channel = 0; channel < info->channels; ++channel) {
            decoded.samples[static_cast<std::size_t>(channel)].insert(
                decoded.samples[static_cast<std::size_t>(channel)].end(), pcm[channel],
                pcm[channel] + frames);
        }
    }
    ov_clear(&vorbis);
    return decoded;
}

double ToneFrequencyOf(const std::vector<float>& samples, long rate) {
    // Rising crossings of a tone well above the encoders' noise floor, away from the ends
    // where an encoder's delay and padding leave near-silence.
    constexpr float kArmBelow = -0.05f;
    const std::size_t begin = samples.size() / 10;
    const std::size_t end = samples.size() - samples.size() / 10;
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t crossings = 0;
    bool armed = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (samples[i] < kArmBelow) {
            armed = true;
        } else if (armed && samples[i] >= 0.0f) {
            armed = false;
            if (crossings == 0) {
                first = i;
            }
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

} // namespace testsupport
