// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in engine library that lacks beWriteVBRHeader and beGetInfoFrame. It passes the samples through as its
// "MP3" data and ends every stream with the bytes "FLSH", so a test sees exactly what the job
// handed over and wrote. Its minimum output buffer is the record's MaxBitrate in KiB (4 KiB
// when 0), so a test can make it ask for more than any sane buffer.

#include "lame_enc/BladeMP3EncDLL.h"

#include <cstring>

namespace {

constexpr DWORD kSamplesPerCall = 1024;
constexpr HBE_STREAM kStream = 1;
constexpr char kFlushMark[] = "FLSH";

} // namespace

extern "C" {

BE_ERR beInitStream(BE_CONFIG* config, DWORD* samples, DWORD* bufferSize, HBE_STREAM* stream) {
    if (config->ConfigKind != BE_CONFIG_LAME) {
        return BE_ERR_INVALID_FORMAT;
    }
    *samples = kSamplesPerCall;
    *bufferSize = (config->MaxBitrate != 0 ? config->MaxBitrate : 4) * 1024;
    *stream = kStream;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM stream, DWORD nSamples, SHORT* samples, BYTE* output,
                     DWORD* outputBytes) {
    if (stream != kStream) {
        return BE_ERR_INVALID_HANDLE;
    }
    std::memcpy(output, samples, nSamples * sizeof(SHORT));
    *outputBytes = nSamples * sizeof(SHORT);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM stream, BYTE* output, DWORD* outputBytes) {
    if (stream != kStream) {
        return BE_ERR_INVALID_HANDLE;
    }
    std::memcpy(output, kFlushMark, sizeof kFlushMark - 1);
    *outputBytes = sizeof kFlushMark - 1;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beCloseStream(HBE_STREAM stream) {
    return stream == kStream ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}

void beVersion(BE_VERSION* version) {
    std::memset(version, 0, sizeof *version);
    version->byDLLMajorVersion = 1;
    version->byDLLMinorVersion = 32;
    version->byMajorVersion = 9;
    version->byMinorVersion = 87;
}

} // extern "C"
