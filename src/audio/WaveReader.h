// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "audio/SampleFormat.h"
#include "platform/File.h"

#include <cstdint>
#include <string>

/// Title of every message of the reader (for both encoders).
inline constexpr const char* kWaveReaderTitle = "CLameDll";

/// Why the reader refuses a file: the step whose message OpenWave shows (M1 the open, M2 … M10
/// the header's parts); None when it takes the file.
enum class WaveFailure { None, M1, M2, M3, M4, M5, M6, M7, M8, M9, M10 };

/// The reader's message for a failure, with "%s" where the path goes; empty for None.
const char* WaveFailureText(WaveFailure failure);

/// What the probe found out about a file.
struct WaveProbe {
    WaveFailure Failure = WaveFailure::None;
    /// The system's error number when the file failed (for M1: 0 when the path is no regular
    /// file, EISDIR for a folder).
    int Error = 0;
    SampleFormat Format{};
    /// How many audio bytes OpenWave would let be read.
    std::uint64_t AudioBytes = 0;

    /// The audio's length in sample frames.
    std::uint64_t Frames() const {
        return Failure == WaveFailure::None ? AudioBytes / Format.FrameBytes() : 0;
    }
    /// The audio's length in time.
    std::uint64_t Microseconds() const {
        return Failure == WaveFailure::None ? Frames() * 1'000'000 / Format.Rate : 0;
    }
};

/// Opens a RIFF or RF64 WAVE file whose format is supported (SampleFormat::IsSupported): integer
/// PCM or float, plain or extensible. The RIFF chunk list is
/// walked: the first fmt chunk (other chunks before it are skipped) gives the format, and the
/// data chunk after it the audio. On success the file is left open at the first audio byte and
/// reads end after audioBytes: the data chunk's declared size (to the end of the file when it
/// is unknown, or when it and the RIFF size wrapped past 4 GiB; an RF64 file's from its ds64
/// chunk) bounded by the file, in whole sample frames. On failure the reader's message has
/// been shown and the file is closed; a missing file object or path returns false with no
/// message.
bool OpenWave(platform::File* file, const char* path, std::uint64_t& audioBytes,
              SampleFormat& format);

/// The same tests as OpenWave on the same bytes, silent; the file is always closed again.
bool ProbeWave(const std::string& path, SampleFormat& format);
/// The same, telling why a file is refused; read once, this serves every later question.
WaveProbe ProbeWave(const std::string& path);
/// The same, leaving a file it takes open in file (as OpenWave does) for further reading of
/// that very file.
WaveProbe ProbeWave(const std::string& path, platform::File& file);

/// True for the three rates the MP3 page offers.
bool IsAcceptedSampleRate(std::uint32_t samplesPerSec);
