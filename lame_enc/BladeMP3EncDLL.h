// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// The lame_enc engine library's interface: LAME's published DLL entry points and records.

#include <cstddef>
#include <cstdint>

/// Marks the entry points, the only symbols the library exports.
#define LAME_ENC_API __attribute__((visibility("default")))

using DWORD = std::uint32_t;
using BE_ERR = std::uint32_t;
using HBE_STREAM = std::uintptr_t;
using BYTE = std::uint8_t;
using SHORT = std::int16_t;
using BOOL = std::int32_t;
using FLOAT = float;

/// LAME's DLL configuration record in its LHV1 form: packed, 331 bytes, little-endian.
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
    /// Ours, in the first reserved bytes: the channels of the input, 1 for mono; 0 (what every
    /// record without it holds) and 2 mean stereo. beEncodeChunk then takes that many
    /// interleaved samples per frame, and a mono input is encoded in mono, whatever Mode says.
    std::uint16_t InputChannels;
    std::uint8_t Reserved[235];
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
static_assert(offsetof(BE_CONFIG, InputChannels) == 94);
static_assert(offsetof(BE_CONFIG, Reserved) == 96);

inline constexpr BE_ERR BE_ERR_SUCCESSFUL = 0;
inline constexpr BE_ERR BE_ERR_INVALID_FORMAT = 1;
inline constexpr BE_ERR BE_ERR_INVALID_FORMAT_PARAMETERS = 2;
inline constexpr BE_ERR BE_ERR_NO_MORE_HANDLES = 3;
inline constexpr BE_ERR BE_ERR_INVALID_HANDLE = 4;
inline constexpr BE_ERR BE_ERR_BUFFER_TOO_SMALL = 5;

#pragma pack(push, 1)
struct BE_VERSION {
    BYTE byDLLMajorVersion;
    BYTE byDLLMinorVersion;
    BYTE byMajorVersion;
    BYTE byMinorVersion;
    BYTE byDay;
    BYTE byMonth;
    std::uint16_t wYear;
    char zHomepage[129];
    BYTE byAlphaLevel;
    BYTE byBetaLevel;
    BYTE byMMXEnabled;
    BYTE btReserved[125];
};
#pragma pack(pop)

static_assert(sizeof(BE_VERSION) == 265);
static_assert(offsetof(BE_VERSION, wYear) == 6);
static_assert(offsetof(BE_VERSION, zHomepage) == 8);
static_assert(offsetof(BE_VERSION, byAlphaLevel) == 137);
static_assert(offsetof(BE_VERSION, btReserved) == 140);

extern "C" {
using BEINITSTREAM = BE_ERR (*)(BE_CONFIG*, DWORD*, DWORD*, HBE_STREAM*);
using BEENCODECHUNK = BE_ERR (*)(HBE_STREAM, DWORD, SHORT*, BYTE*, DWORD*);
using BEENCODECHUNKFLOATS16NI = BE_ERR (*)(HBE_STREAM, DWORD, FLOAT*, FLOAT*, BYTE*, DWORD*);
using BEDEINITSTREAM = BE_ERR (*)(HBE_STREAM, BYTE*, DWORD*);
using BECLOSESTREAM = BE_ERR (*)(HBE_STREAM);
using BEVERSION = void (*)(BE_VERSION*);
using BEWRITEVBRHEADER = BE_ERR (*)(const char*);
using BEGETINFOFRAME = BE_ERR (*)(HBE_STREAM, BYTE*, DWORD*);

/// Opens a stream for input of config->InputChannels channels (stereo unless it says 1), at
/// SampleRate. Reports the samples (all channels) to pass per call and the output buffer bytes
/// one such call needs. 1 for a ConfigKind other than LHV1, 2 for a record libmp3lame refuses
/// (or a channel count other than 0, 1 and 2), 3 when no encoder can be created.
LAME_ENC_API BE_ERR beInitStream(BE_CONFIG* config, DWORD* samples, DWORD* bufferSize,
                                 HBE_STREAM* stream);
/// Encodes nSamples 16-bit samples (all channels, interleaved; a last frame cut short is
/// ignored). The output buffer must hold the bytes beInitStream reported, scaled by the calls'
/// size ratio.
LAME_ENC_API BE_ERR beEncodeChunk(HBE_STREAM stream, DWORD nSamples, SHORT* samples, BYTE* output,
                                  DWORD* outputBytes);
/// Encodes nSamples frames of float samples scaled to ±32768, left and right each in a buffer
/// of its own (right is not read for a mono stream and may be null then). Samples beyond full
/// scale are encoded as they are, never wrapped round. The output buffer as for beEncodeChunk,
/// counting a frame as two samples.
LAME_ENC_API BE_ERR beEncodeChunkFloatS16NI(HBE_STREAM stream, DWORD nSamples, FLOAT* left,
                                            FLOAT* right, BYTE* output, DWORD* outputBytes);
/// Delivers the stream's last MP3 data; later calls deliver nothing.
LAME_ENC_API BE_ERR beDeinitStream(HBE_STREAM stream, BYTE* output, DWORD* outputBytes);
/// Closes the stream, keeping its info frame for beWriteVBRHeader unless beGetInfoFrame gave it.
LAME_ENC_API BE_ERR beCloseStream(HBE_STREAM stream);
LAME_ENC_API void beVersion(BE_VERSION* version);
/// Writes the info frame of a closed stream over the frame it reserved at the start of path.
/// 4 when no closed stream holds an info frame, 1 when path is not the output of one, 2 when
/// the file cannot be read or written.
LAME_ENC_API BE_ERR beWriteVBRHeader(const char* path);
/// Ours, beside the published six: copies the info frame of a stream after beDeinitStream and
/// before beCloseStream, for the caller to write over the first *frameBytes bytes of the
/// stream's output (the frame every stream reserves there). frame holds *frameBytes bytes; on
/// success *frameBytes is the frame's size, 0 for a stream whose frames are too small to hold
/// one (constant low bitrates at high rates). 4 for an unknown handle, 5 with the size needed
/// in *frameBytes when it does not fit, 2 before beDeinitStream.
LAME_ENC_API BE_ERR beGetInfoFrame(HBE_STREAM stream, BYTE* frame, DWORD* frameBytes);
}
