#pragma once

#include <cstdint>
#include <vector>

namespace lameenc {

/// What a finished stream leaves for beWriteVBRHeader: the frame it reserved at the start of
/// its output (as written there), the info frame that replaces it, and the output's length.
struct InfoFrame {
    std::vector<std::uint8_t> reserved;
    std::vector<std::uint8_t> frame;
    std::uint64_t streamBytes = 0;
};

} // namespace lameenc
