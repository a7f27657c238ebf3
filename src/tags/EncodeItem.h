// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/GenreNames.h"

#include <cstddef>
#include <cstdint>
#include <string>

/// The most a tag text holds, in code page 932 bytes (250 full-width characters): a bound
/// against abuse only. The ID3v2 tag and the Vorbis comments take the texts whole; the ID3v1
/// record alone cuts them to its fields.
inline constexpr std::size_t kTagTextWidth = 500;
/// The year is its four characters.
inline constexpr std::size_t kTagYearWidth = 4;

/// One file of a batch: its input path and its tag values (UTF-8; the editors keep each text
/// within kTagTextWidth, the year within kTagYearWidth, counted in code page 932 bytes).
struct EncodeItem {
    std::string InPath;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    std::uint8_t Genre = NoGenre;
};
