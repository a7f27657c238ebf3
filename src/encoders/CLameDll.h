// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/CDllLoader.h"
#include "encoders/WaveInput.h"
#include "lame_enc/BladeMP3EncDLL.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// Status values of the program's own, beside the library's codes (0 = success).
inline constexpr std::uint32_t kLameStatusNoBuffer = 256;
/// A required argument, or the library's entry point for the operation, is missing.
inline constexpr std::uint32_t kLameStatusMissingArgument = 257;
inline constexpr std::uint32_t kLameStatusCannotClose = 4;

/// The lame_enc engine library for one encoding at a time: its entry points, the encoder stream
/// and the input buffer. An entry point the library lacks is never called.
class CLameDll : public CDllLoader {
public:
    CLameDll();
    /// Closes the stream before the library goes away.
    ~CLameDll() override;

    /// Closes any open stream, loads the library beside the executable and resolves its entry
    /// points; true when it loaded and beInitStream was found.
    bool LoadLame(const std::string& fileName);
    /// Closes a stream still open (4 when that fails), opens one for config and allocates the
    /// input buffer: the library's samples per call and its minimum output buffer, each times
    /// multiplier; a chunk is that many samples, or that many frames of config's channels. 0,
    /// the library's code, 256 or 257.
    std::uint32_t InitStream(BE_CONFIG* config, std::uint32_t* outputBufferBytes,
                             std::uint32_t multiplier);
    /// Reads up to one chunk of input into the input buffer; true when it delivered bytes.
    bool ReadChunk(WaveInput& input, std::uint32_t* bytesRead);
    /// Encodes the first bytes of the input buffer (whole 16-bit samples).
    std::uint32_t EncodeChunk(std::uint32_t bytes, std::uint8_t* output,
                              std::uint32_t* outputBytes);
    /// The input buffer's 16-bit samples, as ReadChunk left them.
    const std::int16_t* InputSamples() const { return inputBuffer_.data(); }
    /// Encodes frames float frames scaled to ±32768, at most the frames of one chunk (right is
    /// not read for a mono input). 257 from a library without beEncodeChunkFloatS16NI.
    std::uint32_t EncodeFloatChunk(std::uint32_t frames, float* left, float* right,
                                   std::uint8_t* output, std::uint32_t* outputBytes);
    std::uint32_t FlushStream(std::uint8_t* output, std::uint32_t* outputBytes);
    /// 0 at once with no stream; otherwise frees the input buffer, closes the stream and
    /// returns the library's status.
    std::uint32_t CloseStream();
    /// "Lame DLL ver %d.%d" with the engine's version; empty without beVersion.
    void GetVersionText(std::string& text);
    /// After FlushStream: copies the stream's info frame into frame (room for *frameBytes
    /// bytes), to be written over the first *frameBytes bytes of its output. 0 with no bytes
    /// from a library that offers no info frame; otherwise the library's status.
    std::uint32_t GetInfoFrame(std::uint8_t* frame, std::uint32_t* frameBytes);

private:
    struct Entries;
    std::unique_ptr<Entries> entries_;
    std::uintptr_t stream_ = 0;
    std::uint32_t chunkBytes_ = 0;
    std::uint32_t chunkFrames_ = 0;
    std::vector<std::int16_t> inputBuffer_;
};
