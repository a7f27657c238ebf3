#pragma once

#include "settings/EncodeSettings.h"

#include <string>

/// opt.ini: the general options, LameParm and OggParm, kept from one run to the next.

inline constexpr const char* kSettingsFileName = "opt.ini";

/// The path of opt.ini in folder (normally platform::ExecutableFolder()).
std::string SettingsFilePath(const std::string& folder);

/// Reads folder/opt.ini into settings.OutFolder, settings.LameParm and settings.Ogg. Each
/// section is found by an exact header line and read from the line after it up to the next
/// line beginning with '['; a section without a header is read from the first line. Keys
/// missing from the file leave their fields as they were. Returns true when the file was
/// read (even when it holds nothing usable); false, touching nothing, when it could not be.
bool LoadSettings(const std::string& folder, EncodeSettings& settings);

/// The exact bytes SaveSettings writes: three sections, tab-indented keys, CR LF line ends,
/// UTF-8.
std::string RenderSettings(const EncodeSettings& settings);

/// Replaces folder/opt.ini with RenderSettings(settings). The old file is replaced only after
/// the new one was completely written; on failure it stays as it was and false is returned.
bool SaveSettings(const std::string& folder, const EncodeSettings& settings);
