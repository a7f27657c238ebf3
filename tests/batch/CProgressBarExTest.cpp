// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/CProgressBarEx.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr BarColour kFrame = CProgressBarEx::kFrameTopLeftColour;
constexpr BarColour kBar{51, 102, 255};
constexpr BarColour kWhite{255, 255, 255};
constexpr BarColour kHighlight{239, 239, 239};

// A pixel grid that paints lines and rectangles as the window system does.
class PixelCanvas : public IBarCanvas {
public:
    PixelCanvas(int width, int height)
        : width_(width), height_(height), pixels_(static_cast<std::size_t>(width * height)) {}

    void DrawLine(BarPoint from, BarPoint to, BarColour colour) override {
        EXPECT_TRUE(from.x == to.x || from.y == to.y) << "lines are horizontal or vertical";
        const int dx = (to.x > from.x) - (to.x < from.x);
        const int dy = (to.y > from.y) - (to.y < from.y);
        for (BarPoint p = from; p != to; p = {p.x + dx, p.y + dy}) {
            Set(p.x, p.y, colour);
        }
    }

    void FillRect(const BarRect& rect, BarColour colour) override {
        EXPECT_LT(rect.left, rect.right);
        EXPECT_LT(rect.top, rect.bottom);
        fills_.push_back({rect, colour});
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                Set(x, y, colour);
            }
        }
    }

    std::optional<BarColour> At(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y * width_ + x)];
    }

    // The x just past the last bar-coloured pixel of row y, counted from the bar's left edge.
    int FilledTo(int y) const {
        int x = 2;
        while (x < width_ && At(x, y) == kBar) {
            ++x;
        }
        return x;
    }

    bool AllPainted() const {
        for (const auto& pixel : pixels_) {
            if (!pixel) {
                return false;
            }
        }
        return true;
    }

    int Count(BarColour colour) const {
        int count = 0;
        for (const auto& pixel : pixels_) {
            count += pixel == colour;
        }
        return count;
    }

    int OutsidePaints() const { return outside_; }

    struct Fill {
        BarRect rect;
        BarColour colour;
    };
    const std::vector<Fill>& Fills() const { return fills_; }

private:
    void Set(int x, int y, BarColour colour) {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) {
            ++outside_;
            return;
        }
        pixels_[static_cast<std::size_t>(y * width_ + x)] = colour;
    }

    int width_;
    int height_;
    std::vector<std::optional<BarColour>> pixels_;
    std::vector<Fill> fills_;
    int outside_ = 0;
};

class CountingView : public IBarView {
public:
    explicit CountingView(const CProgressBarEx& bar) : bar_(bar) {}
    void Redraw() override {
        ++redraws;
        seenPos.push_back(bar_.GetPos());
        seenUpper.push_back(bar_.GetUpper());
    }

    int redraws = 0;
    std::vector<std::uint64_t> seenPos;
    std::vector<std::uint64_t> seenUpper;

private:
    const CProgressBarEx& bar_;
};

// A bar 404 pixels wide, so that the bar proper runs from x = 2 to 402: 400 pixels.
constexpr int kWidth = 404;
constexpr int kHeight = 20;
constexpr BarRect kClient{0, 0, kWidth, kHeight};

PixelCanvas Painted(const CProgressBarEx& bar) {
    PixelCanvas canvas(kWidth, kHeight);
    bar.Paint(canvas, kClient);
    return canvas;
}

TEST(CProgressBarExTest, BeforeAnyJobAFramedEmptyBarOfZeroToHundred) {
    CProgressBarEx bar;
    EXPECT_EQ(bar.GetPos(), 0u);
    EXPECT_EQ(bar.GetUpper(), 100u);
    const PixelCanvas canvas = Painted(bar);
    EXPECT_TRUE(canvas.AllPainted());
    EXPECT_EQ(canvas.OutsidePaints(), 0);
    EXPECT_EQ(canvas.Count(kBar), 0);
    EXPECT_EQ(canvas.At(200, 10), kWhite);
    EXPECT_EQ(canvas.At(2, 2), kWhite);
    EXPECT_EQ(canvas.At(kWidth - 3, kHeight - 3), kWhite);
}

TEST(CProgressBarExTest, FrameOutlineAndSunkenInnerEdge) {
    CProgressBarEx bar;
    const PixelCanvas canvas = Painted(bar);
    const int right = kWidth - 1;
    const int bottom = kHeight - 1;
    for (int x = 0; x <= right; ++x) {
        EXPECT_EQ(canvas.At(x, 0), kFrame) << x;
        EXPECT_EQ(canvas.At(x, bottom), kFrame) << x;
    }
    for (int y = 0; y <= bottom; ++y) {
        EXPECT_EQ(canvas.At(0, y), kFrame) << y;
        EXPECT_EQ(canvas.At(right, y), kFrame) << y;
    }
    // Highlight along the inner top and left, white along the inner bottom and right; each
    // line covers its start point and not its end point.
    EXPECT_EQ(canvas.At(1, 1), kHighlight);
    EXPECT_EQ(canvas.At(right - 1, 1), kHighlight);
    EXPECT_EQ(canvas.At(1, bottom - 2), kHighlight);
    EXPECT_EQ(canvas.At(1, bottom - 1), kWhite);
    EXPECT_EQ(canvas.At(right - 1, bottom - 1), kWhite);
    EXPECT_EQ(canvas.At(right - 1, 2), kWhite);
}

TEST(CProgressBarExTest, FillsInWholePercentOfTheWidth) {
    CProgressBarEx bar;
    bar.SetUpper(1000);
    bar.SetPos(999);
    PixelCanvas canvas = Painted(bar);
    // 99 percent of 400 pixels from x = 2.
    EXPECT_EQ(canvas.FilledTo(2), 398);
    EXPECT_EQ(canvas.FilledTo(kHeight - 3), 398);
    EXPECT_EQ(canvas.At(398, 10), kWhite);
    EXPECT_EQ(canvas.At(401, 10), kWhite);

    bar.SetPos(5);
    canvas = Painted(bar);
    EXPECT_EQ(canvas.Count(kBar), 0) << "0 percent fills nothing";
}

TEST(CProgressBarExTest, FullBarCases) {
    const struct {
        std::uint64_t lower, upper, pos;
    } cases[] = {
        {0, 1000, 1000}, // at the upper bound
        {0, 1000, 5000}, // beyond it
        {700, 700, 0},   // an empty range, the position still below the upper bound
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pos);
        CProgressBarEx bar;
        bar.SetLower(c.lower);
        bar.SetUpper(c.upper);
        bar.SetPos(c.pos);
        const PixelCanvas canvas = Painted(bar);
        EXPECT_EQ(canvas.FilledTo(10), kWidth - 2);
        EXPECT_TRUE(canvas.AllPainted());
        for (const auto& fill : canvas.Fills()) {
            if (fill.rect.top == 2) {
                EXPECT_NE(fill.colour, kWhite) << "a full bar paints no white part";
            }
        }
    }
}

TEST(CProgressBarExTest, BoundsBeyond32BitsFillInProportion) {
    const struct {
        std::uint64_t lower, upper, pos;
        int filledTo;
    } cases[] = {
        {0, 10ull << 32, 5ull << 31, 2 + 100},         // 25 %
        {1ull << 40, 3ull << 40, 1ull << 40, 2 + 200}, // the lower bound only shortens the range
        {0, std::numeric_limits<std::uint64_t>::max(), 1ull << 63, 2 + 200}, // beyond 2^64 / 100
        {0, 1ull << 63, (1ull << 63) - 1, 2 + 396},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pos);
        CProgressBarEx bar;
        bar.SetLower(c.lower);
        bar.SetUpper(c.upper);
        bar.SetPos(c.pos);
        EXPECT_EQ(Painted(bar).FilledTo(10), c.filledTo);
    }
}

TEST(CProgressBarExTest, TinyClientAreasPaintOnlyInside) {
    for (const int size : {0, 1, 2, 3, 4, 5}) {
        SCOPED_TRACE(size);
        CProgressBarEx bar;
        bar.SetPos(50);
        PixelCanvas canvas(size, size);
        bar.Paint(canvas, {0, 0, size, size});
        EXPECT_EQ(canvas.OutsidePaints(), 0);
    }
}

TEST(CProgressBarExTest, OffsetPosWrapsAround) {
    CProgressBarEx bar;
    bar.SetPos(std::numeric_limits<std::uint64_t>::max() - 5);
    bar.OffsetPos(10);
    EXPECT_EQ(bar.GetPos(), 4u);
    bar.OffsetPos(16384);
    EXPECT_EQ(bar.GetPos(), 16388u);
}

TEST(CProgressBarExTest, EverySetterRedrawsWithItsNewValue) {
    CProgressBarEx bar;
    CountingView view(bar);
    bar.SetView(&view);
    bar.SetPos(0);
    bar.SetLower(0);
    bar.SetUpper(40000);
    bar.OffsetPos(16384);
    bar.OffsetPos(16384);
    EXPECT_EQ(bar.GetPos(), 32768u);
    EXPECT_EQ(bar.GetUpper(), 40000u);
    EXPECT_EQ(view.redraws, 5);
    EXPECT_EQ(view.seenPos, (std::vector<std::uint64_t>{0, 0, 0, 16384, 32768}));
    EXPECT_EQ(view.seenUpper, (std::vector<std::uint64_t>{100, 100, 40000, 40000, 40000}));

    bar.SetView(nullptr);
    bar.OffsetPos(1);
    EXPECT_EQ(view.redraws, 5);
    EXPECT_EQ(bar.GetPos(), 32769u);
}

// The job sets the bar on its worker while the window paints and reads it on its own thread.
TEST(CProgressBarExTest, SetOnOneThreadWhilePaintedOnAnother) {
    class WorkerView : public IBarView {
    public:
        void Redraw() override { threads.push_back(std::this_thread::get_id()); }
        std::vector<std::thread::id> threads;
    };
    CProgressBarEx bar;
    WorkerView view;
    bar.SetView(&view);
    constexpr std::uint64_t kSteps = 2000;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        bar.SetPos(0);
        bar.SetLower(0);
        bar.SetUpper(kSteps * 16384);
        for (std::uint64_t i = 0; i < kSteps; ++i) {
            bar.OffsetPos(16384);
        }
        done.store(true);
    });
    std::uint64_t last = 0;
    while (!done.load()) {
        PixelCanvas canvas(kWidth, kHeight);
        bar.Paint(canvas, kClient);
        const std::uint64_t pos = bar.GetPos();
        EXPECT_GE(pos, last);
        last = pos;
    }
    const std::thread::id workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(bar.GetPos(), kSteps * 16384);
    EXPECT_EQ(Painted(bar).FilledTo(10), kWidth - 2);
    ASSERT_EQ(view.threads.size(), kSteps + 3);
    for (const auto& id : view.threads) {
        EXPECT_EQ(id, workerId);
    }
}

} // namespace
