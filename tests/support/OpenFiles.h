// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

namespace testsupport {

/// The file descriptors this process has open: equal before and after a job when it leaves
/// nothing open.
std::size_t OpenFileCount();

} // namespace testsupport
