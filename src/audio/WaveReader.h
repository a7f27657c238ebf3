#pragma once

#include "audio/WaveFormat.h"
#include "platform/File.h"

#include <cstdint>
#include <string>

/// Title of every message of the reader (for both encoders).
inline constexpr const char* kWaveReaderTitle = "CLameDll";

/// Opens a 16-bit stereo 32000/44100/48000 Hz WAVE file and tests its header step by step.
/// On success the file is left open at the first audio byte and audioBytes holds the number of
/// bytes from there to the end of the file. On failure the reader's message has been shown and
/// the file is closed; a missing file object or path returns false with no message.
bool OpenWave(platform::File* file, const char* path, std::uint64_t& audioBytes,
              WaveFormat& format);

/// The same header and format tests, silent; the file is always closed again.
bool ProbeWave(const std::string& path, WaveFormat& format);

/// True for the three accepted sample rates.
bool IsAcceptedSampleRate(std::uint32_t samplesPerSec);
