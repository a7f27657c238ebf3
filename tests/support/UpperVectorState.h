// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

/// Whether the processor reports the upper halves of the calling thread's AVX registers in use
/// (xgetbv 1); nullopt where it cannot tell.
std::optional<bool> UpperVectorStateInUse();

/// Leaves the upper half of one AVX register of the calling thread in use, as code built for
/// AVX does when it does not clear them after itself; false where there is no AVX.
bool DirtyUpperVectorState();
