// SPDX-License-Identifier: GPL-3.0-or-later
#include "LameConfig.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

// How an LHV1 record reaches libmp3lame:
//   SampleRate      input rate
//   InputChannels   1 mono input, encoded in mono whatever Mode says; 0 and 2 stereo input
//   ReSampleRate    output rate; 0 lets libmp3lame choose
//   Mode            0 stereo, 1 joint stereo, 2 joint stereo with mid/side forced on every
//                   frame (force_ms), 3 mono (libmp3lame downmixes a stereo input)
//   Bitrate         the constant bitrate, or the VBR minimum
//   MaxBitrate      the VBR maximum when non-zero
//   Private, CRC, Copyright, Original, NoRes, StrictIso
//                   flags: any non-zero value is 1
//   WriteVBRHeader  ignored: every stream reserves its info frame (encoder delay and padding
//                   for gapless players, "Info" for constant bitrate, "Xing" otherwise)
//   EnableVBR with VbrMethod
//                   -1 constant bitrate, 0 libmp3lame's default VBR, 1 the older VBR (rh),
//                   2 and 3 the newer VBR (mtrh), 4 average bitrate at VbrAbr_bps / 1000 kbit/s
//                   clamped to 8…320; VBRQuality 0…9 is the VBR quality
//   Quality         the table below, applied last so that presets override mode and bitrates
//   MpegVersion, PsyModel, Emphasis
//                   ignored: the MPEG version follows the output rate
// libmp3lame writes no ID3 tag of its own.

namespace lameenc {
namespace {

struct QualityEntry {
    std::int32_t code;
    int lameQuality; ///< libmp3lame's quality 0…9, or -1 to leave its default
    int preset;      ///< libmp3lame preset (an ABR kbit/s value or R3MIX), or 0 for none
    bool mono;       ///< the preset encodes one channel
};

constexpr QualityEntry kDefaultQuality{-1, 5, 0, false};

constexpr std::array<QualityEntry, 16> kQualityTable{{
    {0, 5, 0, false},        // normal
    {1, 9, 0, false},        // low
    {2, 2, 0, false},        // high
    {5, 0, 0, false},        // very high
    {3, -1, 56, true},       // voice
    {4, -1, R3MIX, false},   // r3mix
    {1000, -1, 16, true},    // phone
    {2000, -1, 24, true},    // short-wave radio
    {3000, -1, 40, true},    // AM radio
    {4000, -1, 112, false},  // FM radio
    {5000, -1, 56, true},    // voice
    {6000, -1, 112, false},  // radio
    {7000, -1, 112, false},  // tape
    {8000, -1, 160, false},  // hi-fi
    {9000, -1, 192, false},  // CD
    {10000, -1, 256, false}, // studio
}};

const QualityEntry& FindQuality(std::int32_t code) {
    const auto found =
        std::find_if(kQualityTable.begin(), kQualityTable.end(),
                     [code](const QualityEntry& entry) { return entry.code == code; });
    return found == kQualityTable.end() ? kDefaultQuality : *found;
}

constexpr std::array<MPEG_mode, 4> kModes{STEREO, JOINT_STEREO, JOINT_STEREO, MONO};
constexpr std::int32_t kForcedStereo = 2;
constexpr std::int32_t kAbrMethod = 4;

int Flag(std::int32_t value) {
    return value != 0 ? 1 : 0;
}

bool FitsInt(std::uint32_t value) {
    return value <= static_cast<std::uint32_t>(INT_MAX);
}

// Collects libmp3lame's setter results: any refusal makes the record invalid.
class Setter {
public:
    void operator()(int result) { ok_ = ok_ && result == 0; }
    bool Ok() const { return ok_; }

private:
    bool ok_ = true;
};

bool ApplyVbr(lame_global_flags* lame, const BE_CONFIG& config, Setter& set) {
    vbr_mode mode = vbr_default;
    switch (config.VbrMethod) {
    case 0:
        mode = vbr_default;
        break;
    case 1:
        mode = vbr_rh;
        break;
    case 2:
    case 3:
        mode = vbr_mtrh;
        break;
    case kAbrMethod:
        mode = vbr_abr;
        break;
    default:
        return false;
    }
    set(lame_set_VBR(lame, mode));
    set(lame_set_VBR_q(lame, config.VBRQuality));
    if (mode == vbr_abr) {
        const auto kbps = std::clamp<std::uint32_t>(config.VbrAbr_bps / 1000, 8, 320);
        set(lame_set_VBR_mean_bitrate_kbps(lame, static_cast<int>(kbps)));
    }
    set(lame_set_VBR_min_bitrate_kbps(lame, static_cast<int>(config.Bitrate)));
    if (config.MaxBitrate != 0) {
        set(lame_set_VBR_max_bitrate_kbps(lame, static_cast<int>(config.MaxBitrate)));
    }
    return true;
}

void ApplyQuality(lame_global_flags* lame, const QualityEntry& entry, Setter& set) {
    if (entry.preset == 0) {
        set(lame_set_quality(lame, entry.lameQuality));
        return;
    }
    // The presets always replaced the record's bitrates and, for the spoken-word ones, its mode.
    set(lame_set_VBR_min_bitrate_kbps(lame, 0));
    set(lame_set_VBR_max_bitrate_kbps(lame, 0));
    if (entry.mono) {
        set(lame_set_mode(lame, MONO));
        set(lame_set_force_ms(lame, 0));
    }
    // lame_set_preset answers with the preset it applied, not with a status.
    lame_set_preset(lame, entry.preset);
}

} // namespace

BE_ERR ApplyConfig(lame_global_flags* lame, const BE_CONFIG& config) {
    if (config.Mode < 0 || config.Mode >= static_cast<std::int32_t>(kModes.size()) ||
        !FitsInt(config.SampleRate) || !FitsInt(config.ReSampleRate) || !FitsInt(config.Bitrate) ||
        !FitsInt(config.MaxBitrate)) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    if (config.InputChannels > 2) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    const bool monoInput = config.InputChannels == 1;
    Setter set;
    set(lame_set_num_channels(lame, monoInput ? 1 : 2));
    set(lame_set_in_samplerate(lame, static_cast<int>(config.SampleRate)));
    if (config.ReSampleRate != 0) {
        set(lame_set_out_samplerate(lame, static_cast<int>(config.ReSampleRate)));
    }
    set(lame_set_mode(lame, monoInput ? MONO : kModes[static_cast<std::size_t>(config.Mode)]));
    set(lame_set_force_ms(lame, !monoInput && config.Mode == kForcedStereo ? 1 : 0));
    set(lame_set_extension(lame, Flag(config.Private)));
    set(lame_set_error_protection(lame, Flag(config.CRC)));
    set(lame_set_copyright(lame, Flag(config.Copyright)));
    set(lame_set_original(lame, Flag(config.Original)));
    set(lame_set_disable_reservoir(lame, Flag(config.NoRes)));
    set(lame_set_strict_ISO(lame, Flag(config.StrictIso)));
    lame_set_write_id3tag_automatic(lame, 0);

    if (config.EnableVBR != 0 && config.VbrMethod != -1) {
        if (!ApplyVbr(lame, config, set)) {
            return BE_ERR_INVALID_FORMAT_PARAMETERS;
        }
    } else {
        set(lame_set_VBR(lame, vbr_off));
        set(lame_set_brate(lame, static_cast<int>(config.Bitrate)));
    }
    ApplyQuality(lame, FindQuality(config.Quality), set);
    set(lame_set_bWriteVbrTag(lame, 1));
    return set.Ok() ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT_PARAMETERS;
}

} // namespace lameenc
