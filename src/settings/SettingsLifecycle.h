// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EncodeSettings.h"
#include "settings/SettingsFile.h"

#include <string>

/// The start-up and exit sequences every front end runs on its settings folder (normally
/// SettingsFolder()): the window and the terminal program load and save alike.

/// Loads preset.ini, zeroes all of LameParm, loads opt.ini and, unless it was read, applies
/// the first-start defaults; in every case LameParm.ConfigKind ends as 256. Returns what was
/// found at opt.ini, for SaveExitSettings.
SettingsFileState LoadStartupSettings(const std::string& folder, EncodeSettings& settings);

/// Creates the folder when it is missing, then writes opt.ini and then preset.ini (the latter
/// only when the preset list is not empty). An opt.ini that was there at start but could not be
/// read is left alone rather than replaced by settings its owner never saw. Failures leave the
/// old files as they were; the result is true when every file that was to be written was
/// written, and unsaved, when given, receives the path of the first one that was not.
bool SaveExitSettings(const std::string& folder, const EncodeSettings& settings,
                      SettingsFileState loaded, std::string* unsaved = nullptr);
