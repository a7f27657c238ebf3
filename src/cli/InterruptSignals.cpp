// SPDX-License-Identifier: GPL-3.0-or-later
#include "InterruptSignals.h"

#include <atomic>
#include <cerrno>

namespace {

std::atomic<const EventLoop*> signalLoop{nullptr};

extern "C" void PostSignal(int signal) {
    // The interrupted code may be about to read errno of a call that failed.
    const int savedErrno = errno;
    if (const EventLoop* loop = signalLoop.load()) {
        loop->Post(signal == SIGINT ? EventLoop::Event::Interrupt : EventLoop::Event::Terminate);
    }
    errno = savedErrno;
}

} // namespace

InterruptSignals::InterruptSignals(const EventLoop& loop) {
    signalLoop.store(&loop);
    struct sigaction action {};
    action.sa_handler = PostSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt_);
    sigaction(SIGTERM, &action, &previousTerminate_);
    sigaction(SIGHUP, &action, &previousHangUp_);
}

InterruptSignals::~InterruptSignals() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
    sigaction(SIGHUP, &previousHangUp_, nullptr);
    signalLoop.store(nullptr);
}
