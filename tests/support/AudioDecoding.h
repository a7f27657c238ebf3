#pragma once

#include <string>
#include <vector>

namespace testsupport {

/// An output file as a real decoder reads it: libmpg123 for MP3, libvorbisfile for Ogg Vorbis.
struct DecodedAudio {
    bool opened = false;
    long rate = 0;
    int channels = 0;
    std::vector<std::vector<float>> samples; ///< one sequence per channel
    std::vector<std::string> comments;       ///< Ogg Vorbis only: "NAME=value", in file order
};

DecodedAudio DecodeMp3File(const std::string& path);
DecodedAudio DecodeOggFile(const std::string& path);

/// The frequency of a steady tone (amplitude well above 0.05), from its rising zero crossings
/// in all but the first and last tenth.
double ToneFrequencyOf(const std::vector<float>& samples, long rate);

} // namespace testsupport
