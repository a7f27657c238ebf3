// SPDX-License-Identifier: GPL-3.0-or-later
#include "CProgressBarEx.h"

void CProgressBarEx::SetPos(std::uint64_t value) {
    pos_.store(value);
    Redraw();
}

void CProgressBarEx::SetLower(std::uint64_t value) {
    lower_.store(value);
    Redraw();
}

void CProgressBarEx::SetUpper(std::uint64_t value) {
    upper_.store(value);
    Redraw();
}

void CProgressBarEx::OffsetPos(std::uint64_t amount) {
    // Unsigned atomics wrap modulo 2^64.
    pos_.fetch_add(amount);
    Redraw();
}

void CProgressBarEx::Redraw() {
    changes_.fetch_add(1);
    if (IBarView* view = view_.load()) {
        view->Redraw();
    }
}

void CProgressBarEx::Paint(IBarCanvas& canvas, const BarRect& client) const {
    DrawFrame(canvas, client);
    DrawBar(canvas, client);
}

namespace {

void Fill(IBarCanvas& canvas, const BarRect& rect, BarColour colour) {
    if (rect.left < rect.right && rect.top < rect.bottom) {
        canvas.FillRect(rect, colour);
    }
}

} // namespace

void CProgressBarEx::DrawFrame(IBarCanvas& canvas, const BarRect& client) const {
    const BarRect& r = client;
    Fill(canvas, {r.left, r.top, r.right - 1, r.top + 1}, kFrameTopLeftColour);
    Fill(canvas, {r.left, r.top, r.left + 1, r.bottom - 1}, kFrameTopLeftColour);
    Fill(canvas, {r.right - 1, r.top, r.right, r.bottom}, kFrameBottomRightColour);
    Fill(canvas, {r.left, r.bottom - 1, r.right, r.bottom}, kFrameBottomRightColour);

    const BarRect inner{r.left + 1, r.top + 1, r.right - 2, r.bottom - 2};
    if (inner.right <= inner.left || inner.bottom <= inner.top) {
        return;
    }
    canvas.DrawLine({inner.right, inner.top}, {inner.left, inner.top}, kHighlightColour);
    canvas.DrawLine({inner.left, inner.top}, {inner.left, inner.bottom}, kHighlightColour);
    canvas.DrawLine({inner.left, inner.bottom}, {inner.right, inner.bottom}, kBackgroundColour);
    canvas.DrawLine({inner.right, inner.bottom}, {inner.right, inner.top}, kBackgroundColour);
}

std::uint64_t CProgressBarEx::PercentOf(std::uint64_t pos, std::uint64_t range) {
    if (range <= pos) {
        return 100;
    }
    // Wide enough that position × 100 cannot overflow, whatever the bounds.
    __extension__ using Wide = unsigned __int128;
    return static_cast<std::uint64_t>(Wide{pos} * 100 / range);
}

std::uint64_t CProgressBarEx::Percent() const {
    return PercentOf(pos_.load(), upper_.load() - lower_.load());
}

void CProgressBarEx::DrawBar(IBarCanvas& canvas, const BarRect& client) const {
    const BarRect bar{2, client.top + 2, client.right - 2, client.bottom - 2};
    if (bar.right <= bar.left || bar.bottom <= bar.top) {
        return;
    }
    const std::uint64_t pos = pos_.load();
    const std::uint64_t upper = upper_.load();
    const std::uint64_t percent = PercentOf(pos, upper - lower_.load());
    const auto width = static_cast<std::uint64_t>(bar.right - bar.left);

    const int filled =
        percent < 100 ? bar.left + static_cast<int>(percent * width / 100) : bar.right;
    Fill(canvas, {bar.left, bar.top, filled, bar.bottom}, kBarColour);
    if (pos < upper) {
        Fill(canvas, {filled, bar.top, bar.right, bar.bottom}, kBackgroundColour);
    }
}
