// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// Native paths: '/' separates, a folder text ends with '/'. No byte of a multi-byte UTF-8
/// character can be taken for '/' or '.', so splitting byte-wise at the last one is safe.
namespace platform {

inline constexpr char kPathSeparator = '/';

/// The path up to and including its last separator; empty when it has none.
std::string_view FolderOf(std::string_view path);

/// The path after its last separator (the whole path when it has none).
std::string_view NameOf(std::string_view path);

/// Position of the last '.' in text, or npos.
std::size_t LastDot(std::string_view text);

/// folder + name, with one separator put between them when the folder is not empty and does
/// not already end in one; an empty folder leaves the name as it is.
std::string JoinFolder(std::string_view folder, std::string_view name);

/// The folder of the running executable, ending in a separator.
std::string ExecutableFolder();

} // namespace platform
