// SPDX-License-Identifier: GPL-3.0-or-later
#include "BladeMP3EncDLL.h"

#include "EngineStream.h"
#include "InfoFrameStore.h"
#include "StreamTable.h"

#include <lame/lame.h>

#include <cstring>
#include <new>

// No exception may leave an entry point: the callers are C.

namespace {

constexpr BYTE kDllMajorVersion = 1;
constexpr BYTE kDllMinorVersion = 32;

// The library's build date, from __DATE__ ("Mmm dd yyyy").
constexpr int BuildMonth() {
    constexpr const char* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    for (int month = 0; month < 12; ++month) {
        if (__DATE__[0] == months[3 * month] && __DATE__[1] == months[3 * month + 1] &&
            __DATE__[2] == months[3 * month + 2]) {
            return month + 1;
        }
    }
    return 0;
}

constexpr int BuildDay() {
    return (__DATE__[4] == ' ' ? 0 : __DATE__[4] - '0') * 10 + (__DATE__[5] - '0');
}

constexpr int BuildYear() {
    return ((__DATE__[7] - '0') * 1000) + ((__DATE__[8] - '0') * 100) + ((__DATE__[9] - '0') * 10) +
           (__DATE__[10] - '0');
}

} // namespace

extern "C" {

BE_ERR beInitStream(BE_CONFIG* config, DWORD* samples, DWORD* bufferSize, HBE_STREAM* stream) {
    if (config == nullptr || samples == nullptr || bufferSize == nullptr || stream == nullptr) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
    *samples = 0;
    *bufferSize = 0;
    *stream = 0;
    // Only the kind is read before it is known that the record is an LHV1 one.
    if (config->ConfigKind != BE_CONFIG_LAME) {
        return BE_ERR_INVALID_FORMAT;
    }
    BE_CONFIG record;
    std::memcpy(&record, config, sizeof record);
    try {
        auto engine = std::make_shared<lameenc::EngineStream>();
        DWORD frameSamples = 0;
        DWORD minimumBytes = 0;
        if (const BE_ERR status = engine->Open(record, &frameSamples, &minimumBytes);
            status != BE_ERR_SUCCESSFUL) {
            return status;
        }
        *stream = lameenc::StreamTable::Instance().Add(std::move(engine));
        *samples = frameSamples;
        *bufferSize = minimumBytes;
        return BE_ERR_SUCCESSFUL;
    } catch (const std::bad_alloc&) {
        return BE_ERR_NO_MORE_HANDLES;
    }
}

BE_ERR beEncodeChunk(HBE_STREAM stream, DWORD nSamples, SHORT* samples, BYTE* output,
                     DWORD* outputBytes) {
    const auto engine = lameenc::StreamTable::Instance().Find(stream);
    if (engine == nullptr) {
        return BE_ERR_INVALID_HANDLE;
    }
    return engine->Encode(nSamples, samples, output, outputBytes);
}

BE_ERR beEncodeChunkFloatS16NI(HBE_STREAM stream, DWORD nSamples, FLOAT* left, FLOAT* right,
                               BYTE* output, DWORD* outputBytes) {
    const auto engine = lameenc::StreamTable::Instance().Find(stream);
    if (engine == nullptr) {
        return BE_ERR_INVALID_HANDLE;
    }
    return engine->EncodeFloat(nSamples, left, right, output, outputBytes);
}

BE_ERR beDeinitStream(HBE_STREAM stream, BYTE* output, DWORD* outputBytes) {
    const auto engine = lameenc::StreamTable::Instance().Find(stream);
    if (engine == nullptr) {
        return BE_ERR_INVALID_HANDLE;
    }
    return engine->Flush(output, outputBytes);
}

BE_ERR beCloseStream(HBE_STREAM stream) {
    const auto engine = lameenc::StreamTable::Instance().Remove(stream);
    if (engine == nullptr) {
        return BE_ERR_INVALID_HANDLE;
    }
    try {
        if (auto info = engine->FinishedInfoFrame()) {
            lameenc::InfoFrameStore::Instance().Keep(std::move(*info));
        }
    } catch (const std::bad_alloc&) {
        // The stream is closed all the same; its info frame is lost and beWriteVBRHeader says so.
    }
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beGetInfoFrame(HBE_STREAM stream, BYTE* frame, DWORD* frameBytes) {
    const auto engine = lameenc::StreamTable::Instance().Find(stream);
    if (engine == nullptr) {
        return BE_ERR_INVALID_HANDLE;
    }
    return engine->CopyInfoFrame(frame, frameBytes);
}

void beVersion(BE_VERSION* version) {
    if (version == nullptr) {
        return;
    }
    std::memset(version, 0, sizeof *version);
    lame_version_t engine{};
    get_lame_version_numerical(&engine);
    version->byDLLMajorVersion = kDllMajorVersion;
    version->byDLLMinorVersion = kDllMinorVersion;
    version->byMajorVersion = static_cast<BYTE>(engine.major);
    version->byMinorVersion = static_cast<BYTE>(engine.minor);
    version->byDay = static_cast<BYTE>(BuildDay());
    version->byMonth = static_cast<BYTE>(BuildMonth());
    version->wYear = static_cast<std::uint16_t>(BuildYear());
    std::strncpy(version->zHomepage, get_lame_url(), sizeof version->zHomepage - 1);
    version->byAlphaLevel = static_cast<BYTE>(engine.alpha);
    version->byBetaLevel = static_cast<BYTE>(engine.beta);
#if defined(__MMX__)
    version->byMMXEnabled = 1;
#endif
}

BE_ERR beWriteVBRHeader(const char* path) {
    try {
        return lameenc::InfoFrameStore::Instance().WriteInto(path);
    } catch (const std::bad_alloc&) {
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    }
}

} // extern "C"
