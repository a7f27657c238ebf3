// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgressBarWidget.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// The bar's drawing rules pixel by pixel, without a painter: lines cover their start and not
// their end point.
class ReferenceCanvas : public IBarCanvas {
public:
    ReferenceCanvas(int width, int height) : image(width, height, QImage::Format_RGB32) {
        image.fill(Qt::black);
    }

    void DrawLine(BarPoint from, BarPoint to, BarColour colour) override {
        const int dx = (to.x > from.x) - (to.x < from.x);
        const int dy = (to.y > from.y) - (to.y < from.y);
        for (BarPoint p = from; p != to; p = {p.x + dx, p.y + dy}) {
            Set(p.x, p.y, colour);
        }
    }

    void FillRect(const BarRect& rect, BarColour colour) override {
        for (int y = rect.top; y < rect.bottom; ++y) {
            for (int x = rect.left; x < rect.right; ++x) {
                Set(x, y, colour);
            }
        }
    }

    QImage image;

private:
    void Set(int x, int y, BarColour colour) {
        if (image.valid(x, y)) {
            image.setPixel(x, y, qRgb(colour.red, colour.green, colour.blue));
        }
    }
};

TEST(ProgressBarWidgetTest, PaintsTheBarsGeometryPixelForPixel) {
    const struct {
        int width, height;
        std::uint64_t lower, upper, pos;
    } cases[] = {
        {404, 20, 0, 100, 0},                  // before any job: framed and empty
        {404, 20, 0, 1000, 999},               // 99 % of 400 pixels
        {404, 20, 0, 1000, 1000},              // full, no white part
        {404, 20, 700, 700, 0},                // an empty range is full
        {257, 13, 0, 10ull << 32, 5ull << 31}, // a quarter of a range beyond 32 bits
        {120, 9, 0, 3, 1},
        {4, 4, 0, 100, 50}, // no room for the bar itself
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " " << c.pos << "/" << c.upper);
        CProgressBarEx bar;
        bar.SetLower(c.lower);
        bar.SetUpper(c.upper);
        bar.SetPos(c.pos);
        ProgressBarWidget widget(bar);
        widget.resize(c.width, c.height);
        const QImage painted = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);

        ReferenceCanvas reference(c.width, c.height);
        bar.Paint(reference, {0, 0, c.width, c.height});
        ASSERT_EQ(painted.size(), reference.image.size());
        int wrong = 0;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                if (painted.pixel(x, y) != reference.image.pixel(x, y) && wrong++ < 5) {
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex
                                  << painted.pixel(x, y) << ", the bar says "
                                  << reference.image.pixel(x, y);
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// The percentages the widget showed, one per paint.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(ProgressBarWidget& widget) : widget_(widget) {
        widget.installEventFilter(this);
    }

    std::vector<std::uint64_t> shown;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            shown.push_back(widget_.Percent());
        }
        return false;
    }

private:
    ProgressBarWidget& widget_;
};

// A job moves the bar a percent every millisecond or two on a short file: the widget paints at
// a screen's pace, not at each step, and the newest picture it holds back shows when asked.
TEST(ProgressBarWidgetTest, PaintsAtAScreensPaceAndShowsTheHeldPictureWhenAsked) {
    CProgressBarEx bar;
    ProgressBarWidget widget(bar);
    widget.resize(404, 20);
    widget.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    PaintRecorder recorder(widget);
    constexpr int kSteps = 60;
    for (int pos = 1; pos <= kSteps; ++pos) {
        bar.SetPos(pos);
        QCoreApplication::processEvents();
    }
    EXPECT_LT(recorder.shown.size(), 10u);
    widget.ShowHeldPicture();
    ASSERT_FALSE(recorder.shown.empty());
    EXPECT_EQ(recorder.shown.back(), static_cast<std::uint64_t>(kSteps));
}

} // namespace
