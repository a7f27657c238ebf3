// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>

/// The ID3v2 tag at the start of an MP3 file as TagLib reads it back.
struct Id3v2Read {
    bool present = false;
    unsigned version = 0;    ///< the major version: 3 for ID3v2.3
    std::uint64_t bytes = 0; ///< the whole tag, header and padding included
    /// Frame id -> its text in UTF-8 (COMM: the text), as TagLib presents an ID3v2.3 tag: a
    /// year (TYER) under TDRC, a genre reference "(n)" as n.
    std::map<std::string, std::string> texts;
    std::string commentLanguage;
    std::string commentDescription;
    /// TXXX frames: description -> value.
    std::map<std::string, std::string> userTexts;
};

Id3v2Read ReadId3v2(const std::string& fileBytes);

/// The length of an ID3v2 tag at the start of the bytes (header, frames, padding), 0 when none.
std::uint64_t LeadingId3v2Bytes(const std::string& fileBytes);
