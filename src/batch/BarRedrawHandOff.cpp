#include "BarRedrawHandOff.h"

#include <algorithm>

BarRedrawHandOff::BarRedrawHandOff(const CProgressBarEx& bar, std::function<void()> requestPaint)
    : bar_(bar), requestPaint_(std::move(requestPaint)), askedPicture_(bar.Percent()) {}

void BarRedrawHandOff::Redraw() {
    // With the width fixed, the percentage alone decides what the bar looks like.
    const std::uint64_t picture = bar_.Percent();
    std::unique_lock lock(mutex_);
    if (picture == askedPicture_) {
        return;
    }
    askedPicture_ = picture;
    const std::uint64_t ticket = ++requested_;
    // One queued paint shows the newest picture, however many were asked for meanwhile.
    const bool queue = !paintQueued_;
    paintQueued_ = true;
    lock.unlock();
    if (queue) {
        requestPaint_();
    }
    lock.lock();
    shown_.wait(lock, [&] { return painted_ >= ticket || released_; });
}

std::uint64_t BarRedrawHandOff::TakeRequest() {
    const std::lock_guard lock(mutex_);
    paintQueued_ = false;
    return requested_;
}

void BarRedrawHandOff::Painted(std::uint64_t ticket) {
    {
        const std::lock_guard lock(mutex_);
        painted_ = std::max(painted_, ticket);
    }
    shown_.notify_all();
}

void BarRedrawHandOff::Release() {
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
    }
    shown_.notify_all();
}

void BarRedrawHandOff::Arm() {
    const std::lock_guard lock(mutex_);
    released_ = false;
}
