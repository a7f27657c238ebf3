#pragma once

#include "audio/WaveFormat.h"
#include "platform/File.h"

#include <cstdint>
#include <string>

/// Title of every message of the reader (for both encoders).
inline constexpr const char* kWaveReaderTitle = "CLameDll";

/// Opens a WAVE file of 16-bit stereo PCM at 32000/44100/48000 Hz. The RIFF chunk list is
/// walked: the first fmt chunk (other chunks before it are skipped) gives the format, and the
/// data chunk after it the audio. On success the file is left open at the first audio byte and
/// reads end after audioBytes: the data chunk's declared size (to the end of the file when it
/// is unknown) bounded by the file, in whole sample frames. On failure the reader's message has
/// been shown and the file is closed; a missing file object or path returns false with no
/// message.
bool OpenWave(platform::File* file, const char* path, std::uint64_t& audioBytes,
              WaveFormat& format);

/// The same tests as OpenWave on the same bytes, silent; the file is always closed again.
bool ProbeWave(const std::string& path, WaveFormat& format);
/// The same, also telling how many audio bytes OpenWave would let be read.
bool ProbeWave(const std::string& path, WaveFormat& format, std::uint64_t& audioBytes);

/// True for the three accepted sample rates.
bool IsAcceptedSampleRate(std::uint32_t samplesPerSec);
