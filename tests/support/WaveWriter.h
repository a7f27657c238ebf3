// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

/// The header fields of a synthesized WAVE file; the defaults make the canonical 44-byte
/// header of 16-bit stereo PCM at 44100 Hz.
struct WaveHeader {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 2;
    std::uint32_t sampleRate = 44100;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    /// The fmt chunk's size: above 16 the extension size and the extension follow the block,
    /// zero-filled or cut to this size.
    std::uint32_t fmtSize = 16;
    std::uint16_t extensionSize = 0;       ///< the extension size field
    std::string extension;                 ///< the extension's bytes after its size field
    std::string chunksBeforeFmt;           ///< raw bytes between "WAVE" and "fmt "
    std::string chunksBeforeData;          ///< raw bytes between the fmt chunk and "data"
    std::optional<std::uint32_t> dataSize; ///< declared data size; the samples' bytes if unset
};

/// The 16 bytes of an extensible fmt chunk's extension that name PCM as its sub-format.
extern const std::string kPcmSubFormat;

/// Interleaved 16-bit stereo frames: a sine of the given frequencies, amplitude 0…1.
std::vector<std::int16_t> StereoTone(std::uint32_t sampleRate, std::size_t frames, double leftHz,
                                     double rightHz, double amplitude = 0.5);

/// The bytes of a WAVE file with the header and the samples (little-endian).
std::string WaveBytes(const WaveHeader& header, const std::vector<std::int16_t>& samples,
                      const std::string& trailingBytes = {});

/// Writes WaveBytes to path; true on success.
bool WriteWave(const std::string& path, const WaveHeader& header,
               const std::vector<std::int16_t>& samples, const std::string& trailingBytes = {});

/// A chunk: 4-byte id, little-endian 32-bit size, body, and the zero pad byte after an odd
/// body unless pad is false.
std::string Chunk(const std::string& id, const std::string& body, bool pad = true);

/// The 22 extension bytes of an extensible fmt chunk after its size field: 16 valid bits,
/// front left and right, and the given sub-format.
std::string ExtensibleExtension(const std::string& subFormat = kPcmSubFormat);

/// How a synthesized file states its sample format.
enum class FormatHeader {
    Plain,     ///< tag 1 or 3, the valid bits as its bits, the block from the container
    Extensible ///< tag 0xFFFE with valid bits, channel mask and sub-format
};

/// The header of a file of format.
WaveHeader HeaderOf(const SampleFormat& format, FormatHeader kind = FormatHeader::Plain);

/// Samples at full scale ±1, one sequence per channel, stored as format's frames (integers
/// rounded, in the top bits of their container; 8 bits unsigned).
std::string SampleBytes(const SampleFormat& format,
                        const std::vector<std::vector<double>>& channels);

/// One sine per channel: channel c at hz[c] Hz and levels[c] of full scale.
std::vector<std::vector<double>> Tones(std::uint32_t sampleRate, std::size_t frames,
                                       const std::vector<double>& hz,
                                       const std::vector<double>& levels);

/// The bytes of a WAVE file with the header and audio bytes as they are to be stored.
std::string WaveFileBytes(const WaveHeader& header, const std::string& audio,
                          const std::string& trailingBytes = {});

/// Writes a WAVE file of format with the samples; true on success.
bool WriteWave(const std::string& path, const SampleFormat& format,
               const std::vector<std::vector<double>>& channels,
               FormatHeader kind = FormatHeader::Plain);

/// Normalised cross-correlation of two equally long sample sequences (1 = identical shape).
double Correlation(const std::vector<float>& a, const std::vector<float>& b);

} // namespace testsupport
