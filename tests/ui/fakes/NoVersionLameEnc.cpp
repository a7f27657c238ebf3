// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in engine library that loads but has no beVersion: the version page must not call it.

#include "lame_enc/BladeMP3EncDLL.h"

extern "C" BE_ERR beInitStream(BE_CONFIG*, DWORD*, DWORD*, HBE_STREAM*) {
    return BE_ERR_INVALID_FORMAT;
}
