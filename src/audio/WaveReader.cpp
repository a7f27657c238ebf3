#include "WaveReader.h"

#include "platform/Format.h"
#include "platform/MessageBox.h"

#include <cstring>

namespace {

enum class WaveFailure { None, M1, M2, M3, M4, M5, M6, M7, M8, M9, M10 };

const char* MessageText(WaveFailure failure) {
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
    case WaveFailure::M8:
        return "指定されたファイル(%s)"
               "は以下の形式ではありませんでした\n申し訳ありませんが、WAVEファイル編集ソフト等でフ"
               "ァイル\n"
               "形式の変更をお願いいたします\n指定可能ファイル形式は\n"
               "　16bit ステレオ 32000Hz/44100Hz/48000Hzとなっています";
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

bool IsAcceptedFormat(const WaveFormat& format) {
    return format.channels == 2 && format.blockAlign == 4 &&
           IsAcceptedSampleRate(format.samplesPerSec);
}

// Reads up to size bytes into a zeroed buffer; only a read of no bytes at all fails, and a
// short read leaves zeros where the file ended.
bool ReadHeaderPart(platform::File& file, void* buffer, std::size_t size) {
    std::memset(buffer, 0, size);
    return file.Read(buffer, size) > 0;
}

enum class WaveCheck { Probe, Open };

// The one header reader behind OpenWave (every step) and ProbeWave (up to the format block).
// Leaves the file open only on success of the Open check.
WaveFailure ReadWaveHeader(platform::File& file, const char* path, WaveCheck check,
                           WaveFormat& format, std::uint64_t& audioBytes) {
    if (!file.OpenRead(path)) {
        return WaveFailure::M1;
    }
    const std::int64_t totalLength = file.Length();
    const auto fail = [&](WaveFailure failure) {
        file.Close();
        return failure;
    };

    char riffHeader[8];
    if (!ReadHeaderPart(file, riffHeader, sizeof riffHeader)) {
        return fail(WaveFailure::M2);
    }
    if (std::memcmp(riffHeader, "RIFF", 4) != 0) {
        return fail(WaveFailure::M3);
    }
    unsigned char waveHeader[12];
    if (!ReadHeaderPart(file, waveHeader, sizeof waveHeader)) {
        return fail(WaveFailure::M4);
    }
    if (std::memcmp(waveHeader, "WAVE", 4) != 0) {
        return fail(WaveFailure::M5);
    }
    if (std::memcmp(waveHeader + 4, "fmt ", 4) != 0) {
        return fail(WaveFailure::M6);
    }
    const std::uint32_t fmtSize = static_cast<std::uint32_t>(waveHeader[8]) |
                                  static_cast<std::uint32_t>(waveHeader[9]) << 8 |
                                  static_cast<std::uint32_t>(waveHeader[10]) << 16 |
                                  static_cast<std::uint32_t>(waveHeader[11]) << 24;
    if (!ReadHeaderPart(file, &format, sizeof format)) {
        return fail(WaveFailure::M7);
    }
    if (check == WaveCheck::Probe) {
        file.Close();
        return IsAcceptedFormat(format) ? WaveFailure::None : WaveFailure::M8;
    }
    if (!IsAcceptedFormat(format)) {
        return fail(WaveFailure::M8);
    }
    if (fmtSize != 16) {
        unsigned char extensionSize[2];
        if (!ReadHeaderPart(file, extensionSize, sizeof extensionSize)) {
            return fail(WaveFailure::M9);
        }
        const int skip = extensionSize[0] | extensionSize[1] << 8;
        file.Seek(skip, platform::File::Whence::Current);
    }
    char dataHeader[8];
    if (!ReadHeaderPart(file, dataHeader, sizeof dataHeader)) {
        return fail(WaveFailure::M10);
    }
    const std::int64_t position = file.Position();
    audioBytes = totalLength > position ? static_cast<std::uint64_t>(totalLength - position) : 0;
    return WaveFailure::None;
}

} // namespace

bool IsAcceptedSampleRate(std::uint32_t samplesPerSec) {
    return samplesPerSec == 32000 || samplesPerSec == 44100 || samplesPerSec == 48000;
}

bool OpenWave(platform::File* file, const char* path, std::uint64_t& audioBytes,
              WaveFormat& format) {
    if (file == nullptr || path == nullptr) {
        return false;
    }
    const WaveFailure failure = ReadWaveHeader(*file, path, WaveCheck::Open, format, audioBytes);
    if (failure == WaveFailure::None) {
        return true;
    }
    platform::MessageBox::Show(platform::Format(MessageText(failure), path), kWaveReaderTitle,
                               platform::MessageIcon::Error, platform::MessageButtons::Ok,
                               file->LastError());
    return false;
}

bool ProbeWave(const std::string& path, WaveFormat& format) {
    platform::File file;
    std::uint64_t unused = 0;
    return ReadWaveHeader(file, path.c_str(), WaveCheck::Probe, format, unused) ==
           WaveFailure::None;
}
