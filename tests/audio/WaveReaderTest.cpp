// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/WaveReader.h"
#include "audio/SampleDecoder.h"
#include "platform/Format.h"

#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveLayouts.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testsupport::WaveHeader;

// The reader's messages as the user must see them.
constexpr const char* kM1 = "入力ファイル(%s)のオープンに失敗しました\n"
                            "他のソフトで使用されている可能性がありますので\n"
                            "他のソフトを終了してから再度変換ボタンのクリックを\n"
                            "お願いいたします";
constexpr const char* kM2 = "指定されたファイル(%s)のRIFFヘッダの読込に失敗しました\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM3 = "指定されたファイル(%s)はRIFFヘッダが存在しませんでした\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM4 = "指定されたファイル(%s)のWAVEヘッダの読込に失敗しました\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM5 = "指定されたファイル(%s)はWAVEヘッダが存在しませんでした\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM6 = "指定されたファイル(%s)はfmtチャンクが存在しませんでした\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM7 = "指定されたファイル(%s)のfmtチャンクの読込に失敗しました\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM8 = "指定されたファイル(%s)は以下の形式ではありませんでした\n"
                            "申し訳ありませんが、WAVEファイル編集ソフト等でファイル\n"
                            "形式の変更をお願いいたします\n"
                            "指定可能ファイル形式は\n"
                            "　PCM(8/16/24/32bit)または浮動小数点(32/64bit)、1～8チャンネル、\n"
                            "　8000Hz～192000Hzとなっています";
constexpr const char* kM9 = "指定されたファイル(%s)の拡張情報の読込に失敗しました\n"
                            "WAVEファイルではない可能性がありますので\n"
                            "再度ご確認の上ファイルの指定をお願いいたします";
constexpr const char* kM10 = "指定されたファイル(%s)のdataチャンクの読込に失敗しました\n"
                             "WAVEファイルではない可能性がありますので\n"
                             "再度ご確認の上ファイルの指定をお願いいたします";

std::string Le16(std::uint16_t value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string Le32(std::uint32_t value) {
    return Le16(static_cast<std::uint16_t>(value & 0xFFFF)) +
           Le16(static_cast<std::uint16_t>(value >> 16));
}

// The 16-byte fmt body of 16-bit stereo PCM at 44100 Hz.
std::string StereoFmtBody() {
    return Le16(1) + Le16(2) + Le32(44100) + Le32(176400) + Le16(4) + Le16(16);
}

// Four stereo frames of a recognisable pattern.
std::vector<std::int16_t> Frames() {
    return {100, -100, 200, -200, 300, -300, 400, -400};
}

class WaveReaderTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes));
        return path;
    }

    std::string WriteWave(const std::string& name, const WaveHeader& header,
                          const std::vector<std::int16_t>& samples = Frames(),
                          const std::string& trailing = {}) {
        return Write(name, testsupport::WaveBytes(header, samples, trailing));
    }

    // OpenWave must refuse the file with exactly this one message and leave the file closed;
    // ProbeWave must refuse it too, silently.
    void ExpectRejected(const std::string& path, const char* message) {
        const std::size_t before = recorder_->Requests().size();
        platform::File file;
        SampleFormat format{};
        std::uint64_t audioBytes = 0;
        EXPECT_FALSE(OpenWave(&file, path.c_str(), audioBytes, format));
        EXPECT_FALSE(file.IsOpen());
        const auto requests = recorder_->Requests();
        ASSERT_EQ(requests.size(), before + 1);
        const platform::MessageRequest& shown = requests.back();
        EXPECT_EQ(shown.text, platform::Format(message, path.c_str()));
        EXPECT_EQ(shown.title, "CLameDll");
        EXPECT_EQ(shown.icon, platform::MessageIcon::Error);
        EXPECT_EQ(shown.buttons, platform::MessageButtons::Ok);

        SampleFormat probed{};
        EXPECT_FALSE(ProbeWave(path, probed));
        EXPECT_EQ(recorder_->Requests().size(), before + 1) << "ProbeWave showed a message";
    }

    // OpenWave must accept the file, silently, open at audioStart, and let exactly audio be
    // read from there; ProbeWave must agree.
    void ExpectAccepted(const std::string& path, std::int64_t audioStart,
                        const std::string& audio) {
        const std::size_t before = recorder_->Requests().size();
        platform::File file;
        SampleFormat format{};
        std::uint64_t audioBytes = 0;
        ASSERT_TRUE(OpenWave(&file, path.c_str(), audioBytes, format));
        EXPECT_EQ(recorder_->Requests().size(), before);
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(file.Position(), audioStart);
        EXPECT_EQ(audioBytes, audio.size());
        std::string read(audio.size() + 8, '\0');
        read.resize(file.Read(read.data(), read.size()));
        EXPECT_EQ(read, audio);
        SampleFormat probed{};
        EXPECT_TRUE(ProbeWave(path, probed));
        EXPECT_EQ(probed, format);
    }

    testsupport::TempDir dir_;
    testsupport::ScopedMessageRecorder recorder_;
};

// Frames() as they lie in the file.
const std::string kAudio = Le16(100) + Le16(static_cast<std::uint16_t>(-100)) + Le16(200) +
                           Le16(static_cast<std::uint16_t>(-200)) + Le16(300) +
                           Le16(static_cast<std::uint16_t>(-300)) + Le16(400) +
                           Le16(static_cast<std::uint16_t>(-400));

TEST_F(WaveReaderTest, CanonicalHeaderIsAcceptedWithItsFormat) {
    const std::string path = WriteWave("canonical.wav", WaveHeader{});
    ExpectAccepted(path, 44, kAudio);

    platform::File file;
    SampleFormat format{};
    std::uint64_t audioBytes = 0;
    ASSERT_TRUE(OpenWave(&file, path.c_str(), audioBytes, format));
    EXPECT_EQ(format, SampleFormat{});
    EXPECT_EQ(format.Describe(), "16bit Stereo 44100Hz");
}

TEST_F(WaveReaderTest, TheThreeRatesAreAccepted) {
    for (const std::uint32_t rate : {32000u, 44100u, 48000u}) {
        WaveHeader header;
        header.sampleRate = rate;
        const std::string path = WriteWave(std::to_string(rate) + ".wav", header);
        SampleFormat format{};
        EXPECT_TRUE(ProbeWave(path, format)) << rate;
        EXPECT_EQ(format.Rate, rate);
        ExpectAccepted(path, 44, kAudio);
    }
}

TEST_F(WaveReaderTest, EverySupportedFormatIsReadAsFloatsAtFullPrecision) {
    using testsupport::FormatHeader;
    constexpr auto kInt = SampleEncoding::Integer;
    constexpr auto kFloat = SampleEncoding::Float;
    struct Row {
        SampleFormat format;
        FormatHeader kind;
        const char* text;
    };
    const Row rows[] = {
        {{kInt, 16, 16, 2, 44100, 0}, FormatHeader::Plain, "16bit Stereo 44100Hz"},
        {{kInt, 8, 8, 2, 22050, 0}, FormatHeader::Plain, "8bit Stereo 22050Hz"},
        {{kInt, 16, 16, 1, 8000, 0}, FormatHeader::Plain, "16bit Mono 8000Hz"},
        {{kInt, 24, 24, 2, 96000, 0}, FormatHeader::Plain, "24bit Stereo 96000Hz"},
        {{kInt, 24, 20, 2, 48000, 0}, FormatHeader::Plain, "20bit Stereo 48000Hz"},
        {{kInt, 32, 24, 2, 192000, 0x3}, FormatHeader::Extensible, "24bit Stereo 192000Hz"},
        {{kInt, 32, 32, 3, 44101, 0}, FormatHeader::Plain, "32bit 3ch 44101Hz"},
        {{kInt, 16, 16, 6, 48000, 0x60F}, FormatHeader::Extensible, "16bit 5.1ch 48000Hz"},
        {{kFloat, 32, 32, 1, 48000, 0}, FormatHeader::Plain, "32bit float Mono 48000Hz"},
        {{kFloat, 64, 64, 8, 32000, 0x63F}, FormatHeader::Extensible, "64bit float 7.1ch 32000Hz"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const SampleFormat& format = row.format;
        std::vector<double> hz;
        std::vector<double> levels;
        for (int channel = 0; channel < format.Channels; ++channel) {
            hz.push_back(300.0 + 100 * channel);
            levels.push_back(channel == 0 ? 1.2 : 0.9 - 0.1 * channel); // beyond full scale
        }
        const auto channels = testsupport::Tones(format.Rate, 50, hz, levels);
        const std::string path = dir_.File("format.wav");
        ASSERT_TRUE(testsupport::WriteWave(path, format, channels, row.kind));

        const WaveProbe probe = ProbeWave(path);
        ASSERT_EQ(probe.Failure, WaveFailure::None);
        EXPECT_EQ(probe.Format, format);
        EXPECT_EQ(probe.Format.Describe(), row.text);
        EXPECT_EQ(probe.Frames(), 50u);

        platform::File file;
        SampleFormat opened{};
        std::uint64_t audioBytes = 0;
        ASSERT_TRUE(OpenWave(&file, path.c_str(), audioBytes, opened));
        std::string bytes(audioBytes, '\0');
        ASSERT_EQ(file.Read(bytes.data(), bytes.size()), bytes.size());
        std::vector<std::vector<float>> decoded(format.Channels, std::vector<float>(50));
        std::vector<float*> planes;
        for (std::vector<float>& channel : decoded) {
            planes.push_back(channel.data());
        }
        SampleDecoder(opened).Decode(reinterpret_cast<const unsigned char*>(bytes.data()), 50,
                                     planes.data());
        // Integers clip at full scale when written; floats keep what lies beyond it. A float
        // holds 24 bits of a sample.
        const double step = std::max(1e-7, std::ldexp(1.0, 1 - format.ValidBits));
        for (std::size_t channel = 0; channel < decoded.size(); ++channel) {
            for (std::size_t i = 0; i < 50; ++i) {
                const double expected = format.Encoding == kFloat
                                            ? channels[channel][i]
                                            : std::clamp(channels[channel][i], -1.0, 1.0 - step);
                ASSERT_NEAR(decoded[channel][i], expected, step) << channel << " " << i;
            }
        }
    }
}

TEST_F(WaveReaderTest, RatesShapesAndEncodingsBeyondTheSupportedAreRefusedWithTheFormatMessage) {
    struct Row {
        const char* name;
        std::uint16_t tag;
        std::uint16_t channels;
        std::uint32_t rate;
        std::uint16_t blockAlign;
        std::uint16_t bits;
        std::uint32_t fmtSize;
        std::string subFormat; ///< the extension's sub-format when fmtSize is 40
    };
    const std::string floatSubFormat = "\x03" + testsupport::kPcmSubFormat.substr(1);
    const Row rows[] = {
        {"stereo0", 1, 2, 0, 4, 16, 16, {}},
        {"stereo7999", 1, 2, 7999, 4, 16, 16, {}},
        {"stereo192001", 1, 2, 192001, 4, 16, 16, {}},
        {"nine", 1, 9, 48000, 18, 16, 16, {}},
        {"none", 1, 0, 48000, 0, 16, 16, {}},
        {"bitsBeyondBlock", 1, 2, 44100, 4, 24, 16, {}},
        {"blockNotByChannel", 1, 2, 44100, 5, 16, 16, {}},
        {"adpcm", 2, 2, 44100, 4, 16, 16, {}},
        {"float16", 3, 2, 44100, 4, 16, 16, {}},
        {"floatBitsNotBlock", 3, 2, 44100, 8, 24, 16, {}},
        {"alaw", 6, 2, 44100, 4, 16, 16, {}},
        {"mulaw", 7, 2, 44100, 2, 8, 16, {}},
        {"extensibleFloat16", 0xFFFE, 2, 44100, 4, 16, 40, floatSubFormat},
        {"extensibleAlaw", 0xFFFE, 2, 44100, 2, 8, 40,
         "\x06" + testsupport::kPcmSubFormat.substr(1)},
        {"extensibleWithoutSubFormat", 0xFFFE, 2, 44100, 4, 16, 18, {}},
        {"shortFmt", 1, 2, 44100, 4, 16, 14, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WaveHeader header;
        header.formatTag = row.tag;
        header.channels = row.channels;
        header.sampleRate = row.rate;
        header.blockAlign = row.blockAlign;
        header.bitsPerSample = row.bits;
        header.fmtSize = row.fmtSize;
        if (row.fmtSize == 40) {
            header.extensionSize = 22;
            header.extension = testsupport::ExtensibleExtension(row.subFormat);
        }
        ExpectRejected(WriteWave(std::string(row.name) + ".wav", header), kM8);
    }
}

TEST_F(WaveReaderTest, EveryChunkLayoutGivesExactlyTheDataChunk) {
    for (const testsupport::WaveLayout& layout : testsupport::ChunkLayouts()) {
        SCOPED_TRACE(layout.name);
        const std::string bytes = testsupport::WaveBytes(layout.header, Frames(), layout.trailing);
        const auto audioStart =
            static_cast<std::int64_t>(bytes.size() - layout.trailing.size() - kAudio.size());
        ExpectAccepted(Write(layout.name + ".wav", bytes), audioStart, kAudio);
    }
}

TEST_F(WaveReaderTest, TheDataSizeIsBoundedByTheFileAndCutToWholeFrames) {
    WaveHeader beyond;
    beyond.dataSize = 1000;
    ExpectAccepted(WriteWave("beyond.wav", beyond), 44, kAudio);

    // A half frame at the end of the data, and a pad byte after an odd size.
    std::vector<std::int16_t> samples = Frames();
    samples.push_back(500);
    ExpectAccepted(WriteWave("halfframe.wav", WaveHeader{}, samples), 44, kAudio);
    WaveHeader odd;
    odd.dataSize = static_cast<std::uint32_t>(kAudio.size() + 3);
    samples.push_back(600);
    ExpectAccepted(WriteWave("oddsize.wav", odd, samples), 44, kAudio);

    // A data size of 0 with a chunk after it is an empty data chunk.
    WaveHeader empty;
    empty.dataSize = 0;
    ExpectAccepted(WriteWave("empty.wav", empty, {}, testsupport::Chunk("LIST", "INFO")), 44, "");
}

std::string Le64(std::uint64_t value) {
    return Le32(static_cast<std::uint32_t>(value)) + Le32(static_cast<std::uint32_t>(value >> 32));
}

TEST_F(WaveReaderTest, SizesBeyondFourGiBAreReadAsTheirWritersMeantThem) {
    constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;
    const std::string fmt = "WAVEfmt " + Le32(16) + StereoFmtBody();
    const std::string tail = kAudio.substr(0, 8);
    struct Row {
        const char* name;
        std::uint64_t length; ///< of the whole file, made sparse
        std::string header;   ///< up to and including the data chunk header
        std::uint64_t audioBytes;
    };
    constexpr std::uint64_t kWrapped = 44 + k4GiB + 4000;
    constexpr std::uint64_t kRf64Header = 12 + 8 + 28 + 24 + 8;
    const Row rows[] = {
        {"streamed", 5'000'000'000ULL, "RIFF" + Le32(0xFFFFFFFF) + fmt + "data" + Le32(0xFFFFFFFF),
         5'000'000'000ULL - 44},
        // Both 32-bit sizes wrapped alike: the data runs to the end of the file.
        {"wrapped", kWrapped, "RIFF" + Le32(36 + 4000) + fmt + "data" + Le32(4000), kWrapped - 44},
        {"wrappedTwice", kWrapped + k4GiB, "RIFF" + Le32(36 + 4000) + fmt + "data" + Le32(4000),
         kWrapped + k4GiB - 44},
        // Only one of them fits a wrap: the declared size holds, the rest is other chunks.
        {"riffNotWrapped", kWrapped, "RIFF" + Le32(36) + fmt + "data" + Le32(4000), 4000},
        {"dataNotWrapped", kWrapped, "RIFF" + Le32(36 + 4000) + fmt + "data" + Le32(4004), 4004},
        {"rf64", kRf64Header + k4GiB + 8000,
         "RF64" + Le32(0xFFFFFFFF) + "WAVE" +
             testsupport::Chunk("ds64", Le64(k4GiB + 8000 - 8) + Le64(k4GiB + 4000) +
                                            Le64((k4GiB + 4000) / 4) + Le32(0)) +
             fmt.substr(4) + "data" + Le32(0xFFFFFFFF),
         k4GiB + 4000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = Write(std::string(row.name) + ".wav", row.header);
        std::filesystem::resize_file(path, row.length); // sparse: no disk space is used
        platform::File file;
        ASSERT_TRUE(file.OpenWriteExisting(path));
        ASSERT_TRUE(file.Seek(static_cast<std::int64_t>(row.header.size() + row.audioBytes) - 8,
                              platform::File::Whence::Begin));
        ASSERT_TRUE(file.Write(tail.data(), tail.size()));
        file.Close();

        SampleFormat format{};
        std::uint64_t audioBytes = 0;
        ASSERT_TRUE(OpenWave(&file, path.c_str(), audioBytes, format));
        EXPECT_EQ(file.Position(), static_cast<std::int64_t>(row.header.size()));
        EXPECT_EQ(audioBytes, row.audioBytes);
        // The last frames read are the last ones of the audio, and then nothing.
        ASSERT_TRUE(
            file.Seek(static_cast<std::int64_t>(audioBytes) - 8, platform::File::Whence::Current));
        std::string read(16, '\0');
        read.resize(file.Read(read.data(), read.size()));
        EXPECT_EQ(read, tail);
        const WaveProbe probed = ProbeWave(path);
        EXPECT_EQ(probed.Failure, WaveFailure::None);
        EXPECT_EQ(probed.AudioBytes, audioBytes);
    }
    EXPECT_TRUE(recorder_->Requests().empty());
}

TEST_F(WaveReaderTest, AnRf64FileWithoutItsSizesHasNoRiffHeader) {
    const std::string fmt = "fmt " + Le32(16) + StereoFmtBody();
    const std::string data = "data" + Le32(0xFFFFFFFF) + kAudio;
    ExpectRejected(Write("nods64.wav", "RF64" + Le32(0xFFFFFFFF) + "WAVE" + fmt + data), kM3);
    ExpectRejected(Write("shortds64.wav", "RF64" + Le32(0xFFFFFFFF) + "WAVE" +
                                              testsupport::Chunk("ds64", Le64(0)) + fmt + data),
                   kM3);
}

TEST_F(WaveReaderTest, MissingFileFailsToOpen) {
    ExpectRejected(dir_.File("100%s missing.wav"), kM1);
}

TEST_F(WaveReaderTest, FolderFailsToOpen) {
    ExpectRejected(dir_.Path(), kM1);
}

TEST_F(WaveReaderTest, EmptyFileHasNoRiffHeader) {
    ExpectRejected(Write("empty.wav", ""), kM2);
}

TEST_F(WaveReaderTest, WrongRiffIdentifier) {
    ExpectRejected(Write("rifx.wav", "RIFX" + Le32(36) + "WAVEfmt " + Le32(16) + StereoFmtBody()),
                   kM3);
}

TEST_F(WaveReaderTest, FileEndingAfterTheRiffHeader) {
    ExpectRejected(Write("riffonly.wav", "RIFF" + Le32(36)), kM4);
}

TEST_F(WaveReaderTest, WrongFormType) {
    ExpectRejected(Write("avi.wav", "RIFF" + Le32(36) + "AVI fmt " + Le32(16) + StereoFmtBody()),
                   kM5);
}

TEST_F(WaveReaderTest, NoFmtChunkBeforeTheDataOrTheEnd) {
    const std::string data = testsupport::Chunk("data", kAudio);
    ExpectRejected(Write("dataonly.wav", "RIFF" + Le32(0) + "WAVE" + data), kM6);
    ExpectRejected(Write("datafirst.wav", "RIFF" + Le32(0) + "WAVE" + data +
                                              testsupport::Chunk("fmt ", StereoFmtBody())),
                   kM6);
    ExpectRejected(Write("junkonly.wav", "RIFF" + Le32(0) + "WAVE" +
                                             testsupport::Chunk("JUNK", std::string(30, '\0'))),
                   kM6);
}

TEST_F(WaveReaderTest, FileEndingBeforeTheFmtBlock) {
    ExpectRejected(Write("nofmt.wav", "RIFF" + Le32(12) + "WAVEfmt " + Le32(16)), kM7);
}

TEST_F(WaveReaderTest, FileEndingRightAfterTheFmtBlockOrWithoutData) {
    ExpectRejected(Write("fmt16.wav", "RIFF" + Le32(36) + "WAVEfmt " + Le32(16) + StereoFmtBody()),
                   kM10);
    // The extension a size of 18 promises is missing altogether.
    ExpectRejected(Write("fmt18.wav", "RIFF" + Le32(36) + "WAVEfmt " + Le32(18) + StereoFmtBody()),
                   kM9);
    ExpectRejected(Write("listonly.wav", "RIFF" + Le32(0) + "WAVEfmt " + Le32(16) +
                                             StereoFmtBody() + testsupport::Chunk("LIST", "INFO")),
                   kM10);
}

TEST_F(WaveReaderTest, PartialHeaderPartsAreTestedAsFarAsTheyWereRead) {
    // Only a read that delivers no byte at all fails; the rest of a short read is tested as
    // it stands.
    ExpectRejected(Write("rif.wav", "RIF"), kM3);
    ExpectRejected(Write("wav.wav", "RIFF" + Le32(0) + "WAV"), kM5);
    ExpectRejected(Write("fmtid.wav", "RIFF" + Le32(0) + "WAVEfmt "), kM7);
    // Channels and rate are there, block align is not.
    ExpectRejected(Write("halffmt.wav",
                         "RIFF" + Le32(0) + "WAVEfmt " + Le32(16) + StereoFmtBody().substr(0, 8)),
                   kM8);
    // One byte of the extension size, nothing after it.
    ExpectRejected(Write("halfext.wav", "RIFF" + Le32(0) + "WAVEfmt " + Le32(18) + StereoFmtBody() +
                                            std::string(1, '\0')),
                   kM10);
    // A cut chunk header is not a data chunk.
    ExpectRejected(
        Write("halfdata.wav", "RIFF" + Le32(0) + "WAVEfmt " + Le32(16) + StereoFmtBody() + "da"),
        kM10);
}

TEST_F(WaveReaderTest, MissingArgumentsFailSilently) {
    const std::string path = WriteWave("ok.wav", WaveHeader{});
    platform::File file;
    SampleFormat format{};
    std::uint64_t audioBytes = 0;
    EXPECT_FALSE(OpenWave(nullptr, path.c_str(), audioBytes, format));
    EXPECT_FALSE(OpenWave(&file, nullptr, audioBytes, format));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(recorder_->Requests().empty());
}

TEST_F(WaveReaderTest, OpenWaveReplacesWhatTheFileObjectHeld) {
    WaveHeader at32000;
    at32000.sampleRate = 32000;
    const std::string first = WriteWave("first.wav", at32000);
    const std::string second =
        WriteWave("second.wav", WaveHeader{}, Frames(), std::string(100, 'z'));
    platform::File file;
    SampleFormat format{};
    std::uint64_t audioBytes = 0;
    ASSERT_TRUE(OpenWave(&file, first.c_str(), audioBytes, format));
    ASSERT_TRUE(OpenWave(&file, second.c_str(), audioBytes, format));
    EXPECT_EQ(format.Rate, 44100u);
    EXPECT_EQ(file.Length(), static_cast<std::int64_t>(std::filesystem::file_size(second)));
}

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                      std::filesystem::directory_iterator{}));
}

TEST_F(WaveReaderTest, ProbeWaveAlwaysClosesAndNeverSpeaks) {
    const std::vector<std::string> paths = {
        WriteWave("good.wav", WaveHeader{}),
        Write("empty.wav", ""),
        Write("short.wav", "RIFF" + Le32(0) + "WAVE"),
        Write("nofmt.wav", "RIFF" + Le32(0) + "WAVEJUNK"),
        Write("fmtonly.wav", "RIFF" + Le32(0) + "WAVEfmt " + Le32(16) + StereoFmtBody()),
        dir_.File("missing.wav"),
    };
    const std::size_t before = OpenDescriptors();
    for (const std::string& path : paths) {
        SampleFormat format{};
        ProbeWave(path, format);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(recorder_->Requests().empty());
}

} // namespace
