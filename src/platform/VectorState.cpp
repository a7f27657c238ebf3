// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace {

__attribute__((target("avx"))) void ZeroUpperHalves() {
    _mm256_zeroupper();
}

} // namespace

void platform::ClearUpperVectorState() {
    // Without AVX the instruction is an invalid one.
    static const bool hasAvx = __builtin_cpu_supports("avx");
    if (hasAvx) {
        ZeroUpperHalves();
    }
}
#else
void platform::ClearUpperVectorState() {}
#endif
