// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/CEncodeThread.h"

#include <array>
#include <cstddef>

/// Turns one WAVE file into one Ogg Vorbis file with the item's tag texts as Vorbis comments.
class COggEncodeThread : public CEncodeThread {
public:
    COggEncodeThread() = default;
    ~COggEncodeThread() override;

protected:
    JobEnd Encode(WaveInput& input, platform::AtomicFileWriter& output) override;

private:
    static constexpr std::size_t kChunkFrames = 4096;
    static constexpr std::size_t kChunkBytes = kChunkFrames * 4;

    struct Session;

    JobEnd Stream(Session& session, WaveInput& input, platform::AtomicFileWriter& output);
    void AddComments(Session& session) const;
    void FeedChunk(Session& session, std::size_t frames);

    std::array<unsigned char, kChunkBytes> readBuffer_{};
};
