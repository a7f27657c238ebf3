// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BladeMP3EncDLL.h"
#include "InfoFrame.h"

#include <deque>
#include <mutex>

namespace lameenc {

/// The info frames of closed streams, until beWriteVBRHeader puts each into its file.
class InfoFrameStore {
public:
    static InfoFrameStore& Instance();

    /// Keeps the frame of a stream the calling thread has closed, in place of an earlier one of
    /// that thread that was never written.
    void Keep(InfoFrame info);
    /// Writes the frame of the most recently closed stream whose output the file is (its
    /// length, optionally between a leading ID3v2 tag and a trailing ID3v1 tag, with the
    /// reserved frame still at the stream's start) and forgets it. Streams the calling thread
    /// closed are looked at first.
    BE_ERR WriteInto(const char* path);

private:
    // Writers ask right after closing, each on the thread that closed its stream; older frames
    // are leftovers of stopped jobs. Room for every job a batch may run at once.
    static constexpr std::size_t kMaxKept = 512;

    std::mutex mutex_;
    std::deque<InfoFrame> frames_;
};

} // namespace lameenc
