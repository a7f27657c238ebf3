// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lame_enc/BladeMP3EncDLL.h"

#include <string>
#include <vector>

/// One named MP3 parameter set from preset.ini.
struct LamePreset {
    std::string Name;
    BE_CONFIG Config{};
};

using PresetList = std::vector<LamePreset>;
