// SPDX-License-Identifier: GPL-3.0-or-later
// What both jobs read and write: only the data chunk's audio, an output that replaces an
// earlier one only when it is complete, and never the input.

#include "EndEventRecorder.h"
#include "RecordingBar.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"

#include "encoders/CMP3EncodeThread.h"
#include "encoders/COggEncodeThread.h"
#include "encoders/JobMessages.h"
#include "platform/Format.h"
#include "settings/EncodeSettings.h"
#include "support/OpenFiles.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveLayouts.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::FolderEntries;
using testsupport::OpenFileCount;
using testsupport::ReadFileBytes;
using testsupport::TempDir;

constexpr std::uint32_t kRate = 44100;

enum class Kind { Ogg, Mp3VariableBitrate, Mp3ConstantBitrate };

std::string KindName(Kind kind) {
    switch (kind) {
    case Kind::Ogg:
        return "Ogg";
    case Kind::Mp3VariableBitrate:
        return "Mp3VariableBitrate";
    case Kind::Mp3ConstantBitrate:
        return "Mp3ConstantBitrate";
    }
    return {};
}

// Both jobs behind one face, with the settings each needs.
class Jobs {
public:
    explicit Jobs(Kind kind) : kind_(kind) {
        lame_ = FirstStartLameParm();
        // As a record read from opt.ini: the header is not stored there.
        lame_.StructVersion = 0;
        lame_.StructSize = 0;
        lame_.EnableVBR = kind == Kind::Mp3VariableBitrate ? 1 : 0;
        item_.Title = "title";
    }

    bool Begin(const std::string& in, const std::string& out) { return Begin(in, out, bar); }
    bool Begin(const std::string& in, const std::string& out, RecordingBar& onBar) {
        EncodeJobInput input;
        input.Item = item_;
        input.Item.InPath = in;
        input.OutPath = out;
        input.LameParm = lame_;
        input.Ogg = oggParm_;
        return Job().BeginEncode(input, onBar, &notify);
    }
    bool Run(const std::string& in, const std::string& out) { return Run(in, out, bar); }
    bool Run(const std::string& in, const std::string& out, RecordingBar& onBar) {
        const std::size_t posted = notify.Posted();
        return Begin(in, out, onBar) && notify.WaitForPosts(posted + 1);
    }
    CEncodeThread& Job() { return kind_ == Kind::Ogg ? static_cast<CEncodeThread&>(ogg_) : mp3_; }
    std::string Extension() const { return kind_ == Kind::Ogg ? ".ogg" : ".mp3"; }
    /// Settings the encoder refuses: a channel mode the engine does not have, or the Ogg
    /// Vorbis bitrates with none of them set; returns the message the job shows for them.
    std::string RefuseSettings() {
        lame_.Mode = 7;
        oggParm_.Custom = 1;
        return kind_ == Kind::Ogg ? "OggVorbisのエンコードの初期化に失敗しました\n"
                                    "申し訳ありませんが、作成者までメールをお願いいたします"
                                  : "LAME_ENC.DLLの初期化に失敗しました\n"
                                    "申し訳ありませんが、作成者までメールをお願いいたします";
    }

    EndEventRecorder notify;
    RecordingBar bar;

private:
    Kind kind_;
    BE_CONFIG lame_{};
    OggParm oggParm_;
    EncodeItem item_;
    // Last, so that they are gone before what their workers use.
    COggEncodeThread ogg_;
    CMP3EncodeThread mp3_;
};

struct Decoded {
    bool opened = false;
    long rate = 0;
    std::vector<std::vector<float>> samples;
};

Decoded DecodeOutput(Kind kind, const std::string& path) {
    if (kind == Kind::Ogg) {
        DecodedOgg ogg = DecodeOgg(path);
        return {ogg.opened && ogg.channels == 2, ogg.rate, std::move(ogg.samples)};
    }
    DecodedMp3 mp3 = DecodeMp3(path);
    return {mp3.opened && mp3.channels == 2, mp3.rate, std::move(mp3.samples)};
}

std::size_t CountOf(const std::vector<BarCall>& calls, BarCall::Kind kind) {
    return static_cast<std::size_t>(std::count_if(
        calls.begin(), calls.end(), [kind](const BarCall& c) { return c.kind == kind; }));
}

std::string WriteFailedText(const std::string& out) {
    return platform::Format(kOutputWriteFailed, out.c_str());
}

class JobFilesTest : public ::testing::TestWithParam<Kind> {
protected:
    std::string Tone(const std::string& name, double seconds,
                     const testsupport::WaveHeader& header = {}, const std::string& trailing = {}) {
        const std::string path = dir_.File(name);
        frames_ = static_cast<std::size_t>(seconds * kRate);
        EXPECT_TRUE(testsupport::WriteWave(
            path, header, testsupport::StereoTone(kRate, frames_, 440.0, 0.0), trailing));
        return path;
    }

    // The one job error shown after the first `before` messages, or an empty text when there
    // was none, more than one, or another kind of message.
    std::string OnlyMessage(std::size_t before = 0) const {
        const auto shown = messages_->Requests();
        if (shown.size() != before + 1 || shown.back().title != "エラー" ||
            shown.back().icon != platform::MessageIcon::Warning) {
            return {};
        }
        return shown.back().text;
    }

    testsupport::ScopedMessageRecorder messages_;
    TempDir dir_;
    std::size_t frames_ = 0;
    Jobs jobs_{GetParam()};
};

TEST_P(JobFilesTest, EveryChunkLayoutEncodesOnlyTheDataChunk) {
    const Kind kind = GetParam();
    for (const testsupport::WaveLayout& layout : testsupport::ChunkLayouts()) {
        SCOPED_TRACE(layout.name);
        const std::string in = Tone(layout.name + ".wav", 0.5, layout.header, layout.trailing);
        const std::string out = dir_.File(layout.name + jobs_.Extension());
        ASSERT_TRUE(jobs_.Run(in, out));
        EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Converted);
        const Decoded decoded = DecodeOutput(kind, out);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(decoded.rate, static_cast<long>(kRate));
        EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), 440.0, 5.0);
        // Not a click, not a burst, not the tone: the right channel is silent throughout.
        const std::vector<float>& right = decoded.samples[1];
        const auto loudest = std::max_element(right.begin(), right.end(), [](float a, float b) {
            return std::fabs(a) < std::fabs(b);
        });
        ASSERT_NE(loudest, right.end());
        EXPECT_LT(std::fabs(*loudest), 1e-3f) << "at sample " << (loudest - right.begin());
        EXPECT_EQ(right.size(), frames_);
    }
    EXPECT_TRUE(messages_->Requests().empty());
}

TEST_P(JobFilesTest, AStoppedOrFailedReplacementKeepsTheOldFile) {
    const std::string in = dir_.File("in.wav");
    ASSERT_TRUE(testsupport::WriteWave(in, {}, SwellingStereo(kRate, 3 * kRate)));
    const std::string out = dir_.File("song" + jobs_.Extension());
    const std::string old = "an earlier output the user agreed to replace";
    const std::set<std::string> before{"in.wav", "song" + jobs_.Extension()};

    ASSERT_TRUE(testsupport::WriteFileBytes(out, old));

    // A full disk: the file-size limit stays in a child, which reports what it saw. First, so
    // that no thread of the parent's is left to the child.
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        ::alarm(20);
        std::signal(SIGXFSZ, SIG_IGN);
        const auto check = [&] {
            const rlimit limit{16 * 1024, 16 * 1024};
            Jobs jobs(GetParam());
            const bool ran = setrlimit(RLIMIT_FSIZE, &limit) == 0 && jobs.Run(in, out);
            // Mid-file: some audio was encoded before the failure.
            return ran && jobs.Job().Outcome() == EncodeOutcome::Failed &&
                   OnlyMessage() == WriteFailedText(out) && jobs.bar.GetPos() > 0;
        };
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "failure not reported as a write failure";
    EXPECT_TRUE(ReadFileBytes(out) == old);
    EXPECT_EQ(FolderEntries(dir_.Path()), before);

    // Cancelled mid-file.
    jobs_.bar.PauseAt(BarCall::OffsetPos, 2);
    ASSERT_TRUE(jobs_.Begin(in, out));
    ASSERT_TRUE(jobs_.bar.WaitUntilPaused());
    EXPECT_TRUE(ReadFileBytes(out) == old) << "untouched while the job runs";
    jobs_.Job().RequestStop();
    jobs_.bar.Resume();
    ASSERT_TRUE(jobs_.notify.WaitForPosts(1));
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Stopped);
    EXPECT_TRUE(ReadFileBytes(out) == old);
    EXPECT_EQ(FolderEntries(dir_.Path()), before);
    EXPECT_TRUE(messages_->Requests().empty());
}

TEST_P(JobFilesTest, AnOutputFolderRemovedMidFileFailsTheItem) {
    const std::string in = Tone("in.wav", 2.0);
    TempDir outDir;
    const std::string out = outDir.File("song" + jobs_.Extension());
    jobs_.bar.PauseAt(BarCall::OffsetPos, 2);
    ASSERT_TRUE(jobs_.Begin(in, out));
    ASSERT_TRUE(jobs_.bar.WaitUntilPaused());
    std::filesystem::remove_all(outDir.Path());
    jobs_.bar.Resume();
    ASSERT_TRUE(jobs_.notify.WaitForPosts(1));
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Failed);
    EXPECT_EQ(OnlyMessage(), WriteFailedText(out));
    EXPECT_FALSE(std::filesystem::exists(outDir.Path()));
}

// The working file is finished through its open descriptor, the MP3 info frame too: a folder
// renamed meanwhile holds the whole file.
TEST_P(JobFilesTest, AnOutputFolderRenamedMidFileGetsTheWholeFile) {
    const std::string in = Tone("in.wav", 1.0);
    const std::string folder = dir_.File("out");
    const std::string renamed = dir_.File("renamed");
    std::filesystem::create_directory(folder);
    jobs_.bar.PauseAt(BarCall::OffsetPos, 2);
    ASSERT_TRUE(jobs_.Begin(in, folder + "/song" + jobs_.Extension()));
    ASSERT_TRUE(jobs_.bar.WaitUntilPaused());
    std::filesystem::rename(folder, renamed);
    jobs_.bar.Resume();
    ASSERT_TRUE(jobs_.notify.WaitForPosts(1));
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Converted);
    EXPECT_TRUE(messages_->Requests().empty());
    const std::string out = renamed + "/song" + jobs_.Extension();
    EXPECT_EQ(FolderEntries(renamed), std::set<std::string>{"song" + jobs_.Extension()});
    const Decoded decoded = DecodeOutput(GetParam(), out);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.samples[0].size(), frames_);
}

TEST_P(JobFilesTest, AnOutputThatIsTheInputIsRefusedAndTheInputKept) {
    const std::string in = Tone("in.wav", 0.3);
    const std::string bytes = ReadFileBytes(in);
    const std::string symbolic = dir_.File("symbolic" + jobs_.Extension());
    const std::string hard = dir_.File("hard" + jobs_.Extension());
    std::filesystem::create_symlink(in, symbolic);
    std::filesystem::create_hard_link(in, hard);
    for (const std::string& out : {symbolic, hard, in}) {
        SCOPED_TRACE(out);
        const std::size_t before = messages_->Requests().size();
        ASSERT_TRUE(jobs_.Run(in, out));
        EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Failed);
        EXPECT_EQ(OnlyMessage(before), platform::Format(kOutputIsInput, out.c_str(), in.c_str()));
        EXPECT_EQ(ReadFileBytes(in), bytes);
    }
    EXPECT_TRUE(std::filesystem::is_symlink(symbolic));
    EXPECT_EQ(std::filesystem::hard_link_count(in), 2u);
    EXPECT_EQ(FolderEntries(dir_.Path()),
              (std::set<std::string>{"in.wav", "symbolic" + jobs_.Extension(),
                                     "hard" + jobs_.Extension()}));
}

TEST_P(JobFilesTest, AStopIsSeenBeforeTheNextChunkIsEncodedAndRemovesTheWorkingFile) {
    const std::string in = Tone("in.wav", 3.0);
    const std::string out = dir_.File("song" + jobs_.Extension());
    const std::size_t filesOpen = OpenFileCount();
    // Held before the first chunk, then after the second.
    const struct {
        BarCall::Kind at;
        std::size_t count;
        std::size_t chunksCounted;
    } cases[] = {{BarCall::SetPos, 1, 0}, {BarCall::OffsetPos, 2, 2}};
    std::size_t ends = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chunksCounted);
        RecordingBar bar;
        bar.PauseAt(c.at, c.count);
        ASSERT_TRUE(jobs_.Begin(in, out, bar));
        ASSERT_TRUE(bar.WaitUntilPaused());
        EXPECT_FALSE(platform::FileExists(out)) << "the name appears only for a finished file";
        EXPECT_FALSE(jobs_.Begin(in, out)) << "one run at a time";
        jobs_.Job().RequestStop();
        bar.Resume();
        ASSERT_TRUE(jobs_.notify.WaitForPosts(++ends));
        EXPECT_EQ(jobs_.Job().GetState(), Finished);
        EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Stopped);
        EXPECT_EQ(CountOf(bar.Calls(), BarCall::OffsetPos), c.chunksCounted);
        EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"in.wav"});
        EXPECT_EQ(OpenFileCount(), filesOpen);
    }
    EXPECT_TRUE(messages_->Requests().empty());
    EXPECT_EQ(jobs_.notify.Sent(), 0u);
}

TEST_P(JobFilesTest, AnInputOrOutputThatCannotBeOpenedIsReportedAndNothingIsLeft) {
    const std::string in = Tone("in.wav", 0.2);
    const std::size_t filesOpen = OpenFileCount();
    const std::string noFolder = dir_.File("missing/song" + jobs_.Extension());
    ASSERT_TRUE(jobs_.Run(in, noFolder));
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Failed);
    EXPECT_EQ(OnlyMessage(), platform::Format(kOutputOpenFailed, noFolder.c_str()));
    EXPECT_EQ(OpenFileCount(), filesOpen) << "the input is closed again";

    const std::string absent = dir_.File("absent.wav");
    const std::string out = dir_.File("absent" + jobs_.Extension());
    RecordingBar untouched;
    ASSERT_TRUE(jobs_.Run(absent, out, untouched));
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Failed);
    const auto shown = messages_->Requests();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].title, "CLameDll");
    EXPECT_NE(shown[1].text.find(absent), std::string::npos);
    EXPECT_TRUE(untouched.Calls().empty());
    EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"in.wav"});
    EXPECT_EQ(OpenFileCount(), filesOpen);
}

TEST_P(JobFilesTest, RefusedSettingsAreReportedAndLeaveNothing) {
    const std::string in = Tone("in.wav", 0.2);
    const std::string out = dir_.File("refused" + jobs_.Extension());
    const std::string message = jobs_.RefuseSettings();
    const std::size_t filesOpen = OpenFileCount();
    ASSERT_TRUE(jobs_.Run(in, out));
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Failed);
    EXPECT_EQ(OnlyMessage(), message);
    EXPECT_EQ(FolderEntries(dir_.Path()), std::set<std::string>{"in.wav"});
    EXPECT_EQ(OpenFileCount(), filesOpen);
}

TEST_P(JobFilesTest, AJobThatCannotStartSendsItsEndAtOnce) {
    const std::string in = Tone("in.wav", 0.2);
    const std::string out = dir_.File("song" + jobs_.Extension());
    CEncodeThread::SetStartFailsForTests(true);
    const bool started = jobs_.Begin(in, out);
    CEncodeThread::SetStartFailsForTests(false);
    EXPECT_FALSE(started);
    EXPECT_EQ(jobs_.notify.Sent(), 1u);
    EXPECT_EQ(jobs_.notify.Posted(), 0u);
    EXPECT_EQ(jobs_.Job().GetState(), Idle);
    EXPECT_EQ(jobs_.Job().Outcome(), EncodeOutcome::Failed);
    EXPECT_FALSE(platform::FileExists(out));
    EXPECT_TRUE(messages_->Requests().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryJob, JobFilesTest,
                         ::testing::Values(Kind::Ogg, Kind::Mp3VariableBitrate,
                                           Kind::Mp3ConstantBitrate),
                         [](const auto& param) { return KindName(param.param); });

} // namespace
