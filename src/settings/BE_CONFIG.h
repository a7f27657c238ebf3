// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

/// LAME's DLL configuration record in its LHV1 form: packed, 331 bytes, little-endian.
/// Shared by the program's settings and the lame_enc engine library.

inline constexpr std::uint32_t BE_CONFIG_LAME = 256; ///< ConfigKind of the LHV1 form
inline constexpr std::uint32_t CURRENT_STRUCT_VERSION = 1;
inline constexpr std::uint32_t CURRENT_STRUCT_SIZE = 331;

#pragma pack(push, 1)
struct BE_CONFIG {
    std::uint32_t ConfigKind;    ///< 256 selects LHV1
    std::uint32_t StructVersion; ///< 1
    std::uint32_t StructSize;    ///< 331
    std::uint32_t SampleRate;    ///< input rate in Hz; 0 = the rate of each input file
    std::uint32_t ReSampleRate;  ///< output rate; 0 = the encoder decides
    std::int32_t Mode;           ///< 0 stereo, 1 joint stereo, 2 forced stereo, 3 mono
    std::uint32_t Bitrate;       ///< kbit/s: constant bitrate, or the VBR minimum
    std::uint32_t MaxBitrate;    ///< kbit/s: VBR maximum
    std::int32_t Quality;        ///< quality preset code (QualityCodes.h)
    std::uint32_t MpegVersion;   ///< 1 MPEG-1, 0 MPEG-2
    std::uint32_t PsyModel;
    std::uint32_t Emphasis;
    std::int32_t Private;
    std::int32_t CRC;
    std::int32_t Copyright;
    std::int32_t Original;
    std::int32_t WriteVBRHeader;
    std::int32_t EnableVBR;
    std::int32_t VBRQuality;  ///< 0 best … 9 worst
    std::uint32_t VbrAbr_bps; ///< ABR average in bit/s
    std::int32_t VbrMethod;   ///< -1 none, 0 default, 1 old, 2 new, 3 MTRH, 4 ABR
    std::int32_t NoRes;       ///< 1 disables the bit reservoir
    std::int32_t StrictIso;
    std::uint16_t QualityWord;
    std::uint8_t Reserved[237];
};
#pragma pack(pop)

static_assert(sizeof(BE_CONFIG) == 331);
static_assert(offsetof(BE_CONFIG, ConfigKind) == 0);
static_assert(offsetof(BE_CONFIG, StructVersion) == 4);
static_assert(offsetof(BE_CONFIG, StructSize) == 8);
static_assert(offsetof(BE_CONFIG, SampleRate) == 12);
static_assert(offsetof(BE_CONFIG, ReSampleRate) == 16);
static_assert(offsetof(BE_CONFIG, Mode) == 20);
static_assert(offsetof(BE_CONFIG, Bitrate) == 24);
static_assert(offsetof(BE_CONFIG, MaxBitrate) == 28);
static_assert(offsetof(BE_CONFIG, Quality) == 32);
static_assert(offsetof(BE_CONFIG, MpegVersion) == 36);
static_assert(offsetof(BE_CONFIG, PsyModel) == 40);
static_assert(offsetof(BE_CONFIG, Emphasis) == 44);
static_assert(offsetof(BE_CONFIG, Private) == 48);
static_assert(offsetof(BE_CONFIG, CRC) == 52);
static_assert(offsetof(BE_CONFIG, Copyright) == 56);
static_assert(offsetof(BE_CONFIG, Original) == 60);
static_assert(offsetof(BE_CONFIG, WriteVBRHeader) == 64);
static_assert(offsetof(BE_CONFIG, EnableVBR) == 68);
static_assert(offsetof(BE_CONFIG, VBRQuality) == 72);
static_assert(offsetof(BE_CONFIG, VbrAbr_bps) == 76);
static_assert(offsetof(BE_CONFIG, VbrMethod) == 80);
static_assert(offsetof(BE_CONFIG, NoRes) == 84);
static_assert(offsetof(BE_CONFIG, StrictIso) == 88);
static_assert(offsetof(BE_CONFIG, QualityWord) == 92);
static_assert(offsetof(BE_CONFIG, Reserved) == 94);
