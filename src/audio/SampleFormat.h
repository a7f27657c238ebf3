// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

/// How the samples of a WAVE file are stored.
enum class SampleEncoding { Integer, Float };

/// The sample format of a WAVE file's audio, whatever header described it.
struct SampleFormat {
    SampleEncoding Encoding = SampleEncoding::Integer;
    std::uint16_t Bits = 16;      ///< bits of each sample's container
    std::uint16_t ValidBits = 16; ///< bits of it that carry the sample (the top ones)
    std::uint16_t Channels = 2;
    std::uint32_t Rate = 44100;
    /// The speaker of each channel, in the extensible header's bits; 0 for the usual order of
    /// that many channels.
    std::uint32_t ChannelMask = 0;

    static constexpr std::uint16_t kMaxChannels = 8;
    static constexpr std::uint32_t kMinRate = 8000;
    static constexpr std::uint32_t kMaxRate = 192000;

    /// Whether the encoders take it: unsigned 8 or signed 16/24/32-bit integers with at least
    /// one valid bit, 32 or 64-bit floats; 1 to 8 channels; 8000 to 192000 Hz.
    bool IsSupported() const;
    std::uint32_t FrameBytes() const { return std::uint32_t{Bits} / 8 * Channels; }
    /// The samples are exactly what beEncodeChunk takes.
    bool IsSixteenBit() const { return Encoding == SampleEncoding::Integer && Bits == 16; }
    /// The list's text: "16bit Stereo 44100Hz", "24bit Mono 96000Hz", "32bit float 5.1ch
    /// 48000Hz" (the valid bits of an integer format are named).
    std::string Describe() const;

    bool operator==(const SampleFormat&) const = default;
};

/// The last lines of the reader's format message, naming what is accepted: one text for the
/// window and the terminal.
extern const char* const kAcceptedFormatsText;
