// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace platform {

/// printf-style formatting into a string; the formats are the program's own constants.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
