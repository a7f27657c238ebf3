// SPDX-License-Identifier: GPL-3.0-or-later
#include "PresetFile.h"

#include "IniText.h"
#include "IniValues.h"
#include "LameKeys.h"

#include "platform/AtomicFileWriter.h"
#include "platform/Paths.h"

#include <string_view>

namespace {

constexpr std::string_view kHeaderPrefix = "[Preset";
constexpr std::string_view kHeaderSuffix = "]";
constexpr std::string_view kNameKey = "Name=";

void AppendPreset(std::string& out, const LamePreset& preset, std::size_t number) {
    out += kHeaderPrefix;
    out += std::to_string(number);
    out += kHeaderSuffix;
    AppendIniLineEnd(out);
    out += '\t';
    out += kNameKey;
    out += preset.Name;
    AppendIniLineEnd(out);
    WriteLameKeys(out, preset.Config);
}

} // namespace

std::string PresetFilePath(const std::string& folder) {
    return platform::JoinFolder(folder, kPresetFileName);
}

bool LoadPresets(const std::string& folder, PresetList& presets) {
    presets.clear();
    IniText text;
    if (text.Load(PresetFilePath(folder)) != IniText::LoadResult::Loaded) {
        return false;
    }
    // The scratch entry collects keys until the next header closes it; its name carries
    // over to the following entry, its parameters do not.
    LamePreset scratch;
    std::size_t headers = 0;
    // A line of one byte makes a whole entry, with a copy of the name before it. A list that
    // would be written back larger than any settings file is not a preset file: so the list
    // stays small, and what is written at exit reads back.
    std::string entry;
    std::size_t written = 0;
    const auto append = [&] {
        entry.clear();
        AppendPreset(entry, scratch, presets.size() + 1);
        written += entry.size();
        if (written <= IniText::kMaxBytes) {
            presets.push_back(scratch);
        }
    };
    text.ForEachLine([&](std::string_view line) {
        if (written > IniText::kMaxBytes) {
            return;
        }
        if (line.starts_with('[')) {
            if (headers >= 1) {
                append();
                scratch.Config = BE_CONFIG{};
            }
            ++headers;
            return;
        }
        const std::string_view trimmed = TrimIniLine(line);
        if (trimmed.starts_with(kNameKey)) {
            scratch.Name.assign(trimmed.substr(kNameKey.size()));
        } else {
            ReadLameKeys(trimmed, scratch.Config);
        }
    });
    if (headers >= 1 && written <= IniText::kMaxBytes) {
        append();
    }
    if (written > IniText::kMaxBytes) {
        presets.clear();
        presets.shrink_to_fit();
        return false;
    }
    return true;
}

std::string RenderPresets(const PresetList& presets) {
    std::string out;
    out.reserve(presets.size() * 320);
    std::size_t number = 0;
    for (const LamePreset& preset : presets) {
        AppendPreset(out, preset, ++number);
    }
    return out;
}

bool SavePresets(const std::string& folder, const PresetList& presets) {
    if (presets.empty()) {
        return true;
    }
    return platform::ReplaceFileContent(PresetFilePath(folder), RenderPresets(presets));
}
