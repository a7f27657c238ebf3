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
using testsupport::ReadFileBytes;
using testsupport::TempDir;

constexpr std::uint32_t kRate = 44100;
constexpr std::size_t kMp3Frame = 1152;

enum class Kind { Ogg, Mp3WithInfoFrame, Mp3ConstantBitrate };

std::string KindName(Kind kind) {
    switch (kind) {
    case Kind::Ogg:
        return "Ogg";
    case Kind::Mp3WithInfoFrame:
        return "Mp3WithInfoFrame";
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
        lame_.EnableVBR = kind == Kind::Mp3WithInfoFrame ? 1 : 0;
        item_.Title = "title";
    }

    bool Begin(const std::string& in, const std::string& out) {
        return kind_ == Kind::Ogg ? ogg_.BeginEncode(&notify, &oggParm_, &item_, &bar, in, out)
                                  : mp3_.BeginEncode(&notify, &lame_, &item_, &bar, in, out);
    }
    bool Run(const std::string& in, const std::string& out) {
        const std::size_t posted = notify.Posted();
        return Begin(in, out) && notify.WaitForPosts(posted + 1);
    }
    CEncodeThread& Job() { return kind_ == Kind::Ogg ? static_cast<CEncodeThread&>(ogg_) : mp3_; }
    std::string Extension() const { return kind_ == Kind::Ogg ? ".ogg" : ".mp3"; }

    EndEventRecorder notify;
    RecordingBar bar;

private:
    Kind kind_;
    OggParm oggParm_;
    BE_CONFIG lame_{};
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
        if (kind == Kind::Mp3ConstantBitrate) {
            EXPECT_GE(right.size(), frames_);
            EXPECT_LE(right.size(), frames_ + 2 * kMp3Frame);
        } else {
            EXPECT_EQ(right.size(), frames_);
        }
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
            return ran && jobs.Job().Outcome() == EncodeOutcome::Failed &&
                   OnlyMessage() == WriteFailedText(out);
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

INSTANTIATE_TEST_SUITE_P(EveryJob, JobFilesTest,
                         ::testing::Values(Kind::Ogg, Kind::Mp3WithInfoFrame,
                                           Kind::Mp3ConstantBitrate),
                         [](const auto& param) { return KindName(param.param); });

} // namespace
