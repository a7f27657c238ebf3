// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/EncodeItem.h"

#include <string>

/// The ID3v2.3 tag at the start of an MP3 file: the item's tag values as players read them
/// whatever their code page, beside the code page 932 ID3v1 record at the end.
class CID3v2Tag {
public:
    /// The tag's bytes, rendered by TagLib: TIT2, TPE1, TALB and COMM (language "jpn", no
    /// description) in UTF-16 with a byte order mark, TYER for a year of four ASCII digits,
    /// TCON as the genre's number reference "(n)". Empty texts are left out; an item with no
    /// frame to give yields no bytes at all.
    static std::string Render(const EncodeItem& item);
};
