// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

/// The ID3v1 genre names by genre number, spelled as the program has always shown them.
extern const std::array<std::string_view, 148> GenreNames;

/// The genre number that stands for no genre.
inline constexpr std::uint8_t NoGenre = 255;

/// The number of the genre named exactly text (case-sensitive, whole string), or NoGenre.
std::uint8_t FindGenre(std::string_view text);

/// The name of a genre number; empty for 148 and above.
std::string_view GenreName(std::uint8_t genre);
