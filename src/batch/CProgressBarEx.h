// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/IBarCanvas.h"
#include "batch/IBarView.h"
#include "encoders/IProgressBar.h"

#include <atomic>
#include <cstdint>

/// The conversion progress bar: a 64-bit position and bounds (byte counts of the input's
/// audio) that the running job sets from its worker thread, and the rules that paint them.
class CProgressBarEx : public IProgressBar {
public:
    static constexpr BarColour kFrameTopLeftColour{123, 158, 189};
    static constexpr BarColour kFrameBottomRightColour{123, 158, 189};
    static constexpr BarColour kBarColour{51, 102, 255};
    static constexpr BarColour kBackgroundColour{255, 255, 255};
    static constexpr BarColour kHighlightColour{239, 239, 239};

    /// The view every setter redraws through; nullptr for none. Set while no job runs.
    void SetView(IBarView* view) { view_.store(view); }

    void SetPos(std::uint64_t value) override;
    void SetLower(std::uint64_t value) override;
    void SetUpper(std::uint64_t value) override;
    void OffsetPos(std::uint64_t amount) override;
    std::uint64_t GetPos() const override { return pos_.load(); }
    std::uint64_t GetUpper() const override { return upper_.load(); }
    /// How many times a setter has run: a job's bar shows that job once the count has moved
    /// from where it stood at the job's start, whatever values it came to.
    std::uint64_t Changes() const { return changes_.load(); }

    /// The whole percentage the bar shows: 0-99 while the position is below the range, 100
    /// once the bar is full. With the client width it decides the painted picture.
    std::uint64_t Percent() const;

    /// The whole bar for a paint request: DrawFrame, then DrawBar.
    void Paint(IBarCanvas& canvas, const BarRect& client) const;
    /// The outer outline and the sunken inner edge, just inside the client rectangle.
    void DrawFrame(IBarCanvas& canvas, const BarRect& client) const;
    /// The filled part in proportion to position / (upper - lower), the rest in background.
    void DrawBar(IBarCanvas& canvas, const BarRect& client) const;

private:
    /// Percent() of the given values.
    static std::uint64_t PercentOf(std::uint64_t pos, std::uint64_t range);
    /// Counts the change and redraws.
    void Redraw();

    std::atomic<std::uint64_t> pos_{0};
    std::atomic<std::uint64_t> lower_{0};
    std::atomic<std::uint64_t> upper_{100};
    std::atomic<std::uint64_t> changes_{0};
    std::atomic<IBarView*> view_{nullptr};
};
