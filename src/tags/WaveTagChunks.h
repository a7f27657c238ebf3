// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/File.h"

#include <cstddef>
#include <string>

/// The tag chunks of a WAVE file, copied out of a file that is already open so that what is
/// parsed is what was checked, and bounded whatever the file holds: the chunk list is walked
/// for at most kMaxChunks chunks, a LIST chunk larger than kMaxChunkBytes is passed over, and
/// each tag chunk is reduced to the parts that fill a row (Id3v2TagFilter, which reads only
/// those; the INFO fields of a row, at most kMaxInfoFields of them).
struct WaveTagChunks {
    static constexpr std::size_t kMaxChunks = 1024;
    static constexpr std::size_t kMaxChunkBytes = 1 << 20;
    static constexpr std::size_t kMaxInfoFields = 32;

    /// The first "id3 " or "ID3 " chunk's tag, filtered; empty when there is none.
    std::string Id3v2;
    /// The body of the first LIST chunk of form INFO ("INFO" and its fields), filtered; empty
    /// when there is none.
    std::string Info;

    /// Reads from the start of file, past any read end set on it; file need not be at any
    /// particular position and is left at none in particular.
    static WaveTagChunks Read(platform::File& file);
};
