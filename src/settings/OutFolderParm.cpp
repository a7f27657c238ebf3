// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutFolderParm.h"

#include <algorithm>
#include <unistd.h>

namespace {

// More jobs than this only wait for the disk.
constexpr long kMostJobs = 32;

} // namespace

std::int32_t OnlineJobs() {
    const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    return static_cast<std::int32_t>(std::clamp(online, 1L, kMostJobs));
}

std::int32_t JobsInRange(std::int32_t jobs) {
    const std::int32_t most = OnlineJobs();
    return jobs >= 1 && jobs <= most ? jobs : most;
}

std::int32_t OutputLayoutInRange(std::int32_t layout) {
    return layout >= kOutputLayoutFlat && layout <= kOutputLayoutBeside ? layout
                                                                        : kOutputLayoutFlat;
}

std::int32_t ReplayGainInRange(std::int32_t replayGain) {
    return replayGain == 1 ? 1 : 0;
}
