// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

/// An Ogg Vorbis file as libvorbisfile decodes it.
struct DecodedOgg {
    bool opened = false;
    int channels = 0;
    long rate = 0;
    long bitrateUpper = 0;
    long bitrateNominal = 0;
    long bitrateLower = 0;
    long long totalFrames = -1;              ///< what the stream declares
    std::vector<std::vector<float>> samples; ///< one sequence per channel, all frames decoded
    std::vector<std::string> comments;       ///< "NAME=value", in file order
};

/// Decodes the whole file. A file still being written (no end of stream yet) is read as a
/// stream, as far as its pages go, when asStream is set.
DecodedOgg DecodeOgg(const std::string& path, bool asStream = false);
