// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <thread>
#include <vector>

namespace lameenc {

/// What a finished stream leaves for beWriteVBRHeader: the frame it reserved at the start of
/// its output (as written there), the info frame that replaces it, and the output's length.
struct InfoFrame {
    std::vector<std::uint8_t> reserved;
    std::vector<std::uint8_t> frame;
    std::uint64_t streamBytes = 0;
    /// The thread that closed the stream.
    std::thread::id closer;
};

} // namespace lameenc
