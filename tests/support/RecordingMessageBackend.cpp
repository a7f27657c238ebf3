// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordingMessageBackend.h"

namespace testsupport {

platform::MessageAnswer RecordingMessageBackend::Show(const platform::MessageRequest& request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    shown_.notify_all();
    if (request.buttons == platform::MessageButtons::Ok) {
        return platform::MessageAnswer::Ok;
    }
    if (script_.empty()) {
        return platform::MessageAnswer::No;
    }
    const platform::MessageAnswer answer = script_.front();
    script_.pop_front();
    return answer;
}

void RecordingMessageBackend::ScriptAnswer(platform::MessageAnswer answer) {
    std::lock_guard lock(mutex_);
    script_.push_back(answer);
}

std::vector<platform::MessageRequest> RecordingMessageBackend::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool RecordingMessageBackend::WaitForCount(std::size_t count,
                                           std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return shown_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

ScopedMessageRecorder::ScopedMessageRecorder()
    : recorder_(std::make_shared<RecordingMessageBackend>()),
      previous_(platform::MessageBox::SetBackend(recorder_)) {}

ScopedMessageRecorder::~ScopedMessageRecorder() {
    platform::MessageBox::SetBackend(previous_);
}

} // namespace testsupport
