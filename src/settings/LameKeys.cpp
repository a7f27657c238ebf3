// SPDX-License-Identifier: GPL-3.0-or-later
#include "LameKeys.h"

#include "IniValues.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>

namespace {

struct LameKey {
    std::string_view key; // including the '='
    std::size_t offset;   // every stored field is 32 bits wide
};

// File order. BE_CONFIG is packed, so fields are reached by offset and memcpy rather than by
// reference.
constexpr std::array<LameKey, 19> kLameKeys = {{
    {"SampleRate=", offsetof(BE_CONFIG, SampleRate)},
    {"ReSampleRate=", offsetof(BE_CONFIG, ReSampleRate)},
    {"Mode=", offsetof(BE_CONFIG, Mode)},
    {"Bitrate=", offsetof(BE_CONFIG, Bitrate)},
    {"MaxBitrate=", offsetof(BE_CONFIG, MaxBitrate)},
    {"Quality=", offsetof(BE_CONFIG, Quality)},
    {"MpegVersion=", offsetof(BE_CONFIG, MpegVersion)},
    {"PsyModel=", offsetof(BE_CONFIG, PsyModel)},
    {"Emphasis=", offsetof(BE_CONFIG, Emphasis)},
    {"Private=", offsetof(BE_CONFIG, Private)},
    {"CRC=", offsetof(BE_CONFIG, CRC)},
    {"Copyright=", offsetof(BE_CONFIG, Copyright)},
    {"Original=", offsetof(BE_CONFIG, Original)},
    {"WriteVBRHeader=", offsetof(BE_CONFIG, WriteVBRHeader)},
    {"EnableVBR=", offsetof(BE_CONFIG, EnableVBR)},
    {"VBRQuality=", offsetof(BE_CONFIG, VBRQuality)},
    {"VbrAbr_bps=", offsetof(BE_CONFIG, VbrAbr_bps)},
    {"VbrMethod=", offsetof(BE_CONFIG, VbrMethod)},
    {"NoRes=", offsetof(BE_CONFIG, NoRes)},
}};

constexpr std::int32_t kLowestVbrMethod = -1;
constexpr std::int32_t kHighestVbrMethod = 4;

} // namespace

bool ReadLameKeys(std::string_view line, BE_CONFIG& config) {
    const auto split = SplitIniLine(TrimIniLine(line));
    return split && ReadLameKeys(*split, config);
}

bool ReadLameKeys(const IniKeyValue& line, BE_CONFIG& config) {
    for (const LameKey& entry : kLameKeys) {
        if (line.key != entry.key) {
            continue;
        }
        const std::int32_t value = ParseIniInt(line.value);
        if (entry.offset == offsetof(BE_CONFIG, VbrMethod) &&
            (value < kLowestVbrMethod || value > kHighestVbrMethod)) {
            return true;
        }
        std::memcpy(reinterpret_cast<unsigned char*>(&config) + entry.offset, &value, sizeof value);
        return true;
    }
    return false;
}

void WriteLameKeys(std::string& out, const BE_CONFIG& config) {
    for (const LameKey& entry : kLameKeys) {
        // Unsigned fields are written as signed decimals too, so 4294967295 reads back whole.
        std::int32_t value = 0;
        std::memcpy(&value, reinterpret_cast<const unsigned char*>(&config) + entry.offset,
                    sizeof value);
        char digits[16];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        out += '\t';
        out += entry.key;
        out.append(digits, result.ptr);
        AppendIniLineEnd(out);
    }
}
