#pragma once

#include "audio/WaveFormat.h"
#include "encoders/CEncodeThread.h"
#include "encoders/IProgressBar.h"
#include "settings/OggParm.h"
#include "tags/EncodeItem.h"

#include <array>
#include <string>

/// Turns one WAVE file into one Ogg Vorbis file with the item's tag texts as Vorbis comments.
class COggEncodeThread : public CEncodeThread {
public:
    ~COggEncodeThread() override;

    /// Sets up the job and starts its thread. False without doing anything when parm or bar is
    /// missing; when the thread cannot be started, the end is sent to notify at once.
    bool BeginEncode(INotifyTarget* notify, const OggParm* parm, const EncodeItem* item,
                     IProgressBar* bar, const std::string& inPath, const std::string& outPath);

protected:
    void Run() override;

private:
    static constexpr std::size_t kChunkFrames = 4096;
    static constexpr std::size_t kChunkBytes = kChunkFrames * 4;

    const OggParm* parm_ = nullptr;
    const EncodeItem* item_ = nullptr;
    IProgressBar* bar_ = nullptr;
    std::string inPath_;
    std::string outPath_;
    WaveFormat format_{};
    std::array<unsigned char, kChunkBytes> readBuffer_{};
};
