// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrameRelay.h"

#include <utility>

FrameRelay::FrameRelay(std::size_t channels, std::size_t framesPerBuffer, Consumer consumer)
    : channels_(channels), framesPerBuffer_(framesPerBuffer),
      consumer_(std::move(consumer)), buffers_{std::vector<float>(channels * framesPerBuffer),
                                               std::vector<float>(channels * framesPerBuffer)},
      thread_(&FrameRelay::Run, this) {}

FrameRelay::~FrameRelay() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

float* FrameRelay::Room(std::size_t* frames) {
    *frames = framesPerBuffer_ - filled_;
    // Only this thread changes filling_, so reading it unlocked is safe.
    return buffers_[filling_].data() + filled_ * channels_;
}

void FrameRelay::Commit(std::size_t count) {
    filled_ += count;
    if (filled_ == framesPerBuffer_) {
        HandOver();
    }
}

void FrameRelay::Drain() {
    if (filled_ != 0) {
        HandOver();
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return handed_ == 0; });
}

void FrameRelay::HandOver() {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return handed_ == 0; });
        handed_ = filled_;
        filling_ = 1 - filling_;
    }
    filled_ = 0;
    changed_.notify_all();
}

void FrameRelay::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return handed_ != 0 || stopping_; });
        if (handed_ == 0) {
            return;
        }
        const float* frames = buffers_[1 - filling_].data();
        const std::size_t count = handed_;
        lock.unlock();
        consumer_(frames, count);
        lock.lock();
        handed_ = 0;
        changed_.notify_all();
    }
}
