#pragma once

#include "encoders/CEncodeThread.h"
#include "encoders/CLameDll.h"
#include "encoders/IProgressBar.h"
#include "settings/BE_CONFIG.h"
#include "tags/EncodeItem.h"

#include <cstdint>
#include <string>

/// Turns one WAVE file into one MP3 file through the lame_enc engine library: the item's ID3v2.3
/// tag first, the audio with the engine's info frame filled in, the item's ID3v1 record at the
/// end. The file replaces the
/// output only once it is complete; a stopped or failed run leaves an earlier output as it was.
class CMP3EncodeThread : public CEncodeThread {
public:
    ~CMP3EncodeThread() override;

    /// Sets up the job, loads lame_enc afresh and starts the thread. False without doing
    /// anything when parm or bar is missing or a run is in progress. When the library cannot be
    /// loaded it shows "lame_enc.dllが読込めませんでした" (title "Information") and then sends the
    /// end to notify at once; likewise (without a message) when the thread cannot be started.
    /// The item gives the ID3v2 tag (unless id3v2 is false) and the ID3v1 record; without one
    /// the file gets neither. Everything passed must stay unchanged until the end event.
    bool BeginEncode(INotifyTarget* notify, BE_CONFIG* parm, const EncodeItem* item,
                     IProgressBar* bar, const std::string& inPath, const std::string& outPath,
                     bool id3v2 = true);

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

    JobEnd Encode(BE_CONFIG& config, platform::AtomicFileWriter& output);
    JobEnd Stream(platform::AtomicFileWriter& output, std::uint8_t* buffer,
                  std::uint32_t bufferBytes);
    JobEnd Finish(platform::AtomicFileWriter& output);

    CLameDll lame_;
    BE_CONFIG* parm_ = nullptr;
    const EncodeItem* item_ = nullptr;
    IProgressBar* bar_ = nullptr;
    std::string inPath_;
    std::string outPath_;
    bool id3v2_ = true;
};
