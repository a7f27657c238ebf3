// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ProgressBarWidget.h"

#include "ui/ProgressBarAccessible.h"

#include <QAccessible>
#include <QPainter>

#include <algorithm>

namespace {

// More paints than a screen shows cost the jobs the GUI thread's, the display server's and a
// screen reader's time: a bar moves a percent every millisecond or two on a short file.
constexpr int kPaintIntervalMs = 40;

QColor ColourOf(BarColour colour) {
    return {colour.red, colour.green, colour.blue};
}

// The bar's lines cover their start point and not their end point, where QPainter::drawLine
// covers both: each line is filled as the one-pixel rectangle it covers.
class PainterCanvas : public IBarCanvas {
public:
    explicit PainterCanvas(QPainter& painter) : painter_(painter) {}

    void DrawLine(BarPoint from, BarPoint to, BarColour colour) override {
        if (from == to) {
            return;
        }
        QRect covered;
        if (from.y == to.y) {
            const int first = to.x > from.x ? from.x : to.x + 1;
            covered = QRect(first, from.y, std::abs(to.x - from.x), 1);
        } else {
            const int first = to.y > from.y ? from.y : to.y + 1;
            covered = QRect(from.x, first, 1, std::abs(to.y - from.y));
        }
        painter_.fillRect(covered, ColourOf(colour));
    }

    void FillRect(const BarRect& rect, BarColour colour) override {
        painter_.fillRect(
            QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top),
            ColourOf(colour));
    }

private:
    QPainter& painter_;
};

} // namespace

ProgressBarWidget::ProgressBarWidget(CProgressBarEx& bar, QWidget* parent)
    : QWidget(parent), bar_(bar),
      request_(bar,
               [this] {
                   // From the worker: the paint runs on the GUI thread when its loop gets to it.
                   QMetaObject::invokeMethod(
                       this, [this] { PaintRequested(); }, Qt::QueuedConnection);
               }),
      announced_(bar.Percent()) {
    ProgressBarAccessible::Install();
    // Every pixel is painted: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    heldPaint_.setSingleShot(true);
    connect(&heldPaint_, &QTimer::timeout, this, &ProgressBarWidget::PaintNow);
    bar_.SetView(&request_);
}

QSize ProgressBarWidget::sizeHint() const {
    return {420, 20};
}

void ProgressBarWidget::PaintRequested() {
    const qint64 since = sincePaint_.isValid() ? sincePaint_.elapsed() : kPaintIntervalMs;
    if (since < kPaintIntervalMs) {
        // The request stays taken meanwhile: the worker queues no more until the paint.
        if (!heldPaint_.isActive()) {
            heldPaint_.start(static_cast<int>(kPaintIntervalMs - since));
        }
        return;
    }
    PaintNow();
}

void ProgressBarWidget::ShowHeldPicture() {
    if (heldPaint_.isActive()) {
        PaintNow();
    }
}

void ProgressBarWidget::PaintNow() {
    heldPaint_.stop();
    request_.TakeRequest();
    sincePaint_.start();
    // Painted at once, not merely scheduled: the picture must show before a queued end lets the
    // next file's job reset the values. A hidden bar shows the bar's values once it is exposed.
    repaint();
    const std::uint64_t percent = bar_.Percent();
    if (percent != announced_ && QAccessible::isActive()) {
        announced_ = percent;
        QAccessibleValueChangeEvent event(this, static_cast<int>(percent));
        QAccessible::updateAccessibility(&event);
    }
}

void ProgressBarWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PainterCanvas canvas(painter);
    bar_.Paint(canvas, {0, 0, width(), height()});
}
