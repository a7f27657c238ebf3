// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/INotifyTarget.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

/// Counts the end events a job posts (from its worker) and sends (from the starter's thread).
class EndEventRecorder : public INotifyTarget {
public:
    void PostEncodeEnd() override;
    void SendEncodeEnd() override;

    std::size_t Posted() const;
    std::size_t Sent() const;
    /// Waits until at least count events were posted; false on timeout.
    bool WaitForPosts(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::size_t posted_ = 0;
    std::size_t sent_ = 0;
};

/// Yields until the condition holds; false when it still does not after the timeout.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));
