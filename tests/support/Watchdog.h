// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

/// Ends the test program with a message when the scope has not ended within the limit: a
/// deadlock must fail the run, not stall it.
class Watchdog {
public:
    Watchdog(std::chrono::seconds limit, std::string message);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable finished_;
    bool done_ = false;
    std::string message_;
    std::thread thread_;
};

} // namespace testsupport
