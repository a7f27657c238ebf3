// SPDX-License-Identifier: GPL-3.0-or-later
#include "CLameDll.h"

#include "lame_enc/BladeMP3EncDLL.h"
#include "platform/Format.h"

#include <algorithm>
#include <limits>
#include <new>

struct CLameDll::Entries {
    BEINITSTREAM initStream = nullptr;
    BEENCODECHUNK encodeChunk = nullptr;
    BEENCODECHUNKFLOATS16NI encodeChunkFloat = nullptr;
    BEDEINITSTREAM deinitStream = nullptr;
    BECLOSESTREAM closeStream = nullptr;
    BEVERSION version = nullptr;
    BEGETINFOFRAME getInfoFrame = nullptr;
};

namespace {

template <typename Entry> Entry Resolve(const CDllLoader& loader, const char* name) {
    return reinterpret_cast<Entry>(loader.GetEntry(name));
}

} // namespace

CLameDll::CLameDll() : entries_(std::make_unique<Entries>()) {}

CLameDll::~CLameDll() {
    CloseStream();
}

bool CLameDll::LoadLame(const std::string& fileName) {
    // A stream belongs to the library about to be unloaded.
    CloseStream();
    *entries_ = Entries{};
    if (!Load(fileName)) {
        return false;
    }
    entries_->initStream = Resolve<BEINITSTREAM>(*this, "beInitStream");
    entries_->encodeChunk = Resolve<BEENCODECHUNK>(*this, "beEncodeChunk");
    entries_->encodeChunkFloat = Resolve<BEENCODECHUNKFLOATS16NI>(*this, "beEncodeChunkFloatS16NI");
    entries_->deinitStream = Resolve<BEDEINITSTREAM>(*this, "beDeinitStream");
    entries_->closeStream = Resolve<BECLOSESTREAM>(*this, "beCloseStream");
    entries_->version = Resolve<BEVERSION>(*this, "beVersion");
    entries_->getInfoFrame = Resolve<BEGETINFOFRAME>(*this, "beGetInfoFrame");
    return entries_->initStream != nullptr;
}

std::uint32_t CLameDll::InitStream(BE_CONFIG* config, std::uint32_t* outputBufferBytes,
                                   std::uint32_t multiplier) {
    if (outputBufferBytes == nullptr || config == nullptr) {
        return kLameStatusMissingArgument;
    }
    if (CloseStream() != 0) {
        return kLameStatusCannotClose;
    }
    stream_ = 0;
    chunkBytes_ = 0;
    chunkFrames_ = 0;
    *outputBufferBytes = 0;
    if (entries_->initStream == nullptr) {
        return kLameStatusMissingArgument;
    }
    DWORD samples = 0;
    DWORD minimumBytes = 0;
    HBE_STREAM stream = 0;
    const BE_ERR status = entries_->initStream(config, &samples, &minimumBytes, &stream);
    if (status != BE_ERR_SUCCESSFUL) {
        return status;
    }
    stream_ = stream;
    // Sizes the library reports are not trusted to stay within 32 bits once multiplied.
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint32_t>::max();
    const std::uint64_t chunkSamples = std::uint64_t{samples} * multiplier;
    const std::uint64_t outputBytes = std::uint64_t{minimumBytes} * multiplier;
    if (chunkSamples == 0 || chunkSamples * 2 > kMax || outputBytes > kMax) {
        return kLameStatusNoBuffer;
    }
    try {
        inputBuffer_.assign(chunkSamples, 0);
    } catch (const std::bad_alloc&) {
        return kLameStatusNoBuffer;
    }
    *outputBufferBytes = static_cast<std::uint32_t>(outputBytes);
    chunkBytes_ = static_cast<std::uint32_t>(chunkSamples * 2);
    chunkFrames_ = static_cast<std::uint32_t>(chunkSamples / (config->InputChannels == 1 ? 1 : 2));
    return 0;
}

bool CLameDll::ReadChunk(WaveInput& input, std::uint32_t* bytesRead) {
    if (bytesRead == nullptr || inputBuffer_.empty() || chunkBytes_ == 0) {
        return false;
    }
    // The WAVE data is little-endian 16-bit, as this platform's own samples are.
    *bytesRead = static_cast<std::uint32_t>(input.Read(inputBuffer_.data(), chunkBytes_));
    return *bytesRead > 0;
}

std::uint32_t CLameDll::EncodeChunk(std::uint32_t bytes, std::uint8_t* output,
                                    std::uint32_t* outputBytes) {
    if (output == nullptr || outputBytes == nullptr || entries_->encodeChunk == nullptr) {
        return kLameStatusMissingArgument;
    }
    // Never more than the buffer holds, whatever the caller claims.
    const std::uint32_t samples = std::min(bytes, chunkBytes_) >> 1;
    return entries_->encodeChunk(stream_, samples, inputBuffer_.data(), output, outputBytes);
}

std::uint32_t CLameDll::EncodeFloatChunk(std::uint32_t frames, float* left, float* right,
                                         std::uint8_t* output, std::uint32_t* outputBytes) {
    if (output == nullptr || outputBytes == nullptr || entries_->encodeChunkFloat == nullptr) {
        return kLameStatusMissingArgument;
    }
    return entries_->encodeChunkFloat(stream_, std::min(frames, chunkFrames_), left, right, output,
                                      outputBytes);
}

std::uint32_t CLameDll::FlushStream(std::uint8_t* output, std::uint32_t* outputBytes) {
    if (output == nullptr || outputBytes == nullptr || entries_->deinitStream == nullptr) {
        return kLameStatusMissingArgument;
    }
    return entries_->deinitStream(stream_, output, outputBytes);
}

std::uint32_t CLameDll::CloseStream() {
    if (stream_ == 0) {
        return 0;
    }
    inputBuffer_.clear();
    inputBuffer_.shrink_to_fit();
    const std::uint32_t status = entries_->closeStream != nullptr ? entries_->closeStream(stream_)
                                                                  : kLameStatusMissingArgument;
    if (status == 0) {
        stream_ = 0;
        chunkBytes_ = 0;
        chunkFrames_ = 0;
    }
    return status;
}

void CLameDll::GetVersionText(std::string& text) {
    text.clear();
    if (entries_->version == nullptr) {
        return;
    }
    BE_VERSION version{};
    entries_->version(&version);
    text = platform::Format("Lame DLL ver %d.%d", version.byMajorVersion, version.byMinorVersion);
}

std::uint32_t CLameDll::GetInfoFrame(std::uint8_t* frame, std::uint32_t* frameBytes) {
    if (frame == nullptr || frameBytes == nullptr) {
        return kLameStatusMissingArgument;
    }
    if (entries_->getInfoFrame == nullptr) {
        *frameBytes = 0;
        return 0;
    }
    return entries_->getInfoFrame(stream_, frame, frameBytes);
}
