// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/EncodeItem.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

/// The ID3v2.3 tag at the start of an MP3 file: the item's tag values as players read them
/// whatever their code page, beside the code page 932 ID3v1 record at the end.
class CID3v2Tag {
public:
    /// The tag's bytes, rendered by TagLib: TIT2, TPE1, TALB and COMM (language "jpn", no
    /// description) in UTF-16 with a byte order mark, TYER for a year of four ASCII digits,
    /// TCON as the genre's number reference "(n)". Empty texts are left out; an item with no
    /// frame to give yields no bytes at all.
    static std::string Render(const EncodeItem& item);
    /// Descriptions and values of TXXX frames.
    using UserTexts = std::vector<std::pair<std::string, std::string>>;
    /// The item's tag with a TXXX frame (ISO-8859-1) for each of extra, rendered even with no
    /// frame at all. With size 0 it ends in the room TagLib leaves after the frames; otherwise
    /// it takes exactly size bytes, the room shrunk by the frames added, or is empty when they
    /// do not fit.
    static std::string Render(const EncodeItem& item, const UserTexts& extra, std::size_t size);

private:
    static std::string Render(const EncodeItem& item, const UserTexts& extra, std::size_t size,
                              bool evenEmpty);
};
