// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The main window as the user left it ([Window] of opt.ini): its place and size on the
/// screen when not maximised, whether it was maximised, and the list's column widths. Width 0
/// means nothing is remembered: the window opens in its own layout.
struct WindowParm {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t Maximized = 0;
    std::vector<std::int32_t> ColumnWidths; ///< left to right; empty when none remembered

    bool Remembered() const { return Width > 0 && Height > 0; }
};

/// The largest width or height taken from the file; anything outside 1…this is no size.
inline constexpr std::int32_t kWindowExtentLimit = 32767;

/// "120,80,…": the widths when every one is a number in 1…kWindowExtentLimit, else none.
std::vector<std::int32_t> ParseColumnWidths(std::string_view text);
std::string FormatColumnWidths(const std::vector<std::int32_t>& widths);
