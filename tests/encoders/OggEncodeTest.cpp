#include "EndEventRecorder.h"
#include "RecordingBar.h"
#include "support/OggDecoder.h"

#include "encoders/COggEncodeThread.h"
#include "platform/File.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using testsupport::Correlation;

constexpr std::uint64_t kChunk = 16384;

std::size_t OpenFileCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

std::vector<float> Channel(const std::vector<std::int16_t>& samples, std::size_t channel) {
    std::vector<float> out;
    out.reserve(samples.size() / 2);
    for (std::size_t i = channel; i < samples.size(); i += 2) {
        out.push_back(static_cast<float>(samples[i]) / 32768.0f);
    }
    return out;
}

// The calls a job makes for an input of audioBytes bytes read in whole chunks.
std::vector<BarCall> ExpectedBarCalls(std::uint64_t audioBytes) {
    std::vector<BarCall> calls{
        {BarCall::SetPos, 0}, {BarCall::SetLower, 0}, {BarCall::SetUpper, audioBytes}};
    for (std::uint64_t left = audioBytes; left >= kChunk; left -= kChunk) {
        calls.push_back({BarCall::OffsetPos, kChunk});
    }
    const std::uint64_t rest = audioBytes % kChunk;
    if (rest > 0) {
        calls.push_back({BarCall::OffsetPos, rest});
    }
    // A last chunk with no whole frame ends the stream by itself; otherwise an empty read does.
    if (rest == 0 || rest >= 4) {
        calls.push_back({BarCall::OffsetPos, 0});
    }
    return calls;
}

std::string OutputOpenFailedText(const std::string& path) {
    return "出力ファイル(" + path +
           ")のオープンに失敗しました\n他のソフトで使用されている可能性がありますので\n"
           "他のソフトを終了してから再度変換ボタンのクリックを\nお願いいたします";
}

class OggEncodeTest : public ::testing::Test {
protected:
    // stray: bytes at the end of the data chunk after the whole frames.
    std::string WriteTone(const std::string& name, std::uint32_t rate, std::size_t frames,
                          const std::string& stray = {}) {
        testsupport::WaveHeader header;
        header.sampleRate = rate;
        header.dataSize = static_cast<std::uint32_t>(frames * 4 + stray.size());
        tone_ = testsupport::StereoTone(rate, frames, 440.0, 660.0);
        const std::string path = dir_.File(name);
        EXPECT_TRUE(testsupport::WriteWave(path, header, tone_, stray));
        return path;
    }

    bool Begin(const std::string& in, const std::string& out) {
        return job_->BeginEncode(&notify_, &parm_, &item_, &bar_, in, out);
    }

    // Runs one file to its end event.
    void Convert(const std::string& in, const std::string& out) {
        const std::size_t posted = notify_.Posted();
        ASSERT_TRUE(Begin(in, out));
        ASSERT_TRUE(notify_.WaitForPosts(posted + 1));
        EXPECT_EQ(job_->GetState(), Finished);
    }

    // Destroys the job, joining its thread, so that no later end event can go uncounted.
    void EndJob() { job_.reset(); }

    testsupport::TempDir dir_;
    testsupport::ScopedMessageRecorder messages_;
    EndEventRecorder notify_;
    RecordingBar bar_;
    OggParm parm_;
    EncodeItem item_;
    std::vector<std::int16_t> tone_;
    std::unique_ptr<COggEncodeThread> job_ = std::make_unique<COggEncodeThread>();
};

TEST_F(OggEncodeTest, ConvertsEachRateToItsSoundLengthAndComments) {
    item_.Title = "春の海";
    item_.Artist = "宮城道雄";
    item_.Album = "箏曲集";
    item_.Year = "1929";
    item_.Comment = "";
    item_.Genre = 32;
    const std::size_t filesOpen = OpenFileCount();
    std::size_t converted = 0;
    // One job object for every file, as in a batch.
    for (const std::uint32_t rate : {44100u, 48000u, 32000u}) {
        SCOPED_TRACE(rate);
        RecordingBar bar;
        const std::size_t frames = rate + rate / 2 + 7;
        const std::string in = WriteTone("tone" + std::to_string(rate) + ".wav", rate, frames);
        const std::string out = dir_.File("tone" + std::to_string(rate) + ".ogg");
        ASSERT_TRUE(job_->BeginEncode(&notify_, &parm_, &item_, &bar, in, out));
        ASSERT_TRUE(notify_.WaitForPosts(++converted));
        EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
        const DecodedOgg decoded = DecodeOgg(out);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(decoded.channels, 2);
        EXPECT_EQ(decoded.rate, static_cast<long>(rate));
        EXPECT_EQ(decoded.totalFrames, static_cast<long long>(frames));
        ASSERT_EQ(decoded.samples[0].size(), frames);
        const std::vector<float> left = Channel(tone_, 0);
        const std::vector<float> right = Channel(tone_, 1);
        EXPECT_GT(Correlation(decoded.samples[0], left), 0.95);
        EXPECT_GT(Correlation(decoded.samples[1], right), 0.95);
        EXPECT_LT(Correlation(decoded.samples[0], right), 0.5);
        EXPECT_EQ(decoded.comments,
                  (std::vector<std::string>{"TITLE=春の海", "ARTIST=宮城道雄", "ALBUM=箏曲集",
                                            "DATE=1929", "COMMENT=", "GENRE=Classical"}));

        EXPECT_EQ(bar.Calls(), ExpectedBarCalls(frames * 4));
        EXPECT_EQ(bar.GetPos(), frames * 4);
    }
    EXPECT_EQ(OpenFileCount(), filesOpen);
    EXPECT_TRUE(messages_->Requests().empty());
    EndJob();
    EXPECT_EQ(notify_.Posted(), converted);
    EXPECT_EQ(notify_.Sent(), 0u);
}

TEST_F(OggEncodeTest, MonoEncodesTheMeanOfBothChannels) {
    parm_.Mode = 1;
    const std::string in = WriteTone("mono.wav", 44100, 30000);
    const std::string out = dir_.File("mono.ogg");
    Convert(in, out);
    const DecodedOgg decoded = DecodeOgg(out);
    ASSERT_TRUE(decoded.opened);
    ASSERT_EQ(decoded.channels, 1);
    ASSERT_EQ(decoded.samples[0].size(), 30000u);
    std::vector<float> mean;
    for (std::size_t i = 0; i < tone_.size(); i += 2) {
        mean.push_back((static_cast<float>(tone_[i]) + tone_[i + 1]) / 65536.0f);
    }
    EXPECT_GT(Correlation(decoded.samples[0], mean), 0.95);
    EXPECT_LT(Correlation(decoded.samples[0], Channel(tone_, 0)), 0.9);
}

TEST_F(OggEncodeTest, AStoredChannelCountAboveTwoEncodesAsStereo) {
    parm_.Mode = 3;
    const std::string in = WriteTone("three.wav", 32000, 12000);
    const std::string out = dir_.File("three.ogg");
    Convert(in, out);
    const DecodedOgg decoded = DecodeOgg(out);
    ASSERT_TRUE(decoded.opened);
    ASSERT_EQ(decoded.channels, 2);
    EXPECT_GT(Correlation(decoded.samples[0], Channel(tone_, 0)), 0.95);
    EXPECT_GT(Correlation(decoded.samples[1], Channel(tone_, 1)), 0.95);
}

TEST_F(OggEncodeTest, CustomBitratesReachTheEncoderInTheirPlaces) {
    parm_.Custom = 1;
    parm_.MinBitrate = 96000;
    parm_.AveBitrate = 128000;
    parm_.MaxBitrate = 160000;
    const std::string in = WriteTone("managed.wav", 48000, 20000);
    const std::string out = dir_.File("managed.ogg");
    Convert(in, out);
    const DecodedOgg decoded = DecodeOgg(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.bitrateLower, 96000);
    EXPECT_EQ(decoded.bitrateNominal, 128000);
    EXPECT_EQ(decoded.bitrateUpper, 160000);
    EXPECT_GT(Correlation(decoded.samples[0], Channel(tone_, 0)), 0.95);
}

TEST_F(OggEncodeTest, GenreCommentOnlyForAGenreNumberBelow148) {
    const std::string in = WriteTone("genre.wav", 44100, 2000);
    const struct {
        std::uint8_t genre;
        const char* comment; // nullptr: no GENRE comment
    } cases[] = {{0, "GENRE=Blues"}, {147, "GENRE=Synthpop"}, {148, nullptr}, {255, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.genre));
        item_ = EncodeItem{};
        item_.Genre = c.genre;
        const std::string out = dir_.File("genre" + std::to_string(c.genre) + ".ogg");
        Convert(in, out);
        const DecodedOgg decoded = DecodeOgg(out);
        ASSERT_TRUE(decoded.opened);
        std::vector<std::string> expected{"TITLE=", "ARTIST=", "ALBUM=", "DATE=", "COMMENT="};
        if (c.comment != nullptr) {
            expected.push_back(c.comment);
        }
        EXPECT_EQ(decoded.comments, expected);
    }
}

TEST_F(OggEncodeTest, NoAudioGivesAnEmptyStream) {
    const std::string in = WriteTone("empty.wav", 44100, 0);
    const std::string out = dir_.File("empty.ogg");
    Convert(in, out);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Converted);
    const DecodedOgg decoded = DecodeOgg(out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_EQ(decoded.totalFrames, 0);
    EXPECT_TRUE(decoded.samples[0].empty());
    EXPECT_EQ(decoded.comments.size(), 5u);
    EXPECT_EQ(bar_.Calls(), (std::vector<BarCall>{{BarCall::SetPos, 0},
                                                  {BarCall::SetLower, 0},
                                                  {BarCall::SetUpper, 0},
                                                  {BarCall::OffsetPos, 0}}));
}

TEST_F(OggEncodeTest, AnIncompleteLastFrameIsDropped) {
    const struct {
        std::size_t frames;
        std::string trailing;
    } cases[] = {{10001, "\x01\x02"}, {8192, "\x01\x02\x03"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        RecordingBar bar;
        const std::string in = WriteTone("odd.wav", 44100, c.frames, c.trailing);
        const std::string out = dir_.File("odd" + std::to_string(c.frames) + ".ogg");
        const std::size_t posted = notify_.Posted();
        ASSERT_TRUE(job_->BeginEncode(&notify_, &parm_, &item_, &bar, in, out));
        ASSERT_TRUE(notify_.WaitForPosts(posted + 1));
        const DecodedOgg decoded = DecodeOgg(out);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(decoded.totalFrames, static_cast<long long>(c.frames));
        EXPECT_EQ(decoded.samples[1].size(), c.frames);
        EXPECT_GT(Correlation(decoded.samples[1], Channel(tone_, 1)), 0.95);
        // The reader already leaves the stray bytes out.
        const std::uint64_t audioBytes = c.frames * 4;
        EXPECT_EQ(bar.Calls(), ExpectedBarCalls(audioBytes));
        EXPECT_EQ(bar.GetPos(), audioBytes);
    }
}

TEST_F(OggEncodeTest, StopBeforeTheFirstChunkRemovesTheOutput) {
    const std::string in = WriteTone("stop.wav", 44100, 44100);
    const std::string out = dir_.File("stop.ogg");
    // Held at its first call on the bar, so that the request comes before any chunk however
    // the threads are scheduled.
    bar_.PauseAt(BarCall::SetPos, 1);
    ASSERT_TRUE(Begin(in, out));
    ASSERT_TRUE(bar_.WaitUntilPaused());
    job_->RequestStop();
    bar_.Resume();
    ASSERT_TRUE(notify_.WaitForPosts(1));
    EXPECT_EQ(job_->GetState(), Finished);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Stopped);
    EXPECT_FALSE(platform::FileExists(out));
    for (const BarCall& call : bar_.Calls()) {
        EXPECT_NE(call.kind, BarCall::OffsetPos);
    }
    EXPECT_TRUE(messages_->Requests().empty());
    EndJob();
    EXPECT_EQ(notify_.Posted(), 1u);
}

TEST_F(OggEncodeTest, StopBeforeTheHeadersIsSeenAtTheFirstChunk) {
    const std::string in = WriteTone("stop.wav", 44100, 44100);
    const std::string out = dir_.File("stop.ogg");
    const std::size_t filesOpen = OpenFileCount();
    // The job sets the upper bound right before it creates the output and writes the headers.
    bar_.PauseAt(BarCall::SetUpper, 1);
    ASSERT_TRUE(Begin(in, out));
    ASSERT_TRUE(bar_.WaitUntilPaused());
    job_->RequestStop();
    bar_.Resume();
    ASSERT_TRUE(notify_.WaitForPosts(1));
    EXPECT_EQ(job_->GetState(), Finished);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Stopped);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_EQ(bar_.Calls().size(), 3u);
    // Counted once the worker is joined, so that nothing of its exit is still under way.
    EndJob();
    EXPECT_EQ(OpenFileCount(), filesOpen);
    EXPECT_EQ(notify_.Posted(), 1u);
}

TEST_F(OggEncodeTest, StopMidFileRemovesThePagesWrittenSoFar) {
    const std::string in = WriteTone("stop.wav", 44100, 44100 * 6);
    const std::string out = dir_.File("stop.ogg");
    const std::size_t filesOpen = OpenFileCount();
    bar_.PauseAt(BarCall::OffsetPos, 40);
    ASSERT_TRUE(Begin(in, out));
    ASSERT_TRUE(bar_.WaitUntilPaused());
    // Pages reach the hidden working file as they are released, not at the end; the output's
    // name appears only for a finished file.
    EXPECT_FALSE(platform::FileExists(out));
    const std::set<std::string> during = testsupport::FolderEntries(dir_.Path());
    EXPECT_EQ(during.size(), 2u);
    const DecodedOgg partial = DecodeOgg(dir_.File(*during.begin()), true);
    EXPECT_EQ(during.begin()->front(), '.');
    job_->RequestStop();
    bar_.Resume();
    ASSERT_TRUE(notify_.WaitForPosts(1));
    ASSERT_TRUE(partial.opened);
    EXPECT_GT(partial.samples[0].size(), 0u);
    EXPECT_EQ(testsupport::FolderEntries(dir_.Path()), (std::set<std::string>{"stop.wav"}));
    EXPECT_EQ(job_->GetState(), Finished);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Stopped);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_EQ(bar_.GetPos(), 40 * kChunk);
    EXPECT_EQ(OpenFileCount(), filesOpen);
    EXPECT_TRUE(messages_->Requests().empty());
    EndJob();
    EXPECT_EQ(notify_.Posted(), 1u);
}

TEST_F(OggEncodeTest, AnOutputThatCannotBeCreatedIsReported) {
    const std::string in = WriteTone("in.wav", 44100, 1000);
    const std::string out = dir_.File("missing/in.ogg");
    const std::size_t filesOpen = OpenFileCount();
    Convert(in, out);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Failed);
    const auto shown = messages_->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, OutputOpenFailedText(out));
    EXPECT_EQ(shown[0].title, "エラー");
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_EQ(OpenFileCount(), filesOpen);
}

TEST_F(OggEncodeTest, RefusedBitratesAreReportedAndTheOutputRemoved) {
    parm_.Custom = 1;
    const std::string in = WriteTone("in.wav", 44100, 1000);
    const std::string out = dir_.File("in.ogg");
    const std::size_t filesOpen = OpenFileCount();
    Convert(in, out);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Failed);
    const auto shown = messages_->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "OggVorbisのエンコードの初期化に失敗しました\n"
                             "申し訳ありませんが、作成者までメールをお願いいたします");
    EXPECT_EQ(shown[0].title, "エラー");
    EXPECT_EQ(shown[0].icon, MessageIcon::Warning);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_EQ(OpenFileCount(), filesOpen);
}

TEST_F(OggEncodeTest, AnUnreadableInputShowsTheReadersMessageAndCreatesNothing) {
    const std::string in = dir_.File("absent.wav");
    const std::string out = dir_.File("absent.ogg");
    Convert(in, out);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Failed);
    const auto shown = messages_->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "CLameDll");
    EXPECT_NE(shown[0].text.find(in), std::string::npos);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_TRUE(bar_.Calls().empty());
}

TEST_F(OggEncodeTest, BeginEncodeRefusesMissingSettingsOrBar) {
    const std::string in = WriteTone("in.wav", 44100, 1000);
    const std::string out = dir_.File("in.ogg");
    EXPECT_FALSE(job_->BeginEncode(&notify_, nullptr, &item_, &bar_, in, out));
    EXPECT_FALSE(job_->BeginEncode(&notify_, &parm_, &item_, nullptr, in, out));
    EXPECT_EQ(job_->GetState(), Idle);
    EndJob();
    EXPECT_EQ(notify_.Posted(), 0u);
    EXPECT_EQ(notify_.Sent(), 0u);
    EXPECT_FALSE(platform::FileExists(out));
}

TEST_F(OggEncodeTest, AJobThatCannotStartSendsItsEndAtOnce) {
    const std::string in = WriteTone("in.wav", 44100, 1000);
    const std::string out = dir_.File("in.ogg");
    CEncodeThread::SetStartFailsForTests(true);
    const bool started = Begin(in, out);
    CEncodeThread::SetStartFailsForTests(false);
    EXPECT_FALSE(started);
    EXPECT_EQ(notify_.Sent(), 1u);
    EXPECT_EQ(job_->GetState(), Idle);
    EXPECT_EQ(job_->Outcome(), EncodeOutcome::Failed);
    EndJob();
    EXPECT_EQ(notify_.Posted(), 0u);
    EXPECT_FALSE(platform::FileExists(out));
}

TEST_F(OggEncodeTest, AWriteFailureMidFileIsReportedAndRemovesThePartialOutput) {
    const std::string in = WriteTone("long.wav", 44100, 44100 * 8);
    const std::string out = dir_.File("long.ogg");
    const std::string expected =
        "出力ファイル(" + out +
        ")への書込みに失敗しました\nディスクの空き容量が不足している可能性がありますので\n"
        "空き容量をご確認の上再度変換ボタンのクリックを\nお願いいたします";
    // The file-size limit stays in the child; the parent reads the child's verdict.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16 * 1024, 16 * 1024};
        const auto check = [&] {
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                return 10;
            }
            if (!Begin(in, out)) {
                return 11;
            }
            const bool ended = notify_.WaitForPosts(1);
            const EncodeOutcome outcome = job_->Outcome();
            // Joined before the child exits, so that no thread outlives it.
            EndJob();
            const auto shown = messages_->Requests();
            if (!ended) {
                return 12;
            }
            if (outcome != EncodeOutcome::Failed) {
                return 13;
            }
            if (platform::FileExists(out)) {
                return 14;
            }
            if (bar_.GetPos() == 0) {
                return 15; // failed before any audio: not a mid-file failure
            }
            if (shown.size() != 1 || shown[0].text != expected || shown[0].title != "エラー" ||
                shown[0].icon != MessageIcon::Warning) {
                return 16;
            }
            return 0;
        };
        const int verdict = check();
        _exit(verdict);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    // 11 not started, 12 no end event, 13 wrong outcome, 14 output kept, 15 no audio written
    // before the failure, 16 wrong message.
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(platform::FileExists(out));
}

} // namespace
