// SPDX-License-Identifier: GPL-3.0-or-later
#include "Mp3ReplayGainWriter.h"

#include "tags/CID3v2Tag.h"
#include "tags/LameTagReplayGain.h"

#include <optional>
#include <utility>

Mp3ReplayGainWriter::Mp3ReplayGainWriter(EncodeItem item, std::size_t tagBytes,
                                         std::vector<std::uint8_t> infoFrame,
                                         std::uint64_t infoFrameAt)
    : item_(std::move(item)), tagBytes_(tagBytes), infoFrame_(std::move(infoFrame)),
      infoFrameAt_(infoFrameAt) {}

bool Mp3ReplayGainWriter::Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
                                const ReplayGainValues* album) const {
    if (tagBytes_ != 0) {
        const std::string tag =
            CID3v2Tag::Render(item_, ReplayGainValues::Texts(track, album), tagBytes_);
        if (tag.empty() || !output.WriteAt(0, tag.data(), tag.size())) {
            return false;
        }
    }
    // A stream without a LAME extension (a library of another make) keeps its frame as it is.
    std::vector<std::uint8_t> frame = infoFrame_;
    if (!LameTagReplayGain::Write(frame, track,
                                  album != nullptr ? std::optional(*album) : std::nullopt)) {
        return true;
    }
    return output.WriteAt(infoFrameAt_, frame.data(), frame.size());
}
