// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

/// A colour as red, green and blue, 0-255 each.
struct BarColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    bool operator==(const BarColour&) const = default;
};

/// A point in client coordinates, (0, 0) at the top left.
struct BarPoint {
    int x;
    int y;
    bool operator==(const BarPoint&) const = default;
};

/// Covers the pixels from left up to right - 1 and from top up to bottom - 1.
struct BarRect {
    int left;
    int top;
    int right;
    int bottom;
    bool operator==(const BarRect&) const = default;
};

/// The surface the progress bar paints on: the window's painter, or a test's pixel grid.
class IBarCanvas {
public:
    virtual ~IBarCanvas() = default;
    /// A one-pixel horizontal or vertical line that covers from but not to.
    virtual void DrawLine(BarPoint from, BarPoint to, BarColour colour) = 0;
    /// Fills the rectangle; never called with an empty one.
    virtual void FillRect(const BarRect& rect, BarColour colour) = 0;
};
