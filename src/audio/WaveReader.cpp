// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaveReader.h"

#include "audio/WaveFormat.h"
#include "platform/Format.h"
#include "platform/MessageBox.h"

#include <algorithm>
#include <cstring>
#include <string>

const char* WaveFailureText(WaveFailure failure) {
    switch (failure) {
    case WaveFailure::M1:
        return "入力ファイル(%s)"
               "のオープンに失敗しました\n他のソフトで使用されている可能性がありますので\n"
               "他のソフトを終了してから再度変換ボタンのクリックを\nお願いいたします";
    case WaveFailure::M2:
        return "指定されたファイル(%s)"
               "のRIFFヘッダの読込に失敗しました\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M3:
        return "指定されたファイル(%s)"
               "はRIFFヘッダが存在しませんでした\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M4:
        return "指定されたファイル(%s)"
               "のWAVEヘッダの読込に失敗しました\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M5:
        return "指定されたファイル(%s)"
               "はWAVEヘッダが存在しませんでした\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M6:
        return "指定されたファイル(%s)"
               "はfmtチャンクが存在しませんでした\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M7:
        return "指定されたファイル(%s)"
               "のfmtチャンクの読込に失敗しました\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M8: {
        static const std::string text =
            std::string(
                "指定されたファイル(%s)"
                "は以下の形式ではありませんでした\n申し訳ありませんが、WAVEファイル編集ソフト等でフ"
                "ァイル\n"
                "形式の変更をお願いいたします\n指定可能ファイル形式は\n") +
            kAcceptedFormatsText;
        return text.c_str();
    }
    case WaveFailure::M9:
        return "指定されたファイル(%s)"
               "の拡張情報の読込に失敗しました\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::M10:
        return "指定されたファイル(%s)"
               "のdataチャンクの読込に失敗しました\nWAVEファイルではない可能性がありますので\n"
               "再度ご確認の上ファイルの指定をお願いいたします";
    case WaveFailure::None:
        break;
    }
    return "";
}

namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUID of an extensible fmt chunk, as stored, after its first two bytes: those
// are the plain format tag of the samples (1 PCM, 3 float).
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// cbSize, valid bits, channel mask, sub-format: the extension an extensible chunk must carry.
constexpr std::size_t kExtensibleBytes = 2 + 2 + 4 + 16;
constexpr std::uint32_t kFmtBodyBytes = sizeof(WaveFormat);
// A data size streaming writers leave when they never come back to fill it in.
constexpr std::uint32_t kSizeUnknown = 0xFFFFFFFF;

std::uint16_t Le16(const unsigned char* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

std::uint32_t Le32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::uint64_t Le64(const unsigned char* bytes) {
    return static_cast<std::uint64_t>(Le32(bytes)) | static_cast<std::uint64_t>(Le32(bytes + 4))
                                                         << 32;
}

// A 32-bit size written for a length beyond 4 GiB keeps only its low bits.
constexpr std::uint64_t kSizeWrap = std::uint64_t{1} << 32;

bool WrappedSize(std::uint64_t length, std::uint32_t declared) {
    return length > declared && (length - declared) % kSizeWrap == 0;
}

// The part of an RF64 file's ds64 chunk that gives the 64-bit RIFF and data sizes.
constexpr std::uint32_t kDs64Bytes = 8 + 8;

// The sample format a fmt body states, with the sample tag, valid bits and channel mask that
// an extension may have given. The container is the block's share of each channel: a plain
// header whose block is wider than its bits has its samples in the top bits of a wider one.
SampleFormat FormatOf(const WaveFormat& body, std::uint16_t tag, std::uint16_t validBits,
                      std::uint32_t channelMask) {
    SampleFormat format;
    format.Channels = body.channels;
    format.Rate = body.samplesPerSec;
    format.ChannelMask = channelMask;
    format.Bits = 0;
    if (body.channels == 0 || body.blockAlign % body.channels != 0 ||
        body.blockAlign / body.channels > 8) {
        return format;
    }
    const auto containerBits = static_cast<std::uint16_t>(body.blockAlign / body.channels * 8);
    if (tag == kFormatFloat) {
        format.Encoding = SampleEncoding::Float;
        format.Bits = body.bitsPerSample == containerBits ? containerBits : 0;
        format.ValidBits = format.Bits;
    } else if (tag == kFormatPcm) {
        format.Bits = containerBits;
        format.ValidBits = validBits == 0 ? containerBits : validBits;
    }
    return format;
}

// Reads up to size bytes into a zeroed buffer; only a read of no bytes at all fails, and a
// short read leaves zeros where the file ended.
bool ReadHeaderPart(platform::File& file, void* buffer, std::size_t size) {
    std::memset(buffer, 0, size);
    return file.Read(buffer, size) > 0;
}

struct ChunkHeader {
    unsigned char id[4];
    std::uint32_t size;
    std::int64_t body; ///< file offset of the chunk's first body byte

    bool Is(const char* name) const { return std::memcmp(id, name, 4) == 0; }
};

// The next chunk header; false at the end of the file. A header cut short by the end of the
// file is tested as far as it was read.
bool ReadChunkHeader(platform::File& file, ChunkHeader& chunk) {
    unsigned char header[8];
    if (!ReadHeaderPart(file, header, sizeof header)) {
        return false;
    }
    std::memcpy(chunk.id, header, sizeof chunk.id);
    chunk.size = Le32(header + 4);
    chunk.body = file.Position();
    return true;
}

// Moves past a chunk's body and its pad byte. Some writers leave the pad byte of an
// odd-sized chunk out; a chunk id never begins with a zero byte, a pad byte always is one.
void SkipChunk(platform::File& file, const ChunkHeader& chunk) {
    std::int64_t next = chunk.body + chunk.size;
    if (chunk.size % 2 != 0 && file.Seek(next, platform::File::Whence::Begin)) {
        unsigned char pad = 1;
        if (file.Read(&pad, 1) == 1 && pad == 0) {
            ++next;
        }
    }
    file.Seek(next, platform::File::Whence::Begin);
}

bool IsChunkId(const unsigned char* id) {
    return std::all_of(id, id + 4, [](unsigned char byte) { return byte >= 0x20 && byte <= 0x7E; });
}

// Whether a whole chunk begins at the data chunk's body: then a data size of 0 is the truth;
// otherwise the data chunk is the last one and its size was never written.
bool ChunkFollows(platform::File& file, const ChunkHeader& data, std::uint64_t rest) {
    unsigned char header[8];
    const bool follows = rest >= sizeof header &&
                         file.Read(header, sizeof header) == sizeof header && IsChunkId(header) &&
                         Le32(header + 4) <= rest - sizeof header;
    file.Seek(data.body, platform::File::Whence::Begin);
    return follows;
}

// Reads the fmt body (whatever it declares beyond the 16 bytes is skipped with the chunk) and
// tests the format; an extensible chunk's extension names the samples' own tag.
WaveFailure ReadFormat(platform::File& file, const ChunkHeader& fmt, SampleFormat& format) {
    WaveFormat body{};
    if (!ReadHeaderPart(file, &body, sizeof body)) {
        return WaveFailure::M7;
    }
    // A chunk shorter than the block has no sample size of its own: the bytes read past it
    // belong to the next chunk.
    if (fmt.size < kFmtBodyBytes) {
        return WaveFailure::M8;
    }
    if (body.formatTag != kFormatExtensible) {
        format = FormatOf(body, body.formatTag, body.bitsPerSample, 0);
        if (!format.IsSupported()) {
            return WaveFailure::M8;
        }
    }
    if (fmt.size <= kFmtBodyBytes) {
        return body.formatTag != kFormatExtensible ? WaveFailure::None : WaveFailure::M8;
    }
    unsigned char extension[kExtensibleBytes];
    if (!ReadHeaderPart(file, extension, sizeof extension)) {
        return WaveFailure::M9;
    }
    if (body.formatTag != kFormatExtensible) {
        return WaveFailure::None;
    }
    const bool complete = fmt.size >= kFmtBodyBytes + kExtensibleBytes &&
                          Le16(extension) >= kExtensibleBytes - 2 &&
                          std::memcmp(extension + 10, kSubFormatTail, sizeof kSubFormatTail) == 0;
    if (!complete) {
        return WaveFailure::M8;
    }
    // Valid bits beyond the container are a writer's slip for the container itself.
    const std::uint16_t validBits = std::min(Le16(extension + 2), body.bitsPerSample);
    format = FormatOf(body, Le16(extension + 8), validBits, Le32(extension + 4));
    return format.IsSupported() ? WaveFailure::None : WaveFailure::M8;
}

// The one header reader behind OpenWave and ProbeWave: walks the chunk list to the first fmt
// chunk and on to the data chunk, leaving the file at the first audio byte with reads bounded
// to the data chunk's whole frames. Leaves the file open only on success.
WaveFailure ReadWaveHeader(platform::File& file, const char* path, SampleFormat& format,
                           std::uint64_t& audioBytes) {
    if (!file.OpenRead(path)) {
        return WaveFailure::M1;
    }
    const std::int64_t length = file.Length();
    const auto fail = [&](WaveFailure failure) {
        file.Close();
        return failure;
    };

    unsigned char riffHeader[8];
    if (!ReadHeaderPart(file, riffHeader, sizeof riffHeader)) {
        return fail(WaveFailure::M2);
    }
    // RF64 is RIFF with its sizes beyond 4 GiB in a ds64 chunk that comes first.
    const bool rf64 = std::memcmp(riffHeader, "RF64", 4) == 0;
    if (!rf64 && std::memcmp(riffHeader, "RIFF", 4) != 0) {
        return fail(WaveFailure::M3);
    }
    unsigned char formType[4];
    if (!ReadHeaderPart(file, formType, sizeof formType)) {
        return fail(WaveFailure::M4);
    }
    if (std::memcmp(formType, "WAVE", 4) != 0) {
        return fail(WaveFailure::M5);
    }

    ChunkHeader chunk{};
    std::uint64_t rf64DataSize = 0;
    if (rf64) {
        unsigned char sizes[kDs64Bytes];
        if (!ReadChunkHeader(file, chunk) || !chunk.Is("ds64") || chunk.size < kDs64Bytes ||
            file.Read(sizes, sizeof sizes) != sizeof sizes) {
            return fail(WaveFailure::M3);
        }
        rf64DataSize = Le64(sizes + 8);
        SkipChunk(file, chunk);
    }
    for (;;) {
        if (!ReadChunkHeader(file, chunk) || chunk.Is("data")) {
            return fail(WaveFailure::M6);
        }
        if (chunk.Is("fmt ")) {
            break;
        }
        SkipChunk(file, chunk);
    }
    if (const WaveFailure failure = ReadFormat(file, chunk, format); failure != WaveFailure::None) {
        return fail(failure);
    }
    SkipChunk(file, chunk);

    for (;;) {
        if (!ReadChunkHeader(file, chunk)) {
            return fail(WaveFailure::M10);
        }
        if (chunk.Is("data")) {
            break;
        }
        SkipChunk(file, chunk);
    }
    const std::uint64_t rest =
        length > chunk.body ? static_cast<std::uint64_t>(length - chunk.body) : 0;
    std::uint64_t bytes = chunk.size;
    if (rf64 && chunk.size == kSizeUnknown) {
        bytes = rf64DataSize;
    } else if (chunk.size == kSizeUnknown ||
               (chunk.size == 0 && !ChunkFollows(file, chunk, rest))) {
        bytes = rest;
    } else if (!rf64 && WrappedSize(rest, chunk.size) && length >= 8 &&
               WrappedSize(static_cast<std::uint64_t>(length) - 8, Le32(riffHeader + 4))) {
        // Both sizes lost the same whole multiples of 4 GiB: the data chunk runs to the end.
        bytes = rest;
    }
    bytes = std::min(bytes, rest);
    // A half frame at the end has no partner sample to be encoded with.
    bytes -= bytes % format.FrameBytes();
    file.SetReadEnd(chunk.body + static_cast<std::int64_t>(bytes));
    audioBytes = bytes;
    return WaveFailure::None;
}

} // namespace

bool IsAcceptedSampleRate(std::uint32_t samplesPerSec) {
    return samplesPerSec == 32000 || samplesPerSec == 44100 || samplesPerSec == 48000;
}

bool OpenWave(platform::File* file, const char* path, std::uint64_t& audioBytes,
              SampleFormat& format) {
    if (file == nullptr || path == nullptr) {
        return false;
    }
    const WaveFailure failure = ReadWaveHeader(*file, path, format, audioBytes);
    if (failure == WaveFailure::None) {
        return true;
    }
    platform::MessageBox::Show(platform::Format(WaveFailureText(failure), path), kWaveReaderTitle,
                               platform::MessageIcon::Error, platform::MessageButtons::Ok,
                               file->LastError());
    return false;
}

bool ProbeWave(const std::string& path, SampleFormat& format) {
    const WaveProbe probe = ProbeWave(path);
    format = probe.Format;
    return probe.Failure == WaveFailure::None;
}

WaveProbe ProbeWave(const std::string& path) {
    platform::File file;
    return ProbeWave(path, file);
}

WaveProbe ProbeWave(const std::string& path, platform::File& file) {
    WaveProbe probe;
    probe.Failure = ReadWaveHeader(file, path.c_str(), probe.Format, probe.AudioBytes);
    probe.Error = file.LastError();
    return probe;
}
