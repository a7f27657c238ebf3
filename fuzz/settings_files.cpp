// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as opt.ini and as preset.ini, through both readers; what the writers make of
// the result must read back to the very same text.

#include "platform/File.h"
#include "settings/EncodeSettings.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// A private folder for both files, rewritten for every input and removed at exit.
class SettingsFolder {
public:
    SettingsFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/wavpress-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        folder_ = pattern + "/";
    }
    ~SettingsFolder() {
        unlink(SettingsFilePath(folder_).c_str());
        unlink(PresetFilePath(folder_).c_str());
        rmdir(folder_.c_str());
    }
    SettingsFolder(const SettingsFolder&) = delete;
    SettingsFolder& operator=(const SettingsFolder&) = delete;

    const std::string& Path() const { return folder_; }

    // Plain writes: the fuzzer needs no durable replacement, only the bytes.
    void Write(const std::string& path, std::string_view bytes) const {
        platform::File file;
        if (!file.Create(path) || !file.Write(bytes.data(), bytes.size())) {
            std::abort();
        }
    }

private:
    std::string folder_;
};

void CheckSettings(const SettingsFolder& folder, std::string_view bytes) {
    folder.Write(SettingsFilePath(folder.Path()), bytes);
    EncodeSettings settings;
    const EncodeSettings untouched = settings;
    const SettingsFileState state = LoadSettings(folder.Path(), settings);
    if (state == SettingsFileState::Missing || state == SettingsFileState::Unreadable ||
        (state == SettingsFileState::Unrecognised &&
         RenderSettings(settings) != RenderSettings(untouched))) {
        std::abort();
    }
    const std::string rendered = RenderSettings(settings);
    folder.Write(SettingsFilePath(folder.Path()), rendered);
    EncodeSettings reloaded;
    if (LoadSettings(folder.Path(), reloaded) != SettingsFileState::Read ||
        RenderSettings(reloaded) != rendered) {
        std::abort();
    }
}

void CheckPresets(const SettingsFolder& folder, std::string_view bytes) {
    folder.Write(PresetFilePath(folder.Path()), bytes);
    PresetList presets;
    // A list beyond its bound is no preset file: nothing is read.
    if (!LoadPresets(folder.Path(), presets) && !presets.empty()) {
        std::abort();
    }
    const std::string rendered = RenderPresets(presets);
    folder.Write(PresetFilePath(folder.Path()), rendered);
    PresetList reloaded;
    if (!LoadPresets(folder.Path(), reloaded) || reloaded.size() != presets.size() ||
        RenderPresets(reloaded) != rendered) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const SettingsFolder folder;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckSettings(folder, bytes);
    CheckPresets(folder, bytes);
    return 0;
}
