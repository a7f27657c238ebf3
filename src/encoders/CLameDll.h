#pragma once

#include "audio/WaveFormat.h"
#include "encoders/CDllLoader.h"
#include "platform/File.h"
#include "settings/BE_CONFIG.h"

#include <cstdint>
#include <string>
#include <vector>

/// Status values of the program's own, beside the library's codes (0 = success).
inline constexpr std::uint32_t kLameStatusNoBuffer = 256;
inline constexpr std::uint32_t kLameStatusMissingArgument = 257;
inline constexpr std::uint32_t kLameStatusCannotClose = 4;

/// The lame_enc engine library for one encoding at a time: its entry points, the job's WAVE
/// input, the encoder stream and the input buffer.
class CLameDll : public CDllLoader {
public:
    CLameDll();
    ~CLameDll() override;

    /// Loads the library beside the executable and resolves the six entry points; true when it
    /// loaded and beInitStream was found.
    bool LoadLame(const std::string& fileName);
    bool OpenWave(const std::string& path, std::uint64_t& audioBytes);
    std::uint32_t GetSampleRate() const { return format_.samplesPerSec; }
    std::uint32_t InitStream(BE_CONFIG* config, std::uint32_t* outputBufferBytes,
                             std::uint32_t multiplier);
    bool ReadChunk(std::uint32_t* bytesRead);
    std::uint32_t EncodeChunk(std::uint32_t bytes, std::uint8_t* output,
                              std::uint32_t* outputBytes);
    std::uint32_t FlushStream(std::uint8_t* output, std::uint32_t* outputBytes);
    std::uint32_t CloseStream();
    void GetVersionText(std::string& text);
    void WriteVBRTag(const std::string& outputPath);

    /// True when the last ReadChunk stopped on a read error rather than at the end of input.
    bool ReadFailed() const { return input_.LastReadFailed(); }

private:
    struct Entries;
    Entries* entries_;
    platform::File input_;
    std::uintptr_t stream_ = 0;
    std::uint32_t chunkBytes_ = 0;
    std::vector<std::uint8_t> inputBuffer_;
    WaveFormat format_{};
};
