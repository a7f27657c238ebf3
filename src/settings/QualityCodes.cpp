// SPDX-License-Identifier: GPL-3.0-or-later
#include "QualityCodes.h"

#include <algorithm>

std::int32_t QualityCodeAt(int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= kQualityCodes.size()) {
        return -1;
    }
    return kQualityCodes[static_cast<std::size_t>(position)];
}

int QualityPositionOf(std::int32_t code) {
    const auto found = std::find(kQualityCodes.begin(), kQualityCodes.end(), code);
    return found == kQualityCodes.end() ? -1 : static_cast<int>(found - kQualityCodes.begin());
}
