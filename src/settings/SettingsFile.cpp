#include "SettingsFile.h"

#include "IniText.h"
#include "IniValues.h"
#include "LameKeys.h"

#include "platform/AtomicFileWriter.h"
#include "platform/Paths.h"

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kOutFolderHeader = "[OutFolder]";
constexpr std::string_view kLameHeader = "[LAME Parm]";
constexpr std::string_view kOggHeader = "[OGG Parm]";

constexpr std::string_view kOutFolderKey = "OutFolder=";
constexpr std::string_view kPresetKey = "Preset=";
constexpr std::string_view kIdentityOutFileKey = "IdentityOutFile=";
constexpr std::string_view kEncodeTypeKey = "EncodeType=";

constexpr std::string_view kOggModeKey = "Mode=";
constexpr std::string_view kOggPresetKey = "Preset=";
constexpr std::string_view kOggCustomKey = "Custom=";
constexpr std::string_view kOggMinBitrateKey = "MinBitrate=";
constexpr std::string_view kOggAveBitrateKey = "AveBitrate=";
constexpr std::string_view kOggMaxBitrateKey = "MaxBitrate=";

enum Section : std::size_t { OutFolderSection, LameSection, OggSection, SectionCount };

constexpr std::array<std::string_view, SectionCount> kHeaders = {kOutFolderHeader, kLameHeader,
                                                                 kOggHeader};

using SectionLines = std::array<std::ptrdiff_t, SectionCount>;

// Line numbers of the three headers, -1 for one not seen. The scan ends once all three are
// known, so a header repeated after that point does not move its section.
SectionLines ScanHeaders(const std::vector<std::string>& lines) {
    SectionLines found;
    found.fill(-1);
    std::size_t seen = 0;
    for (std::size_t number = 0; number < lines.size() && seen < SectionCount; ++number) {
        for (std::size_t section = 0; section < SectionCount; ++section) {
            if (lines[number] == kHeaders[section]) {
                if (found[section] < 0) {
                    ++seen;
                }
                found[section] = static_cast<std::ptrdiff_t>(number);
            }
        }
    }
    return found;
}

// The trimmed lines of one section: from the line after its header (from the first line when
// it has none) up to the next line whose first character is '['.
template <typename Handler>
void ForEachSectionLine(const std::vector<std::string>& lines, std::ptrdiff_t header,
                        Handler&& handle) {
    for (auto number = static_cast<std::size_t>(header + 1); number < lines.size(); ++number) {
        const std::string& line = lines[number];
        if (line.starts_with('[')) {
            return;
        }
        handle(TrimIniLine(line));
    }
}

// The value after key when the trimmed line begins with it.
bool TakeValue(std::string_view line, std::string_view key, std::string_view& value) {
    if (!line.starts_with(key)) {
        return false;
    }
    value = line.substr(key.size());
    return true;
}

void ReadOutFolderLine(std::string_view line, OutFolderParm& parm) {
    std::string_view value;
    if (TakeValue(line, kOutFolderKey, value)) {
        parm.OutFolder.assign(value);
    } else if (TakeValue(line, kPresetKey, value)) {
        parm.Preset = ParseIniInt(value);
    } else if (TakeValue(line, kIdentityOutFileKey, value)) {
        parm.IdentityOutFile = ParseIniInt(value);
    } else if (TakeValue(line, kEncodeTypeKey, value)) {
        parm.EncodeType = ParseIniInt(value);
    }
}

void ReadOggLine(std::string_view line, OggParm& parm) {
    std::string_view value;
    if (TakeValue(line, kOggModeKey, value)) {
        parm.Mode = ParseIniInt(value);
    } else if (TakeValue(line, kOggPresetKey, value)) {
        parm.Preset = ParseIniFloat(value);
    } else if (TakeValue(line, kOggCustomKey, value)) {
        parm.Custom = ParseIniInt(value);
    } else if (TakeValue(line, kOggMinBitrateKey, value)) {
        parm.MinBitrate = ParseIniInt(value);
    } else if (TakeValue(line, kOggAveBitrateKey, value)) {
        parm.AveBitrate = ParseIniInt(value);
    } else if (TakeValue(line, kOggMaxBitrateKey, value)) {
        parm.MaxBitrate = ParseIniInt(value);
    }
}

void AppendLine(std::string& out, std::string_view text) {
    out += text;
    AppendIniLineEnd(out);
}

void AppendKeyLine(std::string& out, std::string_view key, std::string_view value) {
    out += '\t';
    out += key;
    out += value;
    AppendIniLineEnd(out);
}

void AppendKeyLine(std::string& out, std::string_view key, std::int32_t value) {
    AppendKeyLine(out, key, std::to_string(value));
}

} // namespace

std::string SettingsFilePath(const std::string& folder) {
    return platform::JoinFolder(folder, kSettingsFileName);
}

bool LoadSettings(const std::string& folder, EncodeSettings& settings) {
    IniText text;
    if (!text.Load(SettingsFilePath(folder))) {
        return false;
    }
    const std::vector<std::string>& lines = text.Lines();
    const SectionLines headers = ScanHeaders(lines);

    settings.OutFolder.Preset = 0;
    ForEachSectionLine(lines, headers[OutFolderSection],
                       [&](std::string_view line) { ReadOutFolderLine(line, settings.OutFolder); });
    ForEachSectionLine(lines, headers[LameSection],
                       [&](std::string_view line) { ReadLameKeys(line, settings.LameParm); });
    ForEachSectionLine(lines, headers[OggSection],
                       [&](std::string_view line) { ReadOggLine(line, settings.Ogg); });
    return true;
}

std::string RenderSettings(const EncodeSettings& settings) {
    std::string out;
    out.reserve(768 + settings.OutFolder.OutFolder.size());

    AppendLine(out, kOutFolderHeader);
    AppendKeyLine(out, kOutFolderKey, settings.OutFolder.OutFolder);
    AppendKeyLine(out, kPresetKey, settings.OutFolder.Preset);
    AppendKeyLine(out, kIdentityOutFileKey, settings.OutFolder.IdentityOutFile);
    AppendKeyLine(out, kEncodeTypeKey, settings.OutFolder.EncodeType);

    AppendLine(out, kLameHeader);
    WriteLameKeys(out, settings.LameParm);

    AppendLine(out, kOggHeader);
    AppendKeyLine(out, kOggModeKey, settings.Ogg.Mode);
    AppendKeyLine(out, kOggPresetKey, FormatIniFloat(settings.Ogg.Preset));
    AppendKeyLine(out, kOggCustomKey, settings.Ogg.Custom);
    AppendKeyLine(out, kOggMinBitrateKey, settings.Ogg.MinBitrate);
    AppendKeyLine(out, kOggAveBitrateKey, settings.Ogg.AveBitrate);
    AppendKeyLine(out, kOggMaxBitrateKey, settings.Ogg.MaxBitrate);
    return out;
}

bool SaveSettings(const std::string& folder, const EncodeSettings& settings) {
    return platform::ReplaceFileContent(SettingsFilePath(folder), RenderSettings(settings));
}
