// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
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

namespace testsupport {

/// An ID3v2.3 or 2.4 frame written by hand: its id, the second flag byte (2.3: 0x80 compressed,
/// 0x40 encrypted; 2.4: 0x08 compressed, 0x04 encrypted) and its body as stored.
std::string Id3v2Frame(int version, const std::string& id, const std::string& body,
                       unsigned char formatFlags = 0);

/// The body of a text frame of Latin-1 text.
std::string Id3v2Text(const std::string& latin1);

/// An ID3v2 tag written by hand around frames, with the header's flags as given.
std::string Id3v2Tag(int version, const std::string& frames, unsigned char flags = 0);

/// The body of a 2.3 frame marked compressed whose zlib data inflates to inflatedBytes zero
/// bytes, made without ever holding them.
std::string CompressedZerosBody(std::uint64_t inflatedBytes);

/// An "id3 " chunk of about 1 MB whose ID3v2.3 title frame inflates to 1 GiB, followed by an
/// artist frame of the given text.
std::string InflatingTitleChunk(const std::string& artist);

} // namespace testsupport
