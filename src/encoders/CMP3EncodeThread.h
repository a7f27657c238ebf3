#pragma once

#include "encoders/CEncodeThread.h"
#include "encoders/CLameDll.h"
#include "encoders/IProgressBar.h"
#include "settings/BE_CONFIG.h"

#include <cstdint>
#include <string>

/// Turns one WAVE file into one MP3 file through the lame_enc engine library.
class CMP3EncodeThread : public CEncodeThread {
public:
    ~CMP3EncodeThread() override;

    /// Sets up the job, loads lame_enc afresh and starts the thread. False without doing
    /// anything when parm or bar is missing or a run is in progress. When the library cannot be
    /// loaded it shows "lame_enc.dllが読込めませんでした" (title "Information") and then sends the
    /// end to notify at once; likewise (without a message) when the thread cannot be started.
    bool BeginEncode(INotifyTarget* notify, BE_CONFIG* parm, IProgressBar* bar,
                     const std::string& inPath, const std::string& outPath);

protected:
    void Run() override;

private:
    enum class JobEnd {
        Converted,
        Stopped,
        InitFailed,
        NoBuffer,
        EncodeFailed,
        ReadFailed,
        WriteFailed
    };

    JobEnd Encode(BE_CONFIG& config, platform::File& output);
    JobEnd Stream(platform::File& output, std::uint8_t* buffer, std::uint32_t bufferBytes);

    CLameDll lame_;
    BE_CONFIG* parm_ = nullptr;
    IProgressBar* bar_ = nullptr;
    std::string inPath_;
    std::string outPath_;
};
