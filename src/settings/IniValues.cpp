// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniValues.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

bool IsIniSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

locale_t CLocale() {
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

std::optional<IniKeyValue> SplitIniLine(std::string_view trimmed) {
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return IniKeyValue{trimmed.substr(0, equals + 1), trimmed.substr(equals + 1)};
}

std::string_view TrimIniLine(std::string_view line) {
    while (!line.empty() && IsIniSpace(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && IsIniSpace(line.back())) {
        line.remove_suffix(1);
    }
    return line;
}

std::int32_t ParseIniInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsIniSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // The magnitude saturates just past the 32-bit range, so any number of digits is safe.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), kLimit);
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

float ParseIniFloat(std::string_view text) {
    // strtod needs a terminated string; the value of a settings line is short.
    const std::string terminated(text);
    const double value = ::strtod_l(terminated.c_str(), nullptr, CLocale());
    // IEEE rounding: a value past the float range becomes an infinity of its sign.
    static_assert(std::numeric_limits<float>::is_iec559);
    return static_cast<float>(value);
}

std::string FormatIniFloat(float value) {
    // A float printed in full needs at most 39 digits before the point.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::fixed, 2);
    return std::string(buffer, result.ptr);
}
