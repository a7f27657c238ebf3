// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <optional>

namespace settingstest {

/// Runs body in a child process whose files cannot grow beyond maxBytes, the way a full disk
/// fails a write even for root. Returns body's result, or nothing when the child did not end
/// normally within a few seconds.
std::optional<bool> RunWithFileSizeLimit(std::size_t maxBytes, const std::function<bool()>& body);

} // namespace settingstest
