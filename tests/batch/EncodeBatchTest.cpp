// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchInputs.h"
#include "ScriptedEncodeView.h"

#include "batch/EncodeBatch.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "support/Mp3Decoder.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

namespace {

using batchtest::TestLoop;
using platform::MessageAnswer;
using testsupport::ReadFileBytes;

using batchtest::kRate;

// A front end of a batch with several slots: records what the batch does, in order, and how
// many jobs ran at each step; answers the questions from a script.
class RecordingBatchView : public IEncodeBatchView {
public:
    explicit RecordingBatchView(TestLoop& loop) : loop_(loop) {}

    void Attach(EncodeBatch& batch) { batch_ = &batch; }
    bool RunToEnd() {
        return loop_.RunUntil([this] { return result.has_value(); }, std::chrono::seconds(60));
    }

    std::vector<std::string> events; ///< "start N", "finish N", "ask TITLE", in order
    std::vector<int> runningAtQuestions;
    /// The audio bytes the slot counted for each item its job ran, when it ended.
    std::map<std::size_t, std::uint64_t> doneBytes;
    /// The batch's audio time done when each item finished.
    std::vector<std::uint64_t> doneAudio;
    int running = 0;
    int mostRunning = 0;
    std::optional<int> result;
    int endCount = 0;
    std::deque<MessageAnswer> answers;
    /// Runs on the test thread, outside the batch's handlers, once this many jobs run.
    std::function<void()> whenRunning;
    int whenRunningCount = 0;

    void ItemTaken(std::size_t, const std::string&, const std::string&) override {}
    void OutputChosen(std::size_t, const std::string&) override {}
    void JobStarted(std::size_t, std::size_t index) override {
        events.push_back("start " + std::to_string(index));
        mostRunning = std::max(mostRunning, ++running);
        if (whenRunning && running == whenRunningCount) {
            loop_.Post(std::exchange(whenRunning, nullptr));
        }
    }
    void ItemFinished(std::size_t index, std::optional<std::size_t> slot) override {
        events.push_back("finish " + std::to_string(index));
        doneAudio.push_back(batch_->DoneAudio());
        if (slot) {
            --running;
            doneBytes[index] = batch_->Slot(*slot).DoneBytes();
        }
    }
    void EndBatch(int code) override {
        ++endCount;
        result = code;
    }
    MessageAnswer Ask(const platform::MessageRequest& question) override {
        events.push_back("ask " + question.title);
        runningAtQuestions.push_back(running);
        if (answers.empty()) {
            return MessageAnswer::No;
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int AskSaveAs(const std::string&, const SaveAsFilter&, std::string&) override { return 2; }
    void PostEncodeEnd() override {
        loop_.Post([this] { batch_->OnEncodeEnd(); });
    }

private:
    TestLoop& loop_;
    EncodeBatch* batch_ = nullptr;
};

class EncodeBatchTest : public batchtest::BatchInputs {
protected:
    /// Runs the rows with the given number of slots to the batch's one end.
    void Run(std::size_t slots, std::int32_t encodeType = kEncodeTypeMp3) {
        batch = std::make_unique<EncodeBatch>(view, slots);
        view.Attach(*batch);
        StartBatch(*batch, encodeType);
        ASSERT_TRUE(view.RunToEnd());
        EXPECT_EQ(view.endCount, 1);
        EXPECT_EQ(view.running, 0);
    }

    std::vector<BatchItemResult> Results() const { return ResultsOf(*batch); }

    std::size_t EventAt(const std::string& event) const {
        return static_cast<std::size_t>(std::find(view.events.begin(), view.events.end(), event) -
                                        view.events.begin());
    }

    TestLoop loop;
    RecordingBatchView view{loop};
    std::unique_ptr<EncodeBatch> batch;
};

TEST_F(EncodeBatchTest, SeveralSlotsRunTheWholeListEachItemWithItsOwnTagAndTone) {
    const std::vector<double> seconds = {1.0, 0.2, 0.6, 0.3, 0.8};
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        Add(Wave("song" + std::to_string(i) + ".wav", seconds[i], 300.0 + 150.0 * i),
            "title " + std::to_string(i));
    }
    Run(3);
    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(view.mostRunning, 3);
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(seconds.size(), BatchItemResult::Converted));
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        const std::string path = out.File("song" + std::to_string(i) + ".mp3");
        EXPECT_EQ(batch->Results()[i].OutPath, path);
        const std::string bytes = ReadFileBytes(path);
        ASSERT_GT(bytes.size(), 128u);
        EXPECT_EQ(bytes.substr(bytes.size() - 125, 7), "title " + std::to_string(i));
        const DecodedMp3 decoded = DecodeMp3(path);
        ASSERT_TRUE(decoded.opened);
        const double hz = 300.0 + 150.0 * i;
        EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), hz, hz * 0.03) << i;
    }
}

// Each job's bar ends where the last one on its slot did: what the job went through still
// counts towards the batch's rate.
TEST_F(EncodeBatchTest, FilesOfOneLengthEachCountTheirOwnAudio) {
    constexpr double kSeconds = 0.2;
    const auto bytes = static_cast<std::uint64_t>(kSeconds * kRate) * 4;
    for (int i = 0; i < 5; ++i) {
        Add(Wave("same" + std::to_string(i) + ".wav", kSeconds, 440));
    }
    Run(2);
    EXPECT_EQ(view.doneBytes, (std::map<std::size_t, std::uint64_t>{
                                  {0, bytes}, {1, bytes}, {2, bytes}, {3, bytes}, {4, bytes}}));
}

// A second of 24-bit 96 kHz audio holds three times the bytes of a second at 16 bits and
// 44.1 kHz; the batch counts both as the second they are.
TEST_F(EncodeBatchTest, FilesOfMixedFormatsCountTheirAudioTime) {
    Add(Wave("cd.wav", 1.0));
    const SampleFormat hires{SampleEncoding::Integer, 24, 24, 2, 96000, 0};
    const std::string hiresPath = in.File("hires.wav");
    ASSERT_TRUE(testsupport::WriteWave(hiresPath, hires,
                                       testsupport::Tones(96000, 96000, {440, 660}, {0.5, 0.5})));
    Add(hiresPath);
    settings.OutFolder.EncodeType = kEncodeTypeOgg;
    prepared = PrepareConversion(rows, settings);
    ASSERT_TRUE(prepared.has_value());
    for (const FileRow& row : rows) {
        prepared->Probes.push_back(ProbeWave(row[kColumnFolder] + row[kColumnName]));
    }
    batch = std::make_unique<EncodeBatch>(view, 1);
    view.Attach(*batch);
    batch->SetBatch(*prepared);
    batch->Start();
    ASSERT_TRUE(view.RunToEnd());
    EXPECT_EQ(batch->TotalAudio(), 2'000'000u);
    EXPECT_EQ(view.doneAudio, (std::vector<std::uint64_t>{1'000'000, 2'000'000}));
}

TEST_F(EncodeBatchTest, QuestionsComeOneAtATimeInListOrderWhileJobsRun) {
    settings.OutFolder.IdentityOutFile = 1;
    Add(Wave("long.wav", 3.0, 440));
    Add(Wave("b.wav", 0.2, 550));
    Add(Wave("c.wav", 0.2, 660));
    ASSERT_TRUE(testsupport::WriteFileBytes(out.File("b.mp3"), "old b"));
    ASSERT_TRUE(testsupport::WriteFileBytes(out.File("c.mp3"), "old c"));
    view.answers = {MessageAnswer::Yes, MessageAnswer::Yes};
    Run(2);
    const std::string askB = "ask 保存確認(" + out.File("b.mp3") + ")";
    const std::string askC = "ask 保存確認(" + out.File("c.mp3") + ")";
    EXPECT_LT(EventAt(askB), EventAt("start 1"));
    EXPECT_LT(EventAt("start 1"), EventAt(askC));
    EXPECT_LT(EventAt(askC), EventAt("start 2"));
    // The long file was being converted while the first question waited.
    EXPECT_LT(EventAt("start 0"), EventAt(askB));
    ASSERT_EQ(view.runningAtQuestions.size(), 2u);
    EXPECT_EQ(view.runningAtQuestions[0], 1);
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(3, BatchItemResult::Converted));
}

TEST_F(EncodeBatchTest, ItemsWritingOneOutputRunOneAfterTheOtherInListOrder) {
    const std::filesystem::path first = in.File("first");
    const std::filesystem::path second = in.File("second");
    std::filesystem::create_directory(first);
    std::filesystem::create_directory(second);
    Add(Wave("same.wav", 1.5, 440, 660, first));
    Add(Wave("other.wav", 0.2, 550));
    Add(Wave("same.wav", 0.3, 880, 660, second));
    view.answers = {MessageAnswer::Yes};
    Run(3);
    // The third item waits for the first, though a slot was free.
    EXPECT_LT(EventAt("finish 0"), EventAt("start 2"));
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(3, BatchItemResult::Converted));
    const DecodedMp3 decoded = DecodeMp3(out.File("same.mp3"));
    ASSERT_TRUE(decoded.opened);
    EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), 880, 880 * 0.03);
}

struct CancelCase {
    const char* name;
    void (EncodeBatch::*cancel)();
    BatchItemResult last;
};

class EncodeBatchCancel : public EncodeBatchTest,
                          public ::testing::WithParamInterface<CancelCase> {};

TEST_P(EncodeBatchCancel, StopsEveryRunningJob) {
    Add(Wave("first.wav", 30.0, 440));
    Add(Wave("second.wav", 30.0, 550));
    Add(Wave("last.wav", 0.2, 660));
    view.whenRunningCount = 2;
    view.whenRunning = [this] { ((*batch).*GetParam().cancel)(); };
    Run(2, kEncodeTypeOgg);
    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(Results(),
              (std::vector<BatchItemResult>{BatchItemResult::Cancelled, BatchItemResult::Cancelled,
                                            GetParam().last}));
    EXPECT_FALSE(platform::FileExists(out.File("first.ogg")));
    EXPECT_FALSE(platform::FileExists(out.File("second.ogg")));
    EXPECT_EQ(platform::FileExists(out.File("last.ogg")),
              GetParam().last == BatchItemResult::Converted);
}

INSTANTIATE_TEST_SUITE_P(
    RunningOrAll, EncodeBatchCancel,
    ::testing::Values(CancelCase{"Running", &EncodeBatch::OnCancelFile, BatchItemResult::Converted},
                      CancelCase{"All", &EncodeBatch::OnCancelAll, BatchItemResult::Cancelled}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(EncodeBatchTest, ASlotsCancelStopsOnlyItsOwnJob) {
    Add(Wave("first.wav", 30.0, 440));
    // Long enough to be running still when the first is cancelled.
    Add(Wave("second.wav", 5.0, 550));
    Add(Wave("last.wav", 0.2, 660));
    view.whenRunningCount = 2;
    view.whenRunning = [this] { batch->OnCancelSlot(0); };
    Run(2, kEncodeTypeOgg);
    EXPECT_EQ(Results(),
              (std::vector<BatchItemResult>{BatchItemResult::Cancelled, BatchItemResult::Converted,
                                            BatchItemResult::Converted}));
    EXPECT_FALSE(platform::FileExists(out.File("first.ogg")));
}

// The answer for all: asked once, then every further existing output goes the same way.
struct AnswerForAllCase {
    const char* name;
    MessageAnswer answer;
    BatchItemResult result;
};

class EncodeBatchAnswerForAll : public EncodeBatchTest,
                                public ::testing::WithParamInterface<AnswerForAllCase> {};

TEST_P(EncodeBatchAnswerForAll, AnsweredOnceForEveryExistingOutput) {
    settings.OutFolder.IdentityOutFile = 1;
    for (const char* name : {"a", "b", "c"}) {
        Add(Wave(std::string(name) + ".wav", 0.2, 440));
        ASSERT_TRUE(testsupport::WriteFileBytes(out.File(std::string(name) + ".mp3"), "old"));
    }
    view.answers = {GetParam().answer};
    Run(2);
    EXPECT_EQ(std::count_if(view.events.begin(), view.events.end(),
                            [](const std::string& event) { return event.starts_with("ask "); }),
              1);
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(3, GetParam().result));
    EXPECT_EQ(ReadFileBytes(out.File("c.mp3")) == "old",
              GetParam().result == BatchItemResult::Skipped);
}

INSTANTIATE_TEST_SUITE_P(ReplaceOrSkip, EncodeBatchAnswerForAll,
                         ::testing::Values(AnswerForAllCase{"ReplaceAll", MessageAnswer::YesToAll,
                                                            BatchItemResult::Converted},
                                           AnswerForAllCase{"SkipAll", MessageAnswer::NoToAll,
                                                            BatchItemResult::Skipped}),
                         [](const auto& param) { return std::string(param.param.name); });

// One file's expected time from its elapsed time and bytes done of all: in 64 bits, so that a
// file beyond 4 GiB is not taken for a small one.
TEST(EncodeBatchEstimate, OneFilesTimeScalesItsRateToItsWholeLength) {
    const struct {
        std::uint32_t elapsed;
        std::uint64_t position, upper;
        std::uint32_t expected;
    } cases[] = {
        {0, 100, 1000, 0},
        {10, 5, 1000, 0},
        {10, 1000, 5000, 50},
        {7, 405'874'409, 4'509'715'660, 77},
        {1, 1, std::uint64_t{1} << 40, 0xFFFFFFFF},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeBatch::EstimateSeconds(c.elapsed, c.position, c.upper), c.expected)
            << c.position << " of " << c.upper;
    }
}

} // namespace
