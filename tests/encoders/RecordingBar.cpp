// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingBar.h"

#include <algorithm>

void RecordingBar::SetPos(std::uint64_t value) {
    pos_.store(value);
    Record({BarCall::SetPos, value});
}

void RecordingBar::SetLower(std::uint64_t value) {
    Record({BarCall::SetLower, value});
}

void RecordingBar::SetUpper(std::uint64_t value) {
    upper_.store(value);
    Record({BarCall::SetUpper, value});
}

void RecordingBar::OffsetPos(std::uint64_t amount) {
    pos_.fetch_add(amount);
    Record({BarCall::OffsetPos, amount});
}

void RecordingBar::PauseAt(BarCall::Kind kind, std::size_t occurrence) {
    std::lock_guard lock(mutex_);
    pauseArmed_ = true;
    pauseKind_ = kind;
    pauseOccurrence_ = occurrence;
}

bool RecordingBar::WaitUntilPaused(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return paused_; });
}

void RecordingBar::Resume() {
    std::lock_guard lock(mutex_);
    resumed_ = true;
    changed_.notify_all();
}

std::vector<BarCall> RecordingBar::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void RecordingBar::Record(BarCall call) {
    std::unique_lock lock(mutex_);
    calls_.push_back(call);
    if (!pauseArmed_ || call.kind != pauseKind_) {
        return;
    }
    const auto seen = static_cast<std::size_t>(std::count_if(
        calls_.begin(), calls_.end(), [&](const BarCall& c) { return c.kind == call.kind; }));
    if (seen != pauseOccurrence_) {
        return;
    }
    paused_ = true;
    changed_.notify_all();
    // Bounded, so that a test that never resumes fails instead of hanging.
    changed_.wait_for(lock, std::chrono::seconds(20), [this] { return resumed_; });
}
