#include "CMP3EncodeThread.h"

#include "audio/WaveReader.h"
#include "encoders/JobMessages.h"
#include "platform/Format.h"
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

// Records loaded from a file lack the header; the library needs it. Stamped by the starting
// thread, and only where it is missing: jobs running side by side read the shared record, and
// none of them may write it.
void StampHeader(BE_CONFIG& parm) {
    if (parm.ConfigKind != BE_CONFIG_LAME) {
        parm.ConfigKind = BE_CONFIG_LAME;
    }
    if (parm.StructVersion != CURRENT_STRUCT_VERSION) {
        parm.StructVersion = CURRENT_STRUCT_VERSION;
    }
    if (parm.StructSize != CURRENT_STRUCT_SIZE) {
        parm.StructSize = CURRENT_STRUCT_SIZE;
    }
}

struct FreeBuffer {
    void operator()(std::uint8_t* buffer) const { delete[] buffer; }
};

} // namespace

CMP3EncodeThread::~CMP3EncodeThread() {
    StopAndWait();
}

bool CMP3EncodeThread::BeginEncode(INotifyTarget* notify, BE_CONFIG* parm, const EncodeItem* item,
                                   IProgressBar* bar, const std::string& inPath,
                                   const std::string& outPath, bool id3v2) {
    if (parm == nullptr || bar == nullptr || GetState() == Running) {
        return false;
    }
    // A stopped run may still be winding down inside the library about to be reloaded.
    StopAndWait();
    StampHeader(*parm);
    parm_ = parm;
    item_ = item;
    bar_ = bar;
    inPath_ = inPath;
    outPath_ = outPath;
    id3v2_ = id3v2;
    if (!lame_.LoadLame(kLameLibrary)) {
        platform::MessageBox::Show(kLameMissing, kLameMissingTitle,
                                   platform::MessageIcon::Information);
        EndAtOnce(notify);
        return false;
    }
    return StartOrEndAtOnce(notify);
}

void CMP3EncodeThread::Run() {
    SetOutcome(EncodeOutcome::Failed);
    std::uint64_t audioBytes = 0;
    if (!lame_.OpenWave(inPath_, audioBytes)) {
        return;
    }
    ResetProgress(*bar_, audioBytes);

    BE_CONFIG config;
    std::memcpy(&config, parm_, sizeof config);
    CompleteForInput(config, lame_.GetSampleRate());

    platform::AtomicFileWriter output(outPath_);
    if (!CreateOutput(output, outPath_, inPath_)) {
        lame_.CloseWave();
        return;
    }
    JobEnd end = Encode(config, output);
    if (end == JobEnd::Converted) {
        end = Finish(output);
    }
    switch (end) {
    case JobEnd::Converted:
    case JobEnd::Stopped:
        break;
    case JobEnd::InitFailed:
    case JobEnd::EncodeFailed:
        ShowJobError(kInitFailed);
        break;
    case JobEnd::NoBuffer:
        ShowJobError(kBufferFailed);
        break;
    case JobEnd::ReadFailed:
        ShowJobError(platform::Format(kInputReadFailed, inPath_.c_str()), lame_.ReadError());
        break;
    case JobEnd::WriteFailed:
        ShowJobError(platform::Format(kOutputWriteFailed, outPath_.c_str()), output.LastError());
        break;
    }
    if (end != JobEnd::Converted) {
        output.Discard();
        SetOutcome(end == JobEnd::Stopped ? EncodeOutcome::Stopped : EncodeOutcome::Failed);
        return;
    }
    if (!output.Commit()) {
        ShowJobError(platform::Format(kOutputWriteFailed, outPath_.c_str()), output.LastError());
        return;
    }
    SetOutcome(EncodeOutcome::Converted);
}

// The closed stream's info frame (behind the ID3v2 tag), then the ID3v1 record, both into the
// file before it is put in place. Only the engine knows whether its stream reserved an info frame
// (variable and average bitrates do, and so may a constant one), so it is always asked to fill one;
// it fills only the frame of this file's own stream.
CMP3EncodeThread::JobEnd CMP3EncodeThread::Finish(platform::AtomicFileWriter& output) {
    lame_.WriteVBRTag(output.TemporaryPath());
    if (item_ == nullptr) {
        return JobEnd::Converted;
    }
    const CID3TagFile tagFile;
    unsigned char record[CID3TagFile::kRecordSize];
    tagFile.MakeRecord(record, item_->Title, item_->Artist, item_->Album, item_->Year,
                       item_->Comment, item_->Genre);
    // The file is new: the record is appended, whatever its last bytes happen to be.
    return output.Write(record, sizeof record) ? JobEnd::Converted : JobEnd::WriteFailed;
}

CMP3EncodeThread::JobEnd CMP3EncodeThread::Encode(BE_CONFIG& config,
                                                  platform::AtomicFileWriter& output) {
    std::uint32_t bufferBytes = 0;
    JobEnd end = JobEnd::InitFailed;
    if (lame_.InitStream(&config, &bufferBytes, kChunkMultiplier) == 0) {
        std::unique_ptr<std::uint8_t[], FreeBuffer> buffer(
            bufferBytes <= kMaxOutputBufferBytes ? new (std::nothrow) std::uint8_t[bufferBytes]()
                                                 : nullptr);
        end = buffer != nullptr ? Stream(output, buffer.get(), bufferBytes) : JobEnd::NoBuffer;
    }
    lame_.CloseStream();
    lame_.CloseWave();
    return end;
}

CMP3EncodeThread::JobEnd CMP3EncodeThread::Stream(platform::AtomicFileWriter& output,
                                                  std::uint8_t* buffer, std::uint32_t bufferBytes) {
    // The tag goes ahead of the audio, so that the file is written once, in order; the engine
    // finds its info frame behind it.
    if (item_ != nullptr && id3v2_) {
        const std::string tag = CID3v2Tag::Render(*item_);
        if (!tag.empty() && !output.Write(tag)) {
            return JobEnd::WriteFailed;
        }
    }
    std::uint32_t bytes = 0;
    std::uint32_t produced = 0;
    while (lame_.ReadChunk(&bytes)) {
        if (StopWasRequested()) {
            // What the stream still holds is not written: the output goes away.
            lame_.FlushStream(buffer, &produced);
            return JobEnd::Stopped;
        }
        std::this_thread::yield();
        if (lame_.EncodeChunk(bytes, buffer, &produced) != 0 || produced > bufferBytes) {
            return JobEnd::EncodeFailed;
        }
        if (!output.Write(buffer, produced)) {
            return JobEnd::WriteFailed;
        }
        bar_->OffsetPos(bytes);
        std::this_thread::yield();
    }
    if (lame_.ReadFailed()) {
        return JobEnd::ReadFailed;
    }
    if (lame_.FlushStream(buffer, &produced) != 0 || produced > bufferBytes) {
        return JobEnd::EncodeFailed;
    }
    if (produced != 0 && !output.Write(buffer, produced)) {
        return JobEnd::WriteFailed;
    }
    return JobEnd::Converted;
}
