// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/IProgressBar.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

/// One call a job made on its progress bar.
struct BarCall {
    enum Kind { SetPos, SetLower, SetUpper, OffsetPos };
    Kind kind;
    std::uint64_t value;
    bool operator==(const BarCall&) const = default;
};

/// A progress bar that records every call and can hold the job's worker inside a chosen call
/// until the test lets it go on: a fixed point in the job at which to act.
class RecordingBar : public IProgressBar {
public:
    void SetPos(std::uint64_t value) override;
    void SetLower(std::uint64_t value) override;
    void SetUpper(std::uint64_t value) override;
    void OffsetPos(std::uint64_t amount) override;
    std::uint64_t GetPos() const override { return pos_.load(); }
    std::uint64_t GetUpper() const override { return upper_.load(); }

    /// Holds the worker in the given (1-based) occurrence of calls of that kind.
    void PauseAt(BarCall::Kind kind, std::size_t occurrence);
    /// Waits until the worker is held; false on timeout.
    bool WaitUntilPaused(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    void Resume();
    std::vector<BarCall> Calls() const;

private:
    void Record(BarCall call);

    std::atomic<std::uint64_t> pos_{0};
    std::atomic<std::uint64_t> upper_{100};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<BarCall> calls_;
    bool pauseArmed_ = false;
    BarCall::Kind pauseKind_ = BarCall::SetPos;
    std::size_t pauseOccurrence_ = 0;
    bool paused_ = false;
    bool resumed_ = false;
};
