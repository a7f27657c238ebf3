// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

/// Reduces an ID3v2 tag (2.2, 2.3 or 2.4) to the frames a WAVE file's row is filled from, so
/// that what a crafted tag costs to read and parse is bounded whatever it declares: only title,
/// artist, album, date, comment and genre frames are copied, at most kMaxFrames of them and
/// kMaxBytes in all, never a frame that is compressed or encrypted (inflating one is how a small
/// file asks for gigabytes), and the walk gives up after kMaxFramesWalked frames. Other frames,
/// such as a large picture, are stepped over without being read. The extended header is dropped
/// and a 2.3 tag's unsynchronisation undone (such a tag is read whole, so only up to kMaxBytes).
/// The result is a tag of the same version that TagLib parses as the original; empty when
/// nothing is kept.
class Id3v2TagFilter {
public:
    static constexpr std::size_t kMaxFrames = 32;
    static constexpr std::size_t kMaxFramesWalked = 4096;
    static constexpr std::size_t kMaxBytes = 1 << 20;

    /// Reads up to size bytes of the tag from offset into buffer; returns the number read.
    using ReadAt = std::function<std::size_t(std::uint64_t offset, char* buffer, std::size_t size)>;

    /// The tag of tagBytes bytes that read gives.
    static std::string Keep(const ReadAt& read, std::uint64_t tagBytes);
};
