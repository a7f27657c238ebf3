// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/OggParm.h"

#include <vorbis/codec.h>

/// Sets a Vorbis encoder up for the parameters (quality, or managed bitrates when Custom is
/// set) at the input's own rate or, where libvorbisenc has no set-up for that rate in that
/// mode, at the nearest rate between 8000 and 192000 Hz that it has one for, as libvorbisenc
/// itself answers. info must be initialised; it is cleared again on failure. Returns the rate
/// set up, 0 when no rate serves.
long SetUpVorbis(vorbis_info& info, const OggParm& parm, int channels, long rate);
