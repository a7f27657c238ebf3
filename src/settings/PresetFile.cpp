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
    std::size_t listBytes = 0;
    bool fits = true;
    const auto append = [&] {
        // A line of one byte makes a whole entry, with a copy of the name before it: the list
        // is held to a size no hand-written preset file comes near.
        listBytes += sizeof(LamePreset) + scratch.Name.size();
        fits = fits && listBytes <= kMaxPresetListBytes;
        if (fits) {
            presets.push_back(scratch);
        }
    };
    text.ForEachLine([&](std::string_view line) {
        if (!fits) {
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
    if (headers >= 1) {
        append();
    }
    if (!fits) {
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
        out += kHeaderPrefix;
        out += std::to_string(++number);
        out += kHeaderSuffix;
        AppendIniLineEnd(out);
        out += '\t';
        out += kNameKey;
        out += preset.Name;
        AppendIniLineEnd(out);
        WriteLameKeys(out, preset.Config);
    }
    return out;
}

bool SavePresets(const std::string& folder, const PresetList& presets) {
    if (presets.empty()) {
        return true;
    }
    return platform::ReplaceFileContent(PresetFilePath(folder), RenderPresets(presets));
}
