// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

/// LAME quality preset codes in the order of the MP3 page's quality list.
inline constexpr std::array<std::int32_t, 16> kQualityCodes = {
    0, 1, 2, 3, 4, 5, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000};

/// The code at a list position; positions outside the list give -1.
std::int32_t QualityCodeAt(int position);

/// The first list position holding code, or -1 when no position does.
int QualityPositionOf(std::int32_t code);
