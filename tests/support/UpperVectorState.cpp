// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpperVectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>

namespace {

constexpr unsigned kXsaveLeaf = 0xD;
constexpr unsigned kXgetbvInUseBit = 1U << 2;
constexpr unsigned kAvxStateBit = 1U << 2;

bool CanReadInUse() {
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    return __builtin_cpu_supports("avx") &&
           __get_cpuid_count(kXsaveLeaf, 1, &eax, &ebx, &ecx, &edx) && (eax & kXgetbvInUseBit) != 0;
}

} // namespace

std::optional<bool> UpperVectorStateInUse() {
    if (!CanReadInUse()) {
        return std::nullopt;
    }
    unsigned low = 0;
    unsigned high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(1));
    return (low & kAvxStateBit) != 0;
}

bool DirtyUpperVectorState() {
    if (!__builtin_cpu_supports("avx")) {
        return false;
    }
    // Written in assembly: the compiler would clear the halves after its own AVX code.
    __asm__ volatile("vcmpps $15, %%ymm7, %%ymm7, %%ymm7" ::: "xmm7");
    return true;
}
#else
std::optional<bool> UpperVectorStateInUse() {
    return std::nullopt;
}

bool DirtyUpperVectorState() {
    return false;
}
#endif
