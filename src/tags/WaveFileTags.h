// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/File.h"
#include "tags/EncodeItem.h"

/// The tag values a WAVE file carries itself, read with TagLib from its ID3v2 tag (an "id3 "
/// or "ID3 " chunk) and its LIST/INFO chunk (INAM, IART, IPRD, ICRD, ICMT, IGNR); where both
/// give a value, the ID3v2 one. INFO texts are taken as UTF-8 when they are valid UTF-8,
/// otherwise as code page 932, as Japanese Windows tools write them. The year is the first four
/// digits in a row; the genre a name of GenreNames (in ID3v2 also an ID3v1 genre number), else
/// NoGenre. Each text is cut to kTagTextWidth code page 932 bytes, between characters, as the
/// editors cut. Only what WaveTagChunks copies out of the file is parsed.
class WaveFileTags {
public:
    /// Reads through the file already open (and checked) rather than by its path again. Never
    /// fails: a file without tags, or whose tag chunks cannot be read, gives empty texts and
    /// NoGenre; InPath stays empty.
    static EncodeItem Read(platform::File& file);
};
