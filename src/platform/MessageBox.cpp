// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBox.h"

#include <atomic>
#include <cstdio>

namespace platform {
namespace {

std::shared_ptr<MessageBackend> DefaultBackend() {
    static const auto backend = std::make_shared<StderrMessageBackend>();
    return backend;
}

// Read from worker threads while the front end may install another backend.
std::atomic<std::shared_ptr<MessageBackend>>& CurrentBackend() {
    static std::atomic<std::shared_ptr<MessageBackend>> backend{DefaultBackend()};
    return backend;
}

} // namespace

MessageAnswer UnansweredAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
}

MessageAnswer StderrMessageBackend::Show(const MessageRequest& request) {
    std::fprintf(stderr, "%s: %s\n", request.title.c_str(), request.text.c_str());
    return UnansweredAnswer(request.buttons);
}

MessageAnswer MessageBox::Show(const std::string& text, const std::string& title, MessageIcon icon,
                               MessageButtons buttons, int systemError) {
    const auto backend = CurrentBackend().load();
    return backend->Show(MessageRequest{text, title, icon, buttons, systemError});
}

std::shared_ptr<MessageBackend> MessageBox::SetBackend(std::shared_ptr<MessageBackend> backend) {
    return CurrentBackend().exchange(backend ? std::move(backend) : DefaultBackend());
}

} // namespace platform
