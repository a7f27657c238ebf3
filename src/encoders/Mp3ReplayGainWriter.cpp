// SPDX-License-Identifier: GPL-3.0-or-later
#include "Mp3ReplayGainWriter.h"

#include "tags/CID3v2Tag.h"

#include <utility>

Mp3ReplayGainWriter::Mp3ReplayGainWriter(EncodeItem item, std::size_t tagBytes)
    : item_(std::move(item)), tagBytes_(tagBytes) {}

bool Mp3ReplayGainWriter::Write(platform::AtomicFileWriter& output, const ReplayGainValues& track,
                                const ReplayGainValues* album) const {
    if (tagBytes_ == 0) {
        return true;
    }
    const std::string tag =
        CID3v2Tag::Render(item_, ReplayGainValues::Texts(track, album), tagBytes_);
    return !tag.empty() && output.WriteAt(0, tag.data(), tag.size());
}
