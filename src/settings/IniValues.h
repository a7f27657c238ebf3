// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The value rules shared by opt.ini and preset.ini. All of them ignore the process locale,
/// so a decimal comma locale neither breaks reading nor changes what is written.

/// The text without white space at either end (space, tab, CR, LF, vertical tab, form feed;
/// bytes of 0x80 and above never count as white space).
std::string_view TrimIniLine(std::string_view line);

/// A trimmed line that holds a key: the key up to and including the line's first '=' (every
/// key ends in its only '=', so a line begins with a key exactly when this part equals it) and
/// the value after it.
struct IniKeyValue {
    std::string_view key;
    std::string_view value;
};

/// The trimmed line split at its first '='; nothing when it has none.
std::optional<IniKeyValue> SplitIniLine(std::string_view trimmed);

/// A decimal integer read the way strtol reads base 10 (leading white space, optional sign,
/// digits up to the first non-digit; none give 0), clamped to the 32-bit signed range.
std::int32_t ParseIniInt(std::string_view text);

/// A number read the way atof reads one (leading white space, optional sign, decimal or
/// hexadecimal digits with fraction and exponent, inf, nan; none give 0), rounded to a float;
/// a value beyond the float range becomes an infinity of its sign.
float ParseIniFloat(std::string_view text);

/// The value as "%.2f" prints it in the C locale: 0.5 is "0.50", -0.1 is "-0.10".
std::string FormatIniFloat(float value);

/// Appends the line end the files are written with (CR LF).
inline void AppendIniLineEnd(std::string& out) {
    out += "\r\n";
}
