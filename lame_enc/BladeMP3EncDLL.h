// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// The lame_enc engine library's interface: LAME's published DLL entry points and records.

#include "settings/BE_CONFIG.h"

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
using BEDEINITSTREAM = BE_ERR (*)(HBE_STREAM, BYTE*, DWORD*);
using BECLOSESTREAM = BE_ERR (*)(HBE_STREAM);
using BEVERSION = void (*)(BE_VERSION*);
using BEWRITEVBRHEADER = BE_ERR (*)(const char*);
using BEGETINFOFRAME = BE_ERR (*)(HBE_STREAM, BYTE*, DWORD*);

/// Opens a stream for 16-bit interleaved stereo input. Reports the samples (all channels) to
/// pass per call and the output buffer bytes one such call needs. 1 for a ConfigKind other than
/// LHV1, 2 for a record libmp3lame refuses, 3 when no encoder can be created.
LAME_ENC_API BE_ERR beInitStream(BE_CONFIG* config, DWORD* samples, DWORD* bufferSize,
                                 HBE_STREAM* stream);
/// Encodes nSamples 16-bit samples (all channels; an odd last one is ignored). The output
/// buffer must hold the bytes beInitStream reported, scaled by the calls' size ratio.
LAME_ENC_API BE_ERR beEncodeChunk(HBE_STREAM stream, DWORD nSamples, SHORT* samples, BYTE* output,
                                  DWORD* outputBytes);
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
