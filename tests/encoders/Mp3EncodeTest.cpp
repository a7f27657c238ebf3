// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndEventRecorder.h"
#include "LibraryFolder.h"
#include "RecordingBar.h"
#include "support/Mp3Decoder.h"

#include "encoders/CMP3EncodeThread.h"
#include "encoders/JobMessages.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "settings/EncodeSettings.h"
#include "support/ExternalProgram.h"
#include "support/OpenFiles.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <numeric>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::MessageIcon;
using testsupport::OpenFileCount;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WaveHeader;

// The engine's samples per call at MPEG-1 rates, times the job's multiplier, in bytes.
constexpr std::uint64_t kChunkBytes = 2 * 1152 * 8 * 2;
constexpr std::size_t kFrame = 1152;
// Encoder delay, decoder delay and padding stay below two frames; one more for rounding.
constexpr std::size_t kMaxExtra = 3 * kFrame;

constexpr const char* kBufferFailed = "バッファの割当に失敗しました\n"
                                      "申し訳ありませんが、作成者までメールをお願いいたします";

std::vector<float> Mix(const std::vector<std::int16_t>& interleaved) {
    std::vector<float> out;
    for (std::size_t i = 0; i + 1 < interleaved.size(); i += 2) {
        out.push_back((static_cast<float>(interleaved[i]) + interleaved[i + 1]) / 65536.0f);
    }
    return out;
}

class Mp3Job : public ::testing::Test {
protected:
    Mp3Job() {
        parm_ = FirstStartLameParm();
        // As a record read from opt.ini: the header is not stored there.
        parm_.StructVersion = 0;
        parm_.StructSize = 0;
    }

    std::string Wave(std::uint32_t rate, const std::vector<std::int16_t>& samples,
                     const std::string& name = "in.wav") {
        WaveHeader header;
        header.sampleRate = rate;
        const std::string path = dir_.File(name);
        EXPECT_TRUE(testsupport::WriteWave(path, header, samples));
        return path;
    }

    bool Begin(const std::string& in, const std::string& out) {
        EncodeJobInput input;
        input.Item = item_;
        input.Item.InPath = in;
        input.OutPath = out;
        input.LameParm = parm_;
        return job_->BeginEncode(input, bar_, &notify_);
    }

    /// Runs the job on one file and waits for its end event.
    bool Convert(const std::string& in, const std::string& out, std::size_t ends = 1) {
        return Begin(in, out) && notify_.WaitForPosts(ends);
    }

    void ExpectOneError(const std::string& text) {
        const auto shown = messages_->Requests();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, text);
        EXPECT_EQ(shown[0].title, "エラー");
        EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
        EXPECT_EQ(shown[0].buttons, platform::MessageButtons::Ok);
    }

    testsupport::ScopedMessageRecorder messages_;
    TempDir dir_;
    EndEventRecorder notify_;
    RecordingBar bar_;
    BE_CONFIG parm_{};
    EncodeItem item_; ///< no texts: no ID3v2 tag, an empty ID3v1 record
    // Last, so that it is gone before what its worker uses.
    std::unique_ptr<CMP3EncodeThread> job_ = std::make_unique<CMP3EncodeThread>();
};

TEST_F(Mp3Job, ConstantBitrateFileSoundsLikeTheInput) {
    parm_.Bitrate = 192;
    const std::vector<std::int16_t> input = SwellingStereo(44100, 100000);
    const std::string in = Wave(44100, input);
    const std::string out = dir_.File("song.mp3");
    ASSERT_TRUE(Convert(in, out));
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    EXPECT_TRUE(messages_->Requests().empty());
    EXPECT_EQ(notify_.Posted(), 1u);
    EXPECT_EQ(notify_.Sent(), 0u);

    const std::string bytes = ReadFileBytes(out);
    EXPECT_EQ(ReadInfoFrame(bytes).id, "Info");
    EXPECT_EQ(bytes.find("TAG"), bytes.size() - 128) << "no ID3 tag from the engine";
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, 44100);
    ASSERT_EQ(decoded.channels, 2);
    EXPECT_FALSE(decoded.frameBitrates.empty());
    EXPECT_TRUE(std::all_of(decoded.frameBitrates.begin(), decoded.frameBitrates.end(),
                            [](int kbps) { return kbps == 192; }));
    EXPECT_EQ(decoded.samples[0].size(), input.size() / 2);
    EXPECT_GT(AlignedCorrelation(ChannelOf(input, 0), decoded.samples[0], 64), 0.9);
    EXPECT_GT(AlignedCorrelation(ChannelOf(input, 1), decoded.samples[1], 64), 0.9);

    // Read in chunks of eight calls' worth, each counted once on the bar.
    const std::uint64_t audioBytes = input.size() * 2;
    std::vector<BarCall> expected{
        {BarCall::SetPos, 0}, {BarCall::SetLower, 0}, {BarCall::SetUpper, audioBytes}};
    for (std::uint64_t left = audioBytes; left > 0; left -= std::min(left, kChunkBytes)) {
        expected.push_back({BarCall::OffsetPos, std::min(left, kChunkBytes)});
    }
    EXPECT_EQ(bar_.Calls(), expected);
}

// mpg123's own count of the frames it plays (gapless, as it is by default), or -1.
long Mpg123Frames(const std::string& mpg123, const std::string& mp3, const std::string& raw) {
    const testsupport::ProgramRun run =
        testsupport::RunExternal(mpg123, {"-q", "--stereo", "-e", "s16", "-O", raw, mp3});
    if (run.exitCode != 0) {
        ADD_FAILURE() << run.output;
        return -1;
    }
    return static_cast<long>(ReadFileBytes(raw).size() / 4);
}

struct GaplessCase {
    const char* name;
    std::uint32_t rate;
    std::int32_t mode;
    std::int32_t vbrMethod; ///< EnableVBR with this method; -2 for EnableVBR 0
    std::int32_t quality;
    bool id3v2;
    const char* infoId;
};

class Mp3JobGapless : public Mp3Job, public ::testing::WithParamInterface<GaplessCase> {};

// Every stream carries its info frame, behind the ID3v2 tag when there is one: a gapless
// decoder gives back exactly the input's frames, and the frame counts the stream's frames.
TEST_P(Mp3JobGapless, DecodesToExactlyTheInputsFrames) {
    const std::string mpg123 = testsupport::FindProgram("mpg123");
    if (mpg123.empty()) {
        GTEST_SKIP() << "mpg123 is not installed";
    }
    const GaplessCase& c = GetParam();
    parm_.Mode = c.mode;
    parm_.Quality = c.quality;
    parm_.SampleRate = c.rate;
    parm_.EnableVBR = c.vbrMethod != -2 ? 1 : 0;
    parm_.VbrMethod = c.vbrMethod;
    parm_.Bitrate = c.vbrMethod >= 0 ? 32 : 160;
    parm_.VBRQuality = 3;
    parm_.VbrAbr_bps = 144000;
    if (c.id3v2) {
        item_.Title = "曲名";
        item_.Comment = "gapless";
    }
    const std::size_t frames = c.rate * 7 / 10 + 13;
    const std::vector<std::int16_t> input = SwellingStereo(c.rate, frames);
    const std::string out = dir_.File("gapless.mp3");
    ASSERT_TRUE(Convert(Wave(c.rate, input), out));
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    EXPECT_TRUE(messages_->Requests().empty());

    const std::string bytes = ReadFileBytes(out);
    EXPECT_EQ(bytes.starts_with("ID3"), c.id3v2);
    const Mp3InfoFrame info = ReadInfoFrame(bytes);
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.id, c.infoId);
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, static_cast<long>(c.rate));
    EXPECT_EQ(decoded.channels, c.mode == 3 ? 1 : 2);
    EXPECT_EQ(info.frameCount, decoded.frameBitrates.size());
    const std::set<int> bitrates(decoded.frameBitrates.begin(), decoded.frameBitrates.end());
    EXPECT_EQ(bitrates.size() == 1, std::string(c.infoId) == "Info");
    EXPECT_EQ(Mpg123Frames(mpg123, out, dir_.File("decoded.raw")), static_cast<long>(frames));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfStream, Mp3JobGapless,
    ::testing::Values(GaplessCase{"Constant", 44100, 0, -2, 0, false, "Info"},
                      GaplessCase{"ConstantTagged", 44100, 0, -2, 0, true, "Info"},
                      GaplessCase{"Joint32k", 32000, 1, -2, 2, true, "Info"},
                      GaplessCase{"ForcedMidSide48k", 48000, 2, -2, 1, false, "Info"},
                      GaplessCase{"Mono", 44100, 3, -2, 5, true, "Info"},
                      GaplessCase{"VbrConstantMethod", 48000, 1, -1, 0, false, "Info"},
                      GaplessCase{"Vbr0", 44100, 1, 0, 0, true, "Xing"},
                      GaplessCase{"Vbr1At32k", 32000, 0, 1, 0, false, "Xing"},
                      GaplessCase{"Vbr2At48k", 48000, 1, 2, 0, true, "Xing"},
                      GaplessCase{"Vbr3Mono", 44100, 3, 3, 0, false, "Xing"},
                      GaplessCase{"Abr", 44100, 1, 4, 0, true, "Xing"},
                      GaplessCase{"AbrAt32k", 32000, 2, 4, 0, false, "Xing"},
                      GaplessCase{"CdPreset", 44100, 0, -2, 9000, true, "Xing"},
                      GaplessCase{"R3mixPreset", 48000, 1, -2, 4, false, "Xing"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Mp3Job, MonoModeGivesOneChannelOfTheInputsDuration) {
    parm_.Mode = 3;
    const std::vector<std::int16_t> input = SwellingStereo(44100, 70000);
    const std::string out = dir_.File("mono.mp3");
    ASSERT_TRUE(Convert(Wave(44100, input), out));
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    ASSERT_EQ(decoded.channels, 1);
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.samples[0].size(), input.size() / 2);
    EXPECT_GT(AlignedCorrelation(Mix(input), decoded.samples[0], 64), 0.9);
}

TEST_F(Mp3Job, AutomaticRateIsTheInputsOwn) {
    parm_.SampleRate = 0;
    const std::vector<std::int16_t> input = SwellingStereo(48000, 60000);
    const std::string out = dir_.File("auto.mp3");
    ASSERT_TRUE(Convert(Wave(48000, input), out));
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, 48000);
    EXPECT_EQ(decoded.samples[0].size(), input.size() / 2);
}

TEST_F(Mp3Job, FixedRateResamplesWithoutChangingSpeedOrPitch) {
    parm_.SampleRate = 44100;
    const std::vector<std::int16_t> input = testsupport::StereoTone(32000, 32000, 1000, 1000);
    const std::string out = dir_.File("resampled.mp3");
    ASSERT_TRUE(Convert(Wave(32000, input), out));
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, 44100);
    const double seconds = static_cast<double>(decoded.samples[0].size()) / 44100.0;
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 1.0 + static_cast<double>(kMaxExtra) / 44100.0);
    EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), 1000.0, 10.0);
}

class Mp3JobQuality : public Mp3Job, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(Mp3JobQuality, EveryCodeGivesAValidStreamOfTheInput) {
    parm_.Quality = GetParam();
    const std::vector<std::int16_t> input = testsupport::StereoTone(44100, 44100, 440, 440);
    const std::string out = dir_.File("quality.mp3");
    ASSERT_TRUE(Convert(Wave(44100, input), out));
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    // The spoken-word presets encode one channel whatever the record's mode.
    const std::set<std::int32_t> mono{3, 1000, 2000, 3000, 5000};
    EXPECT_EQ(decoded.channels, mono.count(GetParam()) != 0 ? 1 : 2);
    // Presets may choose a lower rate; the duration and the pitch stay.
    const double seconds =
        static_cast<double>(decoded.samples[0].size()) / static_cast<double>(decoded.rate);
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 1.0 + 3.0 * kFrame / static_cast<double>(decoded.rate));
    EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), 440.0, 5.0);
    // The preset codes make variable or average bitrate streams; every stream carries its
    // info frame.
    const Mp3InfoFrame info = ReadInfoFrame(ReadFileBytes(out));
    const std::set<std::int32_t> constant{0, 1, 2, 5, 77};
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.id, constant.count(GetParam()) != 0 ? "Info" : "Xing");
    // At the lowest rates the decoder leaves the engine's last frame uncounted.
    EXPECT_NEAR(info.frameCount, decoded.frameBitrates.size(), 1.0);
}

INSTANTIATE_TEST_SUITE_P(AllCodes, Mp3JobQuality,
                         ::testing::Values(0, 1, 2, 3, 4, 5, 1000, 2000, 3000, 4000, 5000, 6000,
                                           7000, 8000, 9000, 10000, 77));

TEST_F(Mp3Job, ACdQualityFilesDurationIsReadFromItsInfoFrame) {
    parm_.Quality = 9000;
    const std::size_t frames = 44100 * 6;
    const std::vector<std::int16_t> input = SwellingStereo(44100, frames);
    const std::string out = dir_.File("cd.mp3");
    ASSERT_TRUE(Convert(Wave(44100, input), out));
    const Mp3InfoFrame info = ReadInfoFrame(ReadFileBytes(out));
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.id, "Xing");
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    ASSERT_EQ(decoded.rate, 44100);
    // What a player shows: the declared frames, not the size over the first frame's bitrate.
    EXPECT_NEAR(static_cast<double>(info.frameCount) * kFrame / 44100.0, 6.0, 2.0 * kFrame / 44100);
    EXPECT_EQ(decoded.samples[0].size(), frames);
}

TEST_F(Mp3Job, JobObjectServesOneFileAfterAnother) {
    const std::string in = Wave(44100, SwellingStereo(44100, 30000));
    ASSERT_TRUE(Convert(in, dir_.File("one.mp3"), 1));
    ASSERT_TRUE(Convert(in, dir_.File("two.mp3"), 2));
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    EXPECT_EQ(ReadFileBytes(dir_.File("one.mp3")), ReadFileBytes(dir_.File("two.mp3")));
}

TEST_F(Mp3Job, EmptyInputKeepsWhatTheFlushGives) {
    const std::string out = dir_.File("empty.mp3");
    ASSERT_TRUE(Convert(Wave(44100, {}), out));
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    EXPECT_TRUE(platform::FileExists(out));
    EXPECT_EQ(bar_.Calls(),
              (std::vector<BarCall>{
                  {BarCall::SetPos, 0}, {BarCall::SetLower, 0}, {BarCall::SetUpper, 0}}));
}

TEST_F(Mp3Job, BufferThatCannotBeHadShowsP3AndLeavesNoFile) {
    // The stand-in library asks for MaxBitrate KiB per call: 512 MiB for the job's chunks.
    const LibraryFolder folder(platform::ExecutableFolder() + "partial/");
    parm_.MaxBitrate = 65536;
    const std::string in = Wave(44100, SwellingStereo(44100, 10000));
    const std::string out = dir_.File("nobuffer.mp3");
    const std::size_t files = OpenFileCount();
    ASSERT_TRUE(Convert(in, out));
    ExpectOneError(kBufferFailed);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Failed);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_EQ(OpenFileCount(), files);
}

TEST_F(Mp3Job, MissingLibraryIsReportedAndEndsAtOnce) {
    TempDir empty;
    const LibraryFolder folder(empty.Path());
    const std::string out = dir_.File("never.mp3");
    EXPECT_FALSE(Begin(Wave(44100, SwellingStereo(44100, 1000)), out));
    const auto shown = messages_->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "lame_enc.dllが読込めませんでした");
    EXPECT_EQ(shown[0].title, "Information");
    EXPECT_EQ(shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(notify_.Sent(), 1u);
    EXPECT_EQ(notify_.Posted(), 0u);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Failed);
    EXPECT_EQ(job_->GetState(), Idle);
    EXPECT_FALSE(platform::FileExists(out));
}

TEST_F(Mp3Job, LibraryWithoutHeaderWriterConvertsAndWritesWhatItReturns) {
    const LibraryFolder folder(platform::ExecutableFolder() + "partial/");
    parm_.EnableVBR = 1;
    // The stand-in returns the samples it is given: the file shows exactly what was passed.
    const std::string in = Wave(44100, SwellingStereo(44100, 25000));
    const std::string out = dir_.File("passed.mp3");
    ASSERT_TRUE(Convert(in, out));
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    const std::string bytes = ReadFileBytes(out);
    ASSERT_GT(bytes.size(), 128u);
    EXPECT_EQ(bytes.substr(0, bytes.size() - 128), ReadFileBytes(in).substr(44) + "FLSH");
}

TEST_F(Mp3Job, TheItemsRecordEndsTheFileAndADiskFullThereKeepsTheOldFile) {
    item_.Title = "曲名";
    item_.Genre = 17;
    const std::string in = Wave(44100, SwellingStereo(44100, 30000));
    const std::string out = dir_.File("tagged.mp3");
    ASSERT_TRUE(Convert(in, out));
    const std::string tagged = ReadFileBytes(out);
    ASSERT_GT(tagged.size(), 128u);
    const std::string record = tagged.substr(tagged.size() - 128);
    EXPECT_EQ(record.substr(0, 5), "TAG\x8B\xC8");
    EXPECT_EQ(static_cast<unsigned char>(record[127]), 17);
    const DecodedMp3 decoded = DecodeMp3(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.samples[0].size(), 30000u);

    // The same file again, with room for its audio but for only half of the record.
    const std::string old = "the file being replaced";
    ASSERT_TRUE(testsupport::WriteFileBytes(out, old));
    // A fresh job: the child has no thread of the parent's to collect.
    job_ = std::make_unique<CMP3EncodeThread>();
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::alarm(20);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{tagged.size() - 64, tagged.size() - 64};
        const bool ran = setrlimit(RLIMIT_FSIZE, &limit) == 0 && Convert(in, out, 2);
        const auto shown = messages_->Requests();
        const bool told =
            shown.size() == 1 && shown[0].text == platform::Format(kOutputWriteFailed, out.c_str());
        const bool failed = job_->Outcome() == EncodeOutcome::Failed;
        job_.reset();
        _exit(ran && told && failed ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(out), old);
    EXPECT_EQ(testsupport::FolderEntries(dir_.Path()),
              (std::set<std::string>{"in.wav", "tagged.mp3"}));
}

} // namespace
