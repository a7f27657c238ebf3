#pragma once

#include "audio/WaveFormat.h"
#include "encoders/CEncodeThread.h"
#include "encoders/IProgressBar.h"
#include "platform/File.h"
#include "settings/OggParm.h"
#include "tags/EncodeItem.h"

#include <array>
#include <cstddef>
#include <string>

/// Turns one WAVE file into one Ogg Vorbis file with the item's tag texts as Vorbis comments.
/// The file replaces the output only once it is complete; a stopped or failed run leaves an
/// earlier output as it was. Outcome() tells which way the last run ended.
class COggEncodeThread : public CEncodeThread {
public:
    COggEncodeThread() = default;
    ~COggEncodeThread() override;

    /// Sets up the job and starts its thread. False without doing anything when parm or bar is
    /// missing or a run is in progress. When the thread cannot be started, the end is sent to
    /// notify at once so that a batch carries on, and false is returned. A missing item gives
    /// empty comments. Everything passed must stay unchanged until the end event.
    bool BeginEncode(INotifyTarget* notify, const OggParm* parm, const EncodeItem* item,
                     IProgressBar* bar, const std::string& inPath, const std::string& outPath);

protected:
    void Run() override;

private:
    static constexpr std::size_t kChunkFrames = 4096;
    static constexpr std::size_t kChunkBytes = kChunkFrames * 4;

    enum class StreamEnd { EndOfStream, Stopped, SetupRefused, ReadFailed, WriteFailed };
    struct Session;

    StreamEnd Encode(platform::File& input, platform::AtomicFileWriter& output);
    StreamEnd Stream(Session& session, platform::File& input, platform::AtomicFileWriter& output);
    void AddComments(Session& session) const;
    void FeedChunk(Session& session, std::size_t frames);

    const OggParm* parm_ = nullptr;
    const EncodeItem* item_ = nullptr;
    IProgressBar* bar_ = nullptr;
    std::string inPath_;
    std::string outPath_;
    WaveFormat format_{};
    std::array<unsigned char, kChunkBytes> readBuffer_{};
};
