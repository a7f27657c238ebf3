// SPDX-License-Identifier: GPL-3.0-or-later
#include "OpenFiles.h"

#include <filesystem>

namespace testsupport {

std::size_t OpenFileCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

} // namespace testsupport
