// SPDX-License-Identifier: GPL-3.0-or-later
#include "OggDecoder.h"

#include <cstdio>
#include <vorbis/vorbisfile.h>

DecodedOgg DecodeOgg(const std::string& path, bool asStream) {
    DecodedOgg decoded;
    OggVorbis_File file;
    if (!asStream && ov_fopen(path.c_str(), &file) != 0) {
        return decoded;
    }
    std::FILE* stream = nullptr;
    if (asStream) {
        stream = std::fopen(path.c_str(), "rb");
        if (stream == nullptr) {
            return decoded;
        }
        if (ov_open_callbacks(stream, &file, nullptr, 0, OV_CALLBACKS_STREAMONLY) != 0) {
            std::fclose(stream);
            return decoded;
        }
    }
    decoded.opened = true;
    const vorbis_info* info = ov_info(&file, -1);
    decoded.channels = info->channels;
    decoded.rate = info->rate;
    decoded.bitrateUpper = info->bitrate_upper;
    decoded.bitrateNominal = info->bitrate_nominal;
    decoded.bitrateLower = info->bitrate_lower;
    decoded.totalFrames = ov_pcm_total(&file, -1);
    const vorbis_comment* comment = ov_comment(&file, -1);
    for (int i = 0; i < comment->comments; ++i) {
        decoded.comments.emplace_back(comment->user_comments[i],
                                      static_cast<std::size_t>(comment->comment_lengths[i]));
    }
    decoded.samples.resize(static_cast<std::size_t>(decoded.channels));
    int section = 0;
    float** pcm = nullptr;
    long frames = 0;
    while ((frames = ov_read_float(&file, &pcm, 4096, &section)) > 0) {
        for (int channel = 0; channel < decoded.channels; ++channel) {
            decoded.samples[static_cast<std::size_t>(channel)].insert(
                decoded.samples[static_cast<std::size_t>(channel)].end(), pcm[channel],
                pcm[channel] + frames);
        }
    }
    // A stream cut short ends in a hole where the writer has not got to yet.
    if (frames < 0 && !asStream) {
        decoded.opened = false;
    }
    ov_clear(&file);
    return decoded;
}
