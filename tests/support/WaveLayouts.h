// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WaveWriter.h"

#include <string>
#include <vector>

namespace testsupport {

/// A way a WAVE file holds its audio among other chunks, as the writers of the field make them;
/// in every one the audio is exactly the data chunk's samples.
struct WaveLayout {
    std::string name;
    WaveHeader header;
    std::string trailing; ///< chunks after the data chunk
};

std::vector<WaveLayout> ChunkLayouts();

} // namespace testsupport
