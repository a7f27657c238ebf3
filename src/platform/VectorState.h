// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace platform {

/// Puts the upper halves of the calling thread's AVX registers back in their initial state. A
/// new thread starts with the registers of the thread that created it, and while those halves
/// are in use every SSE instruction (the encoder libraries and libm's pow are built with SSE)
/// waits to merge them: a job started from the window's event thread ran some 8 % slower than
/// the same job started by wavpress-cli. Does nothing where the processor or system has no AVX.
void ClearUpperVectorState();

} // namespace platform
