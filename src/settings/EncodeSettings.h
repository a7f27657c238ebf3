// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lame_enc/BladeMP3EncDLL.h"
#include "settings/LamePreset.h"
#include "settings/OggParm.h"
#include "settings/OutFolderParm.h"
#include "settings/WindowParm.h"

#include <cstddef>
#include <optional>

/// Every settings record of a run, owned once by the front end (the main window or the
/// terminal program); constructed as before any file is read.
struct EncodeSettings {
    BE_CONFIG LameParm{};
    BE_CONFIG LameWork{}; ///< the MP3 working copy a conversion with a preset runs on
    OggParm Ogg;
    OutFolderParm OutFolder;
    WindowParm Window;
    PresetList Presets;

    /// The values of a first start without opt.ini (the preset list is not touched).
    void ApplyFirstStartDefaults();
};

/// The first-start LameParm record.
BE_CONFIG FirstStartLameParm();

/// The first-start output folder: the user's home folder ending in '/', or "/" without $HOME.
std::string FirstStartOutFolder();

/// Index into the preset list of the preset a Preset value puts in effect: 1…count selects
/// entry Preset-1; 0, a negative value or one past the list puts none in effect.
std::optional<std::size_t> PresetIndexInEffect(std::int32_t preset, std::size_t presetCount);
