// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tags/GenreNames.h"

#include <cstdint>
#include <string>

/// One file of a batch: its input path and its tag values (UTF-8; the editors keep each text
/// within its ID3v1 field width counted in code page 932 bytes).
struct EncodeItem {
    std::string InPath;
    std::string Title;
    std::string Artist;
    std::string Album;
    std::string Year;
    std::string Comment;
    std::uint8_t Genre = NoGenre;
};
