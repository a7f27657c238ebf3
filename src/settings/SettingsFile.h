// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EncodeSettings.h"

#include <string>

/// opt.ini: the general options, LameParm and OggParm, kept from one run to the next.

inline constexpr const char* kSettingsFileName = "opt.ini";

/// The path of opt.ini in folder (normally SettingsFolder()).
std::string SettingsFilePath(const std::string& folder);

/// What loading found at folder/opt.ini.
enum class SettingsFileState {
    Read,         ///< read by the file's rules
    Missing,      ///< there is none
    Unrecognised, ///< empty, larger than 1 MiB, or neither a section header nor a key in it
    Unreadable,   ///< a file is there but could not be opened or read
};

/// Reads folder/opt.ini into settings.OutFolder, settings.LameParm and settings.Ogg, in one
/// pass. Each section is found by an exact header line and read from the line after it up to
/// the next line beginning with '['; a section without a header is read from the first line.
/// Keys missing from the file leave their fields as they were. An OutFolder that is a Windows
/// path reads as the first-start folder. Anything but Read touches nothing.
SettingsFileState LoadSettings(const std::string& folder, EncodeSettings& settings);

/// The exact bytes SaveSettings writes: three sections, tab-indented keys, CR LF line ends,
/// UTF-8.
std::string RenderSettings(const EncodeSettings& settings);

/// Replaces folder/opt.ini with RenderSettings(settings). The old file is replaced only after
/// the new one was completely written; on failure it stays as it was and false is returned.
bool SaveSettings(const std::string& folder, const EncodeSettings& settings);
