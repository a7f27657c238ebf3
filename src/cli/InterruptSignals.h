// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/EventLoop.h"

#include <csignal>

/// While it lives, Ctrl-C (SIGINT), SIGTERM and SIGHUP (a closed terminal or session) do not
/// end the program: they become events of the loop, so that a running job can stop and remove
/// its partial output.
class InterruptSignals {
public:
    explicit InterruptSignals(const EventLoop& loop);
    ~InterruptSignals();
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
    struct sigaction previousHangUp_ {};
};
