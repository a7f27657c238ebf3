#include "SettingsLifecycle.h"

#include "PresetFile.h"
#include "SettingsFile.h"

bool LoadStartupSettings(const std::string& folder, EncodeSettings& settings) {
    LoadPresets(folder, settings.Presets);
    settings.LameParm = BE_CONFIG{};
    const bool loaded = LoadSettings(folder, settings);
    if (!loaded) {
        settings.ApplyFirstStartDefaults();
    }
    settings.LameParm.ConfigKind = BE_CONFIG_LAME;
    return loaded;
}

bool SaveExitSettings(const std::string& folder, const EncodeSettings& settings) {
    const bool settingsSaved = SaveSettings(folder, settings);
    const bool presetsSaved = SavePresets(folder, settings.Presets);
    return settingsSaved && presetsSaved;
}
