// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMP3EncodeThread.h"

#include "audio/ChannelMap.h"
#include "audio/WaveReader.h"
#include "encoders/JobMessages.h"
#include "encoders/Mp3ReplayGainWriter.h"
#include "platform/MessageBox.h"
#include "tags/CID3TagFile.h"
#include "tags/CID3v2Tag.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <thread>
#include <utility>

namespace {

constexpr const char* kLameLibrary = "lame_enc.dll";
constexpr const char* kLameMissing = "lame_enc.dllが読込めませんでした";
constexpr const char* kLameMissingTitle = "Information";
constexpr const char* kInitFailed = "LAME_ENC.DLLの初期化に失敗しました\n"
                                    "申し訳ありませんが、作成者までメールをお願いいたします";
constexpr const char* kBufferFailed = "バッファの割当に失敗しました\n"
                                      "申し訳ありませんが、作成者までメールをお願いいたします";

// Each read is this many times the samples the library asks for per call.
constexpr std::uint32_t kChunkMultiplier = 8;
// A real engine asks for tens of kilobytes; a demand far beyond that is the library's fault
// and is treated as a buffer that cannot be had.
constexpr std::uint32_t kMaxOutputBufferBytes = 64u << 20;

// Full scale of the samples beEncodeChunkFloatS16NI takes.
constexpr float kFloatScale = 32768.0f;

// The encoder must be told the input's true rate: a fixed rate that differs from it would
// play the file back at the wrong speed, so it becomes the output rate instead. More than two
// channels reach it mixed to stereo.
void CompleteForInput(BE_CONFIG& config, const SampleFormat& format) {
    if (IsAcceptedSampleRate(config.SampleRate) && config.SampleRate != format.Rate &&
        config.ReSampleRate == 0) {
        config.ReSampleRate = config.SampleRate;
    }
    config.SampleRate = format.Rate;
    config.InputChannels = format.Channels == 1 ? 1 : 2;
}

// Records loaded from a file lack the header; the library needs it.
void StampHeader(BE_CONFIG& config) {
    config.ConfigKind = BE_CONFIG_LAME;
    config.StructVersion = CURRENT_STRUCT_VERSION;
    config.StructSize = CURRENT_STRUCT_SIZE;
}

struct FreeBuffer {
    void operator()(std::uint8_t* buffer) const { delete[] buffer; }
};

} // namespace

CMP3EncodeThread::~CMP3EncodeThread() {
    StopAndWait();
}

bool CMP3EncodeThread::Prepare() {
    if (lame_.LoadLame(kLameLibrary)) {
        return true;
    }
    platform::MessageBox::Show(kLameMissing, kLameMissingTitle, platform::MessageIcon::Information);
    return false;
}

CMP3EncodeThread::JobEnd CMP3EncodeThread::Encode(WaveInput& input,
                                                  platform::AtomicFileWriter& output) {
    BE_CONFIG config = Input().LameParm;
    StampHeader(config);
    CompleteForInput(config, input.Format());
    const SampleFormat& format = input.Format();
    // The engine's own 16-bit entry point keeps the outputs of 16-bit files as they have been.
    sixteenBit_ = format.IsSixteenBit() && format.Channels <= 2;
    inputChannels_ = format.Channels;
    gains_ = ChannelMap(format).Downmix();
    meter_.reset();
    if (Input().ReplayGain) {
        meter_ = std::make_unique<LoudnessMeter>(format.Channels == 1 ? 1 : 2, format.Rate);
    }
    std::uint32_t bufferBytes = 0;
    JobEnd end = JobEnd::Failed;
    if (lame_.InitStream(&config, &bufferBytes, kChunkMultiplier) != 0) {
        ShowJobError(kInitFailed);
    } else {
        std::unique_ptr<std::uint8_t[], FreeBuffer> buffer(
            bufferBytes <= kMaxOutputBufferBytes ? new (std::nothrow) std::uint8_t[bufferBytes]()
                                                 : nullptr);
        if (buffer == nullptr) {
            ShowJobError(kBufferFailed);
        } else {
            end = Stream(input, output, buffer.get(), bufferBytes);
        }
    }
    lame_.CloseStream();
    if (end == JobEnd::Converted && meter_ != nullptr) {
        KeepReplayGain(std::move(meter_),
                       std::make_unique<Mp3ReplayGainWriter>(Input().Item, tagBytes_,
                                                             std::move(infoFrame_), tagBytes_));
    }
    return end == JobEnd::Converted ? Finish(output) : end;
}

// The item's ID3v1 record ends the file.
CMP3EncodeThread::JobEnd CMP3EncodeThread::Finish(platform::AtomicFileWriter& output) {
    const EncodeItem& item = Input().Item;
    const CID3TagFile tagFile;
    unsigned char record[CID3TagFile::kRecordSize];
    tagFile.MakeRecord(record, item.Title, item.Artist, item.Album, item.Year, item.Comment,
                       item.Genre);
    // The file is new: the record is appended, whatever its last bytes happen to be.
    return output.Write(record, sizeof record) ? JobEnd::Converted : JobEnd::WriteFailed;
}

// The stream's info frame (its length, encoder delay and padding, which gapless players need)
// goes over the frame the engine reserved at the stream's start, through the open file: the
// working file may have no usable path.
CMP3EncodeThread::JobEnd CMP3EncodeThread::FillInfoFrame(platform::AtomicFileWriter& output,
                                                         std::uint64_t streamStart,
                                                         std::uint8_t* buffer,
                                                         std::uint32_t bufferBytes) {
    std::uint32_t frameBytes = bufferBytes;
    if (lame_.GetInfoFrame(buffer, &frameBytes) != 0 || frameBytes > bufferBytes) {
        ShowJobError(kInitFailed);
        return JobEnd::Failed;
    }
    if (frameBytes != 0 && !output.WriteAt(streamStart, buffer, frameBytes)) {
        return JobEnd::WriteFailed;
    }
    // Kept for the values, which go into its fields once they are known.
    if (meter_ != nullptr) {
        infoFrame_.assign(buffer, buffer + frameBytes);
    }
    return JobEnd::Converted;
}

CMP3EncodeThread::JobEnd CMP3EncodeThread::Stream(WaveInput& input,
                                                  platform::AtomicFileWriter& output,
                                                  std::uint8_t* buffer, std::uint32_t bufferBytes) {
    // The tag goes ahead of the audio, so that the file is written in order.
    tagBytes_ = 0;
    if (Input().Id3v2) {
        // With ReplayGain there is a tag even for an item without texts, to hold the values.
        const std::string tag = meter_ != nullptr ? CID3v2Tag::Render(Input().Item, {}, 0)
                                                  : CID3v2Tag::Render(Input().Item);
        if (!tag.empty() && !output.Write(tag)) {
            return JobEnd::WriteFailed;
        }
        tagBytes_ = tag.size();
    }
    const std::uint64_t streamStart = tagBytes_;
    std::uint32_t bytes = 0;
    std::uint32_t produced = 0;
    while (ReadChunk(input, bytes)) {
        if (StopWasRequested()) {
            // What the stream still holds is not written: the output goes away.
            lame_.FlushStream(buffer, &produced);
            return JobEnd::Stopped;
        }
        std::this_thread::yield();
        const std::uint32_t status = EncodeChunk(bytes, buffer, &produced);
        Measure(bytes);
        if (status != 0 || produced > bufferBytes) {
            ShowJobError(kInitFailed);
            return JobEnd::Failed;
        }
        if (!output.Write(buffer, produced)) {
            return JobEnd::WriteFailed;
        }
        Bar().OffsetPos(bytes);
        std::this_thread::yield();
    }
    if (input.Failed()) {
        return JobEnd::ReadFailed;
    }
    if (lame_.FlushStream(buffer, &produced) != 0 || produced > bufferBytes) {
        ShowJobError(kInitFailed);
        return JobEnd::Failed;
    }
    if (produced != 0 && !output.Write(buffer, produced)) {
        return JobEnd::WriteFailed;
    }
    return FillInfoFrame(output, streamStart, buffer, bufferBytes);
}

bool CMP3EncodeThread::ReadChunk(WaveInput& input, std::uint32_t& bytes) {
    if (sixteenBit_) {
        return lame_.ReadChunk(input, &bytes);
    }
    bytes = static_cast<std::uint32_t>(block_.Read(input) * input.Format().FrameBytes());
    return bytes > 0;
}

std::uint32_t CMP3EncodeThread::EncodeChunk(std::uint32_t bytes, std::uint8_t* buffer,
                                            std::uint32_t* produced) {
    if (sixteenBit_) {
        return lame_.EncodeChunk(bytes, buffer, produced);
    }
    MixBlock();
    return lame_.EncodeFloatChunk(static_cast<std::uint32_t>(block_.Frames()), left_.data(),
                                  right_.data(), buffer, produced);
}

// Left and right at the engine's scale; more channels are mixed down by their speakers.
void CMP3EncodeThread::MixBlock() {
    const std::size_t frames = block_.Frames();
    if (inputChannels_ <= 2) {
        const float* left = block_.Channel(0);
        const float* right = block_.Channel(inputChannels_ - 1);
        for (std::size_t i = 0; i < frames; ++i) {
            left_[i] = left[i] * kFloatScale;
            right_[i] = right[i] * kFloatScale;
        }
        return;
    }
    std::fill_n(left_.begin(), frames, 0.0f);
    std::fill_n(right_.begin(), frames, 0.0f);
    for (std::size_t channel = 0; channel < inputChannels_; ++channel) {
        const float* samples = block_.Channel(channel);
        const float toLeft = gains_.Left[channel] * kFloatScale;
        const float toRight = gains_.Right[channel] * kFloatScale;
        for (std::size_t i = 0; i < frames; ++i) {
            left_[i] += samples[i] * toLeft;
            right_[i] += samples[i] * toRight;
        }
    }
}

// What the engine was handed: 16-bit frames as read, or the mixed float frames.
void CMP3EncodeThread::Measure(std::uint32_t bytes) {
    if (meter_ == nullptr) {
        return;
    }
    if (sixteenBit_) {
        meter_->AddInterleaved(lame_.InputSamples(), bytes / 2 / inputChannels_);
        return;
    }
    const float* planes[] = {left_.data(), right_.data()};
    meter_->AddPlanar(planes, block_.Frames(), 1.0f / kFloatScale);
}
