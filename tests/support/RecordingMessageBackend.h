// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/MessageBox.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace testsupport {

/// Records every message and answers from a script (Ok, or the next scripted answer to a
/// Yes/No question; No when the script is empty). Installed for its lifetime.
class RecordingMessageBackend : public platform::MessageBackend {
public:
    platform::MessageAnswer Show(const platform::MessageRequest& request) override;

    void ScriptAnswer(platform::MessageAnswer answer);
    std::vector<platform::MessageRequest> Requests() const;
    /// Waits until at least count messages were shown; false on timeout.
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable shown_;
    std::vector<platform::MessageRequest> requests_;
    std::deque<platform::MessageAnswer> script_;
};

/// Installs a RecordingMessageBackend for the scope and restores the previous backend.
class ScopedMessageRecorder {
public:
    ScopedMessageRecorder();
    ~ScopedMessageRecorder();
    RecordingMessageBackend& operator*() const { return *recorder_; }
    RecordingMessageBackend* operator->() const { return recorder_.get(); }

private:
    std::shared_ptr<RecordingMessageBackend> recorder_;
    std::shared_ptr<platform::MessageBackend> previous_;
};

} // namespace testsupport
