// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsLifecycle.h"

#include "PresetFile.h"
#include "platform/File.h"
#include "platform/Paths.h"

SettingsFileState LoadStartupSettings(const std::string& folder, EncodeSettings& settings) {
    LoadPresets(folder, settings.Presets);
    settings.LameParm = BE_CONFIG{};
    const SettingsFileState loaded = LoadSettings(folder, settings);
    if (loaded != SettingsFileState::Read) {
        settings.ApplyFirstStartDefaults();
    }
    settings.LameParm.ConfigKind = BE_CONFIG_LAME;
    return loaded;
}

bool SaveExitSettings(const std::string& folder, const EncodeSettings& settings,
                      SettingsFileState loaded, std::string* unsaved) {
    // The user's configuration folder may not exist before the first exit.
    platform::CreateFolders(folder);
    const bool settingsSaved =
        loaded == SettingsFileState::Unreadable || SaveSettings(folder, settings);
    const bool presetsSaved = SavePresets(folder, settings.Presets);
    if (unsaved != nullptr && !(settingsSaved && presetsSaved)) {
        *unsaved =
            platform::JoinFolder(folder, settingsSaved ? kPresetFileName : kSettingsFileName);
    }
    return settingsSaved && presetsSaved;
}
