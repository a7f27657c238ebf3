// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/LamePreset.h"

#include <string>

/// preset.ini: named MP3 parameter sets, written by hand, read at start and written back at
/// exit.

inline constexpr const char* kPresetFileName = "preset.ini";

/// The path of preset.ini in folder (normally SettingsFolder()).
std::string PresetFilePath(const std::string& folder);

/// Empties presets and fills it from folder/preset.ini in file order, in one pass. Every line
/// beginning with '[' starts the next entry, whatever its number; keys before the first header
/// belong to the first entry; an entry without "Name=" keeps the name of the entry before it;
/// fields without a key are 0. Returns whether the file could be read; the list stays empty if
/// not, and also for a file larger than 1 MiB or one whose list would be written back larger
/// than that: neither is a preset file.
bool LoadPresets(const std::string& folder, PresetList& presets);

/// The exact bytes SavePresets writes: per entry "[Preset<n>]" numbered from 1 by position,
/// "\tName=<name>" and the 19 MP3 keys; CR LF line ends, UTF-8. Empty for an empty list.
std::string RenderPresets(const PresetList& presets);

/// Replaces folder/preset.ini with RenderPresets(presets). An empty list writes nothing and
/// leaves an existing file alone (true). The old file is replaced only after the new one was
/// completely written; on failure it stays as it was and false is returned.
bool SavePresets(const std::string& folder, const PresetList& presets);
