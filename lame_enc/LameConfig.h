// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BladeMP3EncDLL.h"

#include <lame/lame.h>

namespace lameenc {

/// Hands every field of an LHV1 record to libmp3lame, before lame_init_params. 0, or
/// BE_ERR_INVALID_FORMAT_PARAMETERS when a field is out of range or libmp3lame refuses it.
BE_ERR ApplyConfig(lame_global_flags* lame, const BE_CONFIG& config);

} // namespace lameenc
