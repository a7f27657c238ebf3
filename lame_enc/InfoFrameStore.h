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

    void Keep(InfoFrame info);
    /// Writes the frame of the most recently closed stream whose output the file is (its
    /// length, optionally between a leading ID3v2 tag and a trailing ID3v1 tag, with the
    /// reserved frame still at the stream's start) and forgets it.
    BE_ERR WriteInto(const char* path);

private:
    // Writers ask right after closing; older frames are only ever leftovers of stopped jobs.
    static constexpr std::size_t kMaxKept = 16;

    std::mutex mutex_;
    std::deque<InfoFrame> frames_;
};

} // namespace lameenc
