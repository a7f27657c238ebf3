// SPDX-License-Identifier: GPL-3.0-or-later
#include "CMP3EncodeThread.h"

#include "audio/WaveReader.h"
#include "encoders/JobMessages.h"
#include "platform/MessageBox.h"
#include "tags/CID3TagFile.h"
#include "tags/CID3v2Tag.h"

#include <cstring>
#include <memory>
#include <new>
#include <thread>

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

// The encoder must be told the input's true rate: a fixed rate that differs from it would
// play the file back at the wrong speed, so it becomes the output rate instead.
void CompleteForInput(BE_CONFIG& config, std::uint32_t inputRate) {
    if (IsAcceptedSampleRate(config.SampleRate) && config.SampleRate != inputRate &&
        config.ReSampleRate == 0) {
        config.ReSampleRate = config.SampleRate;
    }
    config.SampleRate = inputRate;
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
    CompleteForInput(config, input.Format().samplesPerSec);
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
    return JobEnd::Converted;
}

CMP3EncodeThread::JobEnd CMP3EncodeThread::Stream(WaveInput& input,
                                                  platform::AtomicFileWriter& output,
                                                  std::uint8_t* buffer, std::uint32_t bufferBytes) {
    // The tag goes ahead of the audio, so that the file is written in order.
    std::uint64_t streamStart = 0;
    if (Input().Id3v2) {
        const std::string tag = CID3v2Tag::Render(Input().Item);
        if (!tag.empty() && !output.Write(tag)) {
            return JobEnd::WriteFailed;
        }
        streamStart = tag.size();
    }
    std::uint32_t bytes = 0;
    std::uint32_t produced = 0;
    while (lame_.ReadChunk(input, &bytes)) {
        if (StopWasRequested()) {
            // What the stream still holds is not written: the output goes away.
            lame_.FlushStream(buffer, &produced);
            return JobEnd::Stopped;
        }
        std::this_thread::yield();
        if (lame_.EncodeChunk(bytes, buffer, &produced) != 0 || produced > bufferBytes) {
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
