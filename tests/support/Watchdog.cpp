// SPDX-License-Identifier: GPL-3.0-or-later
#include "Watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace testsupport {

Watchdog::Watchdog(std::chrono::seconds limit, std::string message)
    : message_(std::move(message)), thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!finished_.wait_for(lock, limit, [this] { return done_; })) {
              std::fprintf(stderr, "deadlock: %s\n", message_.c_str());
              std::abort();
          }
      }) {}

Watchdog::~Watchdog() {
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    finished_.notify_all();
    thread_.join();
}

} // namespace testsupport
