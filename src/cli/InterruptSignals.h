#pragma once

#include "cli/EventLoop.h"

#include <csignal>

/// While it lives, Ctrl-C (SIGINT) and SIGTERM do not end the program: they become events of
/// the loop, so that a running job can stop and remove its partial output.
class InterruptSignals {
public:
    explicit InterruptSignals(const EventLoop& loop);
    ~InterruptSignals();
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};
