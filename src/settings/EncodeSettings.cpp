// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncodeSettings.h"

#include <cstdlib>

BE_CONFIG FirstStartLameParm() {
    BE_CONFIG config{};
    config.ConfigKind = BE_CONFIG_LAME;
    config.StructVersion = CURRENT_STRUCT_VERSION;
    config.StructSize = CURRENT_STRUCT_SIZE;
    config.SampleRate = 44100;
    config.Mode = 0;
    config.Bitrate = 128;
    config.Quality = 2;
    config.MpegVersion = 1;
    config.NoRes = 1;
    return config;
}

std::string FirstStartOutFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return "/";
    }
    std::string folder(home);
    if (folder.back() != '/') {
        folder.push_back('/');
    }
    return folder;
}

void EncodeSettings::ApplyFirstStartDefaults() {
    OutFolder.OutFolder = FirstStartOutFolder();
    OutFolder.Preset = 0;
    OutFolder.IdentityOutFile = 1;
    OutFolder.EncodeType = kEncodeTypeMp3;
    LameParm = FirstStartLameParm();
}

std::optional<std::size_t> PresetIndexInEffect(std::int32_t preset, std::size_t presetCount) {
    if (preset < 1 || static_cast<std::size_t>(preset) > presetCount) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(preset) - 1;
}
