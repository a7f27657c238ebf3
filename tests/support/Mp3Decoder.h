// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// An MP3 file as libmpg123 decodes it (gapless: the info frame's delay and padding applied).
struct DecodedMp3 {
    bool opened = false;
    long rate = 0;
    int channels = 0;
    std::vector<std::vector<float>> samples; ///< one sequence per channel
    std::vector<int> frameBitrates;          ///< kbit/s of every audio frame, in order
    std::vector<int> frameModes;             ///< mpg123_mode of every audio frame
    std::vector<int> frameModeExtensions;    ///< the mode extension bits of every audio frame
    std::vector<int> frameFlags;             ///< mpg123_flags of every audio frame
};

DecodedMp3 DecodeMp3(const std::string& path);

/// The info frame ("Xing" or "Info") at the start of an MP3 file, after its ID3v2 tag if it
/// has one, read by hand.
struct Mp3InfoFrame {
    bool present = false;
    std::string id;               ///< "Xing" (variable bitrate) or "Info" (constant)
    std::uint32_t frameCount = 0; ///< the audio frames it declares (0 when not declared)
};

Mp3InfoFrame ReadInfoFrame(const std::string& mp3Bytes);

/// Samples per channel of the input's frames.
std::vector<float> ChannelOf(const std::vector<std::int16_t>& interleaved, std::size_t channel);

/// Correlation of decoded with reference after the best shift of decoded by 0…maxShift
/// samples (the encoder's and decoder's delay, when no info frame removed it).
double AlignedCorrelation(const std::vector<float>& reference, const std::vector<float>& decoded,
                          std::size_t maxShift);

/// The frequency of a steady tone, from its periods in the middle of the signal.
double ToneFrequency(const std::vector<float>& samples, long rate);

/// Interleaved stereo music-like test signal: two tones per channel under a slow swell, so
/// that it matches itself at one shift only within a few thousand samples.
std::vector<std::int16_t> SwellingStereo(std::uint32_t sampleRate, std::size_t frames);
