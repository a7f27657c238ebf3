// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndEventRecorder.h"

#include <thread>

void EndEventRecorder::PostEncodeEnd() {
    std::lock_guard lock(mutex_);
    ++posted_;
    changed_.notify_all();
}

void EndEventRecorder::SendEncodeEnd() {
    std::lock_guard lock(mutex_);
    ++sent_;
    changed_.notify_all();
}

std::size_t EndEventRecorder::Posted() const {
    std::lock_guard lock(mutex_);
    return posted_;
}

std::size_t EndEventRecorder::Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

bool EndEventRecorder::WaitForPosts(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return posted_ >= count; });
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}
