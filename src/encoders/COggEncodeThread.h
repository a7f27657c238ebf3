// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/CEncodeThread.h"
#include "encoders/FrameBlock.h"

#include <ogg/ogg.h>

#include <cstddef>
#include <string>
#include <vector>

/// Turns one WAVE file into one Ogg Vorbis file with the item's tag texts as Vorbis comments.
/// Every channel of the input is kept, in Vorbis order (a stereo input may be mixed to mono),
/// at the input's rate unless libvorbisenc has no set-up for it. Asked for ReplayGain, it
/// measures what it hands the encoder and keeps room after the comments for the values, which
/// go in once they are known (OggReplayGainWriter).
class COggEncodeThread : public CEncodeThread {
public:
    COggEncodeThread() = default;
    ~COggEncodeThread() override;

protected:
    JobEnd Encode(WaveInput& input, platform::AtomicFileWriter& output) override;

private:
    struct Session;

    JobEnd Stream(Session& session, WaveInput& input, platform::AtomicFileWriter& output);
    void AddComments(Session& session) const;
    /// Hands the block just read to the encoder; a block of no frames ends the stream.
    void FeedChunk(Session& session, std::size_t inputChannels);
    void Resample(Session& session, const float* const* sources, std::size_t frames);

    FrameBlock block_;
};
