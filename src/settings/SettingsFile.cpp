// SPDX-License-Identifier: GPL-3.0-or-later
#include "SettingsFile.h"

#include "IniText.h"
#include "IniValues.h"
#include "LameKeys.h"

#include "platform/AtomicFileWriter.h"
#include "platform/Paths.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace {

constexpr std::string_view kOutFolderHeader = "[OutFolder]";
constexpr std::string_view kLameHeader = "[LAME Parm]";
constexpr std::string_view kOggHeader = "[OGG Parm]";
constexpr std::string_view kWindowHeader = "[Window]";

constexpr std::string_view kOutFolderKey = "OutFolder=";
constexpr std::string_view kPresetKey = "Preset=";
constexpr std::string_view kIdentityOutFileKey = "IdentityOutFile=";
constexpr std::string_view kEncodeTypeKey = "EncodeType=";
constexpr std::string_view kJobsKey = "Jobs=";
constexpr std::string_view kOutputLayoutKey = "OutputLayout=";
constexpr std::string_view kReplayGainKey = "ReplayGain=";

constexpr std::string_view kLeftKey = "Left=";
constexpr std::string_view kTopKey = "Top=";
constexpr std::string_view kWidthKey = "Width=";
constexpr std::string_view kHeightKey = "Height=";
constexpr std::string_view kMaximizedKey = "Maximized=";
constexpr std::string_view kColumnsKey = "Columns=";

constexpr std::string_view kOggModeKey = "Mode=";
constexpr std::string_view kOggPresetKey = "Preset=";
constexpr std::string_view kOggCustomKey = "Custom=";
constexpr std::string_view kOggMinBitrateKey = "MinBitrate=";
constexpr std::string_view kOggAveBitrateKey = "AveBitrate=";
constexpr std::string_view kOggMaxBitrateKey = "MaxBitrate=";

enum Section : std::size_t {
    OutFolderSection,
    LameSection,
    OggSection,
    WindowSection,
    SectionCount
};

// The sections the Windows program writes, before WindowSection.
constexpr std::size_t kStatedSections = WindowSection;

constexpr std::array<std::string_view, SectionCount> kHeaders = {kOutFolderHeader, kLameHeader,
                                                                 kOggHeader, kWindowHeader};

// A size outside what a screen can show is no size: the window opens in its own layout.
std::int32_t ExtentInRange(std::int32_t extent) {
    return extent >= 1 && extent <= kWindowExtentLimit ? extent : 0;
}

bool ReadWindowLine(const IniKeyValue& line, WindowParm& parm) {
    if (line.key == kLeftKey) {
        parm.Left = ParseIniInt(line.value);
    } else if (line.key == kTopKey) {
        parm.Top = ParseIniInt(line.value);
    } else if (line.key == kWidthKey) {
        parm.Width = ExtentInRange(ParseIniInt(line.value));
    } else if (line.key == kHeightKey) {
        parm.Height = ExtentInRange(ParseIniInt(line.value));
    } else if (line.key == kMaximizedKey) {
        parm.Maximized = ParseIniInt(line.value) != 0 ? 1 : 0;
    } else if (line.key == kColumnsKey) {
        parm.ColumnWidths = ParseColumnWidths(line.value);
    } else {
        return false;
    }
    return true;
}

// A folder of the Windows program ("c:\music", "\\server\share") names nothing here.
bool IsWindowsPath(std::string_view folder) {
    const bool drive =
        folder.size() >= 3 &&
        ((folder[0] >= 'A' && folder[0] <= 'Z') || (folder[0] >= 'a' && folder[0] <= 'z')) &&
        folder[1] == ':' && folder[2] == '\\';
    return drive || folder.starts_with("\\\\");
}

bool ReadOutFolderLine(const IniKeyValue& line, OutFolderParm& parm) {
    if (line.key == kOutFolderKey) {
        parm.OutFolder =
            IsWindowsPath(line.value) ? FirstStartOutFolder() : std::string(line.value);
    } else if (line.key == kPresetKey) {
        parm.Preset = ParseIniInt(line.value);
    } else if (line.key == kIdentityOutFileKey) {
        parm.IdentityOutFile = ParseIniInt(line.value);
    } else if (line.key == kEncodeTypeKey) {
        parm.EncodeType = ParseIniInt(line.value);
    } else if (line.key == kJobsKey) {
        parm.Jobs = JobsInRange(ParseIniInt(line.value));
    } else if (line.key == kOutputLayoutKey) {
        parm.OutputLayout = OutputLayoutInRange(ParseIniInt(line.value));
    } else if (line.key == kReplayGainKey) {
        parm.ReplayGain = ReplayGainInRange(ParseIniInt(line.value));
    } else {
        return false;
    }
    return true;
}

bool ReadOggLine(const IniKeyValue& line, OggParm& parm) {
    if (line.key == kOggModeKey) {
        parm.Mode = ParseIniInt(line.value);
    } else if (line.key == kOggPresetKey) {
        parm.Preset = ParseIniFloat(line.value);
    } else if (line.key == kOggCustomKey) {
        parm.Custom = ParseIniInt(line.value);
    } else if (line.key == kOggMinBitrateKey) {
        parm.MinBitrate = ParseIniInt(line.value);
    } else if (line.key == kOggAveBitrateKey) {
        parm.AveBitrate = ParseIniInt(line.value);
    } else if (line.key == kOggMaxBitrateKey) {
        parm.MaxBitrate = ParseIniInt(line.value);
    } else {
        return false;
    }
    return true;
}

// The three records as far as one stretch of lines sets them.
struct SectionValues {
    OutFolderParm outFolder;
    BE_CONFIG lame;
    OggParm ogg;
    WindowParm window;

    bool Read(Section section, const IniKeyValue& line) {
        switch (section) {
        case OutFolderSection:
            return ReadOutFolderLine(line, outFolder);
        case LameSection:
            return ReadLameKeys(line, lame);
        case OggSection:
            return ReadOggLine(line, ogg);
        case WindowSection:
            return ReadWindowLine(line, window);
        case SectionCount:
            break;
        }
        return false;
    }
};

// Reads the file in one pass. Each section is read from the line after its header up to the
// next line beginning with '['; a section without a header is read from the first line. The
// headers are looked for until all three were seen, and a header seen again before that
// counts at its later line: its section is read afresh from there.
class SettingsReader {
public:
    explicit SettingsReader(const SectionValues& before) : leading_(before), headed_(before) {
        for (SectionValues* values : {&leading_, &headed_}) {
            values->outFolder.Preset = 0;
            // A file of the Windows program has no Jobs line.
            values->outFolder.Jobs = OnlineJobs();
            values->outFolder.OutputLayout = kOutputLayoutFlat;
            values->outFolder.ReplayGain = 0;
        }
        pristine_ = headed_;
    }

    void Take(std::string_view line) {
        if (line.starts_with('[')) {
            beforeFirstBracket_ = false;
            current_ = SectionCount;
            // [Window] is this program's own, written after the three: it counts wherever
            // it is, and the rule for the three stays as files of the Windows program need it.
            if (seen_ < kStatedSections || line == kWindowHeader) {
                TakeHeader(line);
            }
            return;
        }
        const auto split = SplitIniLine(TrimIniLine(line));
        if (!split) {
            return;
        }
        if (beforeFirstBracket_) {
            for (std::size_t section = 0; section < SectionCount; ++section) {
                recognised_ = leading_.Read(static_cast<Section>(section), *split) || recognised_;
            }
        } else if (current_ != SectionCount) {
            headed_.Read(current_, *split);
        }
    }

    /// False when neither a header nor a key was found: the bytes are no settings file.
    bool Recognised() const { return recognised_ || seen_ > 0 || found_[WindowSection]; }

    /// Every section from its header, or from the first line when it has none.
    SectionValues Result() const {
        return {found_[OutFolderSection] ? headed_.outFolder : leading_.outFolder,
                found_[LameSection] ? headed_.lame : leading_.lame,
                found_[OggSection] ? headed_.ogg : leading_.ogg,
                found_[WindowSection] ? headed_.window : WindowParm{}};
    }

private:
    void TakeHeader(std::string_view line) {
        for (std::size_t section = 0; section < SectionCount; ++section) {
            if (line != kHeaders[section]) {
                continue;
            }
            if (!found_[section]) {
                found_[section] = true;
                seen_ += section < kStatedSections ? 1 : 0;
            }
            current_ = static_cast<Section>(section);
            switch (current_) {
            case OutFolderSection:
                headed_.outFolder = pristine_.outFolder;
                break;
            case LameSection:
                headed_.lame = pristine_.lame;
                break;
            case OggSection:
                headed_.ogg = pristine_.ogg;
                break;
            case WindowSection:
                headed_.window = WindowParm{};
                break;
            case SectionCount:
                break;
            }
        }
    }

    SectionValues leading_;
    SectionValues headed_;
    SectionValues pristine_;
    std::array<bool, SectionCount> found_{};
    std::size_t seen_ = 0;
    Section current_ = SectionCount;
    bool beforeFirstBracket_ = true;
    bool recognised_ = false;
};

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

SettingsFileState LoadSettings(const std::string& folder, EncodeSettings& settings) {
    IniText text;
    switch (text.Load(SettingsFilePath(folder))) {
    case IniText::LoadResult::Loaded:
        break;
    case IniText::LoadResult::Missing:
        return SettingsFileState::Missing;
    case IniText::LoadResult::Unreadable:
        return SettingsFileState::Unreadable;
    case IniText::LoadResult::TooLarge:
        return SettingsFileState::Unrecognised;
    }
    SettingsReader reader({settings.OutFolder, settings.LameParm, settings.Ogg, {}});
    text.ForEachLine([&reader](std::string_view line) { reader.Take(line); });
    if (!reader.Recognised()) {
        return SettingsFileState::Unrecognised;
    }
    SectionValues read = reader.Result();
    settings.OutFolder = std::move(read.outFolder);
    settings.LameParm = read.lame;
    settings.Ogg = read.ogg;
    settings.Window = read.window;
    return SettingsFileState::Read;
}

std::string RenderSettings(const EncodeSettings& settings) {
    std::string out;
    out.reserve(768 + settings.OutFolder.OutFolder.size());

    AppendLine(out, kOutFolderHeader);
    AppendKeyLine(out, kOutFolderKey, settings.OutFolder.OutFolder);
    AppendKeyLine(out, kPresetKey, settings.OutFolder.Preset);
    AppendKeyLine(out, kIdentityOutFileKey, settings.OutFolder.IdentityOutFile);
    AppendKeyLine(out, kEncodeTypeKey, settings.OutFolder.EncodeType);
    AppendKeyLine(out, kJobsKey, JobsInRange(settings.OutFolder.Jobs));
    AppendKeyLine(out, kOutputLayoutKey, OutputLayoutInRange(settings.OutFolder.OutputLayout));
    AppendKeyLine(out, kReplayGainKey, ReplayGainInRange(settings.OutFolder.ReplayGain));

    AppendLine(out, kLameHeader);
    WriteLameKeys(out, settings.LameParm);

    AppendLine(out, kOggHeader);
    AppendKeyLine(out, kOggModeKey, settings.Ogg.Mode);
    AppendKeyLine(out, kOggPresetKey, FormatIniFloat(settings.Ogg.Preset));
    AppendKeyLine(out, kOggCustomKey, settings.Ogg.Custom);
    AppendKeyLine(out, kOggMinBitrateKey, settings.Ogg.MinBitrate);
    AppendKeyLine(out, kOggAveBitrateKey, settings.Ogg.AveBitrate);
    AppendKeyLine(out, kOggMaxBitrateKey, settings.Ogg.MaxBitrate);

    // Only a window that was shown has a place to remember.
    const WindowParm& window = settings.Window;
    if (window.Remembered()) {
        AppendLine(out, kWindowHeader);
        AppendKeyLine(out, kLeftKey, window.Left);
        AppendKeyLine(out, kTopKey, window.Top);
        AppendKeyLine(out, kWidthKey, window.Width);
        AppendKeyLine(out, kHeightKey, window.Height);
        AppendKeyLine(out, kMaximizedKey, window.Maximized);
        AppendKeyLine(out, kColumnsKey, FormatColumnWidths(window.ColumnWidths));
    }
    return out;
}

bool SaveSettings(const std::string& folder, const EncodeSettings& settings) {
    return platform::ReplaceFileContent(SettingsFilePath(folder), RenderSettings(settings));
}
