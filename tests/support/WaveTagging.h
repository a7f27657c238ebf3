// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

namespace testsupport {

/// Texts by TagLib property name ("TITLE", "ARTIST", "ALBUM", "DATE", "COMMENT", "GENRE").
using TagTexts = std::map<std::string, std::string>;

/// Has TagLib write the texts into the WAVE file at path as its ID3v2 tag (an "ID3 " chunk, in
/// the given ID3v2 version); true on success.
bool WriteId3v2Chunk(const std::string& path, const TagTexts& texts, int version = 4);

/// Has TagLib write INFO fields (id -> UTF-8 text, "INAM", "ICRD" …) as a LIST/INFO chunk.
bool WriteInfoChunk(const std::string& path, const std::map<std::string, std::string>& fields);

/// The bytes of an ID3v2 tag of the texts as TagLib renders it, to be put into a chunk by hand.
std::string Id3v2TagBytes(const TagTexts& texts, int version = 4);

} // namespace testsupport
