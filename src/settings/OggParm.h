// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

/// The Ogg Vorbis parameters ([OGG Parm]); bitrates in bit/s, -1 = not set ("Default").
struct OggParm {
    std::int32_t Mode = 2;   ///< output channels: 2 stereo, 1 mono
    float Preset = 0.5f;     ///< Vorbis quality, used when Custom is 0
    std::int32_t Custom = 0; ///< 1 = use the three bitrates
    std::int32_t MinBitrate = -1;
    std::int32_t AveBitrate = -1;
    std::int32_t MaxBitrate = -1;
};
