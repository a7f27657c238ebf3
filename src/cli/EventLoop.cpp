// SPDX-License-Identifier: GPL-3.0-or-later
#include "EventLoop.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

EventLoop::EventLoop() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot create the event pipe");
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
}

EventLoop::~EventLoop() {
    ::close(readFd_);
    ::close(writeFd_);
}

void EventLoop::Post(Event event) const {
    const char byte = static_cast<char>(event);
    // write() is async-signal-safe; a pipe of 64 KiB never fills with one byte per event.
    while (::write(writeFd_, &byte, 1) < 0 && errno == EINTR) {
    }
}

void EventLoop::StartTimer(std::chrono::milliseconds period) {
    period_ = period;
    nextTick_ = std::chrono::steady_clock::now() + period;
}

void EventLoop::StopTimer() {
    nextTick_.reset();
}

void EventLoop::Drain() {
    char bytes[64];
    for (;;) {
        const ssize_t count = ::read(readFd_, bytes, sizeof bytes);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        for (ssize_t i = 0; i < count; ++i) {
            pending_.push_back(static_cast<Event>(bytes[i]));
        }
    }
}

void EventLoop::Run(Handler& handler) {
    quit_ = false;
    while (!quit_) {
        if (!pending_.empty()) {
            const Event event = pending_.front();
            pending_.pop_front();
            handler.OnEvent(event);
            continue;
        }
        int timeout = -1;
        if (nextTick_) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= *nextTick_) {
                *nextTick_ += period_;
                handler.OnTimer();
                continue;
            }
            // Rounded up, so that the wake-up is never before the tick.
            timeout = static_cast<int>(
                std::chrono::ceil<std::chrono::milliseconds>(*nextTick_ - now).count());
        }
        pollfd watched{readFd_, POLLIN, 0};
        if (::poll(&watched, 1, timeout) > 0) {
            Drain();
        }
    }
}

std::optional<EventLoop::Event> EventLoop::WaitReadable(int fd) {
    for (;;) {
        for (auto it = pending_.begin(); it != pending_.end(); ++it) {
            if (*it == Event::Interrupt || *it == Event::Terminate) {
                const Event event = *it;
                pending_.erase(it);
                return event;
            }
        }
        pollfd watched[2] = {{fd, POLLIN, 0}, {readFd_, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt; // let the read itself report the fault
        }
        if ((watched[1].revents & POLLIN) != 0) {
            Drain();
            continue;
        }
        if (watched[0].revents != 0) {
            return std::nullopt;
        }
    }
}
