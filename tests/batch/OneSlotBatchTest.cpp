// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchInputs.h"
#include "ScriptedEncodeView.h"

#include "batch/EncodeBatch.h"
#include "encoders/CDllLoader.h"
#include "encoders/CEncodeThread.h"
#include "encoders/LibraryFolder.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "support/Id3v2Reader.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"
#include "tags/CID3TagFile.h"
#include "tags/GenreNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

using batchtest::ScriptedEncodeView;
using batchtest::TestLoop;
using platform::MessageAnswer;
using testsupport::ReadFileBytes;

using batchtest::kRate;

std::string TimeLabel(unsigned elapsed, unsigned estimate) {
    return platform::Format("　　　経過時間：%02u:%02u　　　　　　予想時間：%02u:%02u",
                            elapsed / 60, elapsed % 60, estimate / 60, estimate % 60);
}

class OneSlotBatchTest : public batchtest::BatchInputs {
protected:
    OneSlotBatchTest() { view.Attach(encodeBatch); }

    void Run(std::int32_t encodeType) {
        StartBatch(encodeBatch, encodeType);
        ASSERT_TRUE(view.RunToEnd());
        EXPECT_EQ(view.endCount, 1);
        EXPECT_FALSE(view.timerRunning);
    }

    std::vector<BatchItemResult> Results() const { return ResultsOf(encodeBatch); }

    /// The job's bar of the item whose audio has the given length, past its first chunk.
    static std::function<bool(std::uint64_t, std::uint64_t)> During(double seconds) {
        const auto bytes = static_cast<std::uint64_t>(seconds * kRate) * 4;
        return [bytes](std::uint64_t position, std::uint64_t upper) {
            return upper == bytes && position > 0;
        };
    }

    TestLoop loop;
    ScriptedEncodeView view{loop};
    EncodeBatch encodeBatch{view, 1};
};

template <typename Decoded>
void ExpectTones(const Decoded& decoded, double leftHz, double rightHz) {
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, static_cast<long>(kRate));
    ASSERT_EQ(decoded.channels, 2);
    EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), leftHz, leftHz * 0.02);
    EXPECT_NEAR(ToneFrequency(decoded.samples[1], decoded.rate), rightHz, rightHz * 0.02);
}

TEST_F(OneSlotBatchTest, Mp3BatchConvertsEveryItemAndTagsEachOutput) {
    Add(Wave("one.wav", 0.5, 440, 660), "abc", "Rock");
    Add(Wave("two.wav", 0.4, 550, 330), "曲名", "");
    Run(kEncodeTypeMp3);

    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(view.inputs, (std::vector<std::string>{in.File("one.wav"), in.File("two.wav")}));
    EXPECT_EQ(view.outputs, (std::vector<std::string>{Out("one.mp3"), Out("two.mp3")}));
    EXPECT_EQ(view.timerStarts, 2);
    EXPECT_EQ(view.timerPeriod, 1000u);
    EXPECT_EQ(Results(), (std::vector<BatchItemResult>{BatchItemResult::Converted,
                                                       BatchItemResult::Converted}));
    EXPECT_EQ(encodeBatch.Results()[1].OutPath, Out("two.mp3"));
    EXPECT_TRUE(messages->Requests().empty());

    ExpectTones(DecodeMp3(Out("one.mp3")), 440, 660);
    ExpectTones(DecodeMp3(Out("two.mp3")), 550, 330);

    const std::string first = ReadFileBytes(Out("one.mp3"));
    ASSERT_GT(first.size(), 128u);
    const std::string tag = first.substr(first.size() - 128);
    EXPECT_EQ(tag.substr(0, 3), "TAG");
    EXPECT_EQ(tag.substr(3, 30), "abc" + std::string(27, ' '));
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), 17);

    const std::string second = ReadFileBytes(Out("two.mp3"));
    const std::string secondTag = second.substr(second.size() - 128);
    const std::string title = platform::Utf8ToCp932("曲名");
    EXPECT_EQ(secondTag.substr(0, 3), "TAG");
    EXPECT_EQ(secondTag.substr(3, 30), title + std::string(30 - title.size(), ' '));
    EXPECT_EQ(static_cast<unsigned char>(secondTag[127]), NoGenre);
}

TEST_F(OneSlotBatchTest, Mp3OutputsBeginWithTheId3v2TagAndKeepTheirId3v1Record) {
    settings.LameParm.EnableVBR = 1;
    settings.LameParm.VbrMethod = 2;
    settings.LameParm.VBRQuality = 4;
    settings.LameParm.Bitrate = 32;
    const std::string tagged = in.File("tagged.wav");
    const std::vector<std::int16_t> input = SwellingStereo(kRate, 30000);
    ASSERT_TRUE(testsupport::WriteWave(tagged, {}, input));
    Add(tagged, "森鷗外の歌", "JPop");
    // 鷗 and 𠮷 are not in code page 932: the ID3v1 record has "?" where ID3v2 keeps them.
    rows.back()[kColumnArtist] = "𠮷田";
    rows.back()[kColumnAlbum] = "夏のアルバム";
    rows.back()[kColumnYear] = "2024";
    rows.back()[kColumnComment] = "ソーダ水";
    Add(Wave("untagged.wav", 0.3));
    Run(kEncodeTypeMp3);
    ASSERT_EQ(Results(), (std::vector<BatchItemResult>{BatchItemResult::Converted,
                                                       BatchItemResult::Converted}));

    const std::string bytes = ReadFileBytes(Out("tagged.mp3"));
    const Id3v2Read tag = ReadId3v2(bytes);
    ASSERT_TRUE(tag.present);
    EXPECT_EQ(tag.version, 3u);
    EXPECT_EQ(tag.texts.at("TIT2"), "森鷗外の歌");
    EXPECT_EQ(tag.texts.at("TPE1"), "𠮷田");
    EXPECT_EQ(tag.texts.at("TALB"), "夏のアルバム");
    EXPECT_EQ(tag.texts.at("COMM"), "ソーダ水");
    unsigned char record[CID3TagFile::kRecordSize];
    CID3TagFile().MakeRecord(record, "森鷗外の歌", "𠮷田", "夏のアルバム", "2024", "ソーダ水",
                             FindGenre("JPop"));
    EXPECT_EQ(bytes.substr(bytes.size() - 128), std::string(reinterpret_cast<char*>(record), 128));
    // The info frame lies behind the tag: the decoder gives back the exact length.
    EXPECT_TRUE(ReadInfoFrame(bytes).present);
    const DecodedMp3 decoded = DecodeMp3(Out("tagged.mp3"));
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, static_cast<long>(kRate));
    EXPECT_EQ(decoded.samples[0].size(), input.size() / 2);
    EXPECT_GT(AlignedCorrelation(ChannelOf(input, 0), decoded.samples[0], 0), 0.9);

    // Nothing to carry: no ID3v2 tag, the audio comes first, the record is all spaces.
    const std::string plain = ReadFileBytes(Out("untagged.mp3"));
    EXPECT_FALSE(ReadId3v2(plain).present);
    EXPECT_EQ(static_cast<unsigned char>(plain[0]), 0xFF);
    CID3TagFile().MakeRecord(record, "", "", "", "", "", NoGenre);
    EXPECT_EQ(plain.substr(plain.size() - 128), std::string(reinterpret_cast<char*>(record), 128));
    EXPECT_TRUE(ReadInfoFrame(plain).present);
}

TEST_F(OneSlotBatchTest, CancelOfTheSecondFileRemovesItAndGoesOnWithTheThird) {
    Add(Wave("one.wav", 0.3));
    Add(Wave("two.wav", 2.0));
    Add(Wave("three.wav", 0.4));
    view.InterveneWhen(During(2.0), [this] { encodeBatch.OnCancelFile(); });
    Run(kEncodeTypeMp3);

    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(Results(),
              (std::vector<BatchItemResult>{BatchItemResult::Converted, BatchItemResult::Cancelled,
                                            BatchItemResult::Converted}));
    EXPECT_TRUE(platform::FileExists(Out("one.mp3")));
    EXPECT_FALSE(platform::FileExists(Out("two.mp3")));
    ExpectTones(DecodeMp3(Out("three.mp3")), 440, 660);
    const std::string third = ReadFileBytes(Out("three.mp3"));
    EXPECT_EQ(third.substr(third.size() - 128, 3), "TAG");
}

TEST_F(OneSlotBatchTest, CancelAllDuringTheFirstFileTakesNoFurtherItem) {
    Add(Wave("one.wav", 2.0));
    Add(Wave("two.wav", 0.3));
    Add(Wave("three.wav", 0.3));
    view.InterveneWhen(During(2.0), [this] { encodeBatch.OnCancelAll(); });
    Run(kEncodeTypeOgg);

    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(view.inputs, std::vector<std::string>{in.File("one.wav")});
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(3, BatchItemResult::Cancelled));
    EXPECT_FALSE(platform::FileExists(Out("one.ogg")));
    EXPECT_FALSE(platform::FileExists(Out("two.ogg")));
    EXPECT_FALSE(platform::FileExists(Out("three.ogg")));
}

TEST_F(OneSlotBatchTest, CancelPressedAfterCancelAllLetsTheBatchGoOn) {
    Add(Wave("one.wav", 2.0));
    Add(Wave("two.wav", 0.3, 500, 700));
    view.InterveneWhen(During(2.0), [this] {
        encodeBatch.OnCancelAll();
        encodeBatch.OnCancelFile();
    });
    Run(kEncodeTypeOgg);

    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(Results(), (std::vector<BatchItemResult>{BatchItemResult::Cancelled,
                                                       BatchItemResult::Converted}));
    EXPECT_FALSE(platform::FileExists(Out("one.ogg")));
    ExpectTones(DecodeOgg(Out("two.ogg")), 500, 700);
}

TEST_F(OneSlotBatchTest, StopArrivingAfterTheJobEndedEndsWithTheCancelResult) {
    Add(Wave("one.wav", 0.3), "kept");
    Add(Wave("two.wav", 0.3));
    view.BeforeEachEnd([this] { encodeBatch.OnCancelFile(); });
    Run(kEncodeTypeMp3);

    EXPECT_EQ(view.result, IEncodeBatchView::kResultCancel);
    EXPECT_EQ(view.inputs, std::vector<std::string>{in.File("one.wav")});
    EXPECT_EQ(Results(), (std::vector<BatchItemResult>{BatchItemResult::Converted,
                                                       BatchItemResult::Cancelled}));
    // The job had finished its file: it stays, with its record.
    const std::string first = ReadFileBytes(Out("one.mp3"));
    EXPECT_EQ(first.substr(first.size() - 128, 7), "TAGkept");
    EXPECT_FALSE(platform::FileExists(Out("two.mp3")));
}

TEST_F(OneSlotBatchTest, OverwriteQuestionYesReplacesTheFile) {
    settings.OutFolder.IdentityOutFile = 1;
    Add(Wave("song.wav", 0.3));
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.mp3"), "old bytes"));
    view.ScriptQuestion(MessageAnswer::Yes);
    Run(kEncodeTypeMp3);

    ASSERT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.questions[0].text,
              "保存先に同一ファイル名が存在します\n上書きしてもよろしいでしょうか？");
    EXPECT_EQ(view.questions[0].title, "保存確認(" + Out("song.mp3") + ")");
    EXPECT_EQ(view.questions[0].icon, platform::MessageIcon::None);
    EXPECT_EQ(view.questions[0].buttons, platform::MessageButtons::YesNoAll);
    EXPECT_EQ(view.questions[0].yesToAllText, "全て上書き");
    EXPECT_EQ(view.questions[0].noToAllText, "全てスキップ");
    EXPECT_TRUE(view.saveAsRequests.empty());
    ExpectTones(DecodeMp3(Out("song.mp3")), 440, 660);
}

TEST_F(OneSlotBatchTest, OverwriteQuestionNoThenANewPathIsShownAndUsed) {
    settings.OutFolder.IdentityOutFile = 1;
    Add(Wave("song.wav", 0.3));
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.ogg"), "old bytes"));
    view.ScriptQuestion(MessageAnswer::No);
    view.ScriptSaveAs(Out("other.ogg"));
    Run(kEncodeTypeOgg);

    ASSERT_EQ(view.saveAsRequests.size(), 1u);
    EXPECT_EQ(view.saveAsRequests[0].initialPath, Out("song.ogg"));
    EXPECT_EQ(view.saveAsRequests[0].filter, "OggVorbisファイル(*.ogg)|*.ogg||");
    EXPECT_EQ(view.saveAsRequests[0].defaultExtension, "ogg");
    EXPECT_EQ(view.outputs, (std::vector<std::string>{Out("song.ogg"), Out("other.ogg")}));
    EXPECT_EQ(ReadFileBytes(Out("song.ogg")), "old bytes");
    ExpectTones(DecodeOgg(Out("other.ogg")), 440, 660);
    EXPECT_EQ(encodeBatch.Results()[0].OutPath, Out("other.ogg"));
}

TEST_F(OneSlotBatchTest, OverwriteQuestionNoThenCancelKeepsTheFileByteForByte) {
    settings.OutFolder.IdentityOutFile = 1;
    Add(Wave("song.wav", 0.3));
    Add(Wave("next.wav", 0.3));
    const std::string old("ID3 of an older file\0TAG", 25);
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.mp3"), old));
    view.ScriptQuestion(MessageAnswer::No);
    view.ScriptSaveAs(std::nullopt);
    Run(kEncodeTypeMp3);

    ASSERT_EQ(view.saveAsRequests.size(), 1u);
    EXPECT_EQ(view.saveAsRequests[0].filter, "MP3ファイル(*.mp3)|*.mp3||");
    EXPECT_EQ(view.saveAsRequests[0].defaultExtension, "mp3");
    EXPECT_EQ(ReadFileBytes(Out("song.mp3")), old);
    EXPECT_EQ(view.timerStarts, 1);
    EXPECT_EQ(Results(),
              (std::vector<BatchItemResult>{BatchItemResult::Skipped, BatchItemResult::Converted}));
    EXPECT_TRUE(platform::FileExists(Out("next.mp3")));
}

// With ReplayGain the first x waits unnamed in the album of folder a: it takes its name before
// the second x is asked about.
class OneSlotWrittenOutputTest : public OneSlotBatchTest,
                                 public ::testing::WithParamInterface<bool> {};

TEST_P(OneSlotWrittenOutputTest, AnOutputThisBatchWroteIsAskedAboutEvenWithTheQuestionOff) {
    settings.OutFolder.ReplayGain = GetParam() ? 1 : 0;
    std::filesystem::create_directory(in.File("a"));
    std::filesystem::create_directory(in.File("b"));
    Add(Wave("a/x.wav", 0.3, 440, 660));
    Add(Wave("b/x.wav", 0.3, 550, 330));
    Add(Wave("b/y.wav", 0.3, 550, 330));
    Add(Wave("a/y.wav", 0.3, 440, 660));
    // Keep the first x; replace the first y.
    view.ScriptQuestion(MessageAnswer::No);
    view.ScriptSaveAs(std::nullopt);
    view.ScriptQuestion(MessageAnswer::Yes);
    Run(kEncodeTypeOgg);

    ASSERT_EQ(view.questions.size(), 2u);
    EXPECT_EQ(view.questions[0].title, "保存確認(" + Out("x.ogg") + ")");
    EXPECT_EQ(view.questions[1].title, "保存確認(" + Out("y.ogg") + ")");
    EXPECT_EQ(Results(), (std::vector<BatchItemResult>{
                             BatchItemResult::Converted, BatchItemResult::Skipped,
                             BatchItemResult::Converted, BatchItemResult::Converted}));
    ExpectTones(DecodeOgg(Out("x.ogg")), 440, 660);
    ExpectTones(DecodeOgg(Out("y.ogg")), 440, 660);
    // Placed early, x has its track values alone; y has the album's too.
    EXPECT_EQ(DecodeOgg(Out("x.ogg")).comments.size(), GetParam() ? 7u : 5u);
    EXPECT_EQ(DecodeOgg(Out("y.ogg")).comments.size(), GetParam() ? 9u : 5u);
}

INSTANTIATE_TEST_SUITE_P(ReplayGain, OneSlotWrittenOutputTest, ::testing::Bool());

TEST_F(OneSlotBatchTest, TheInputChosenAsOutputIsRefusedAndKept) {
    settings.OutFolder.IdentityOutFile = 1;
    const std::string song = Wave("song.wav", 0.3);
    const std::string bytes = ReadFileBytes(song);
    Add(song);
    Add(Wave("next.wav", 0.3));
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.mp3"), "old bytes"));
    view.ScriptQuestion(MessageAnswer::No);
    view.ScriptSaveAs(song);
    Run(kEncodeTypeMp3);

    const auto shown = messages->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "出力ファイル(" + song + ")は入力ファイル(" + song +
                                 ")と同じファイルです\n出力先のフォルダまたはファイル名を変更して"
                                 "から再度変換をお願いいたします");
    EXPECT_EQ(shown[0].title, "エラー");
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(Results(),
              (std::vector<BatchItemResult>{BatchItemResult::Failed, BatchItemResult::Converted}));
    EXPECT_EQ(ReadFileBytes(song), bytes);
    EXPECT_EQ(ReadFileBytes(Out("song.mp3")), "old bytes");
}

TEST_F(OneSlotBatchTest, WithoutOverwriteConfirmationAnExistingFileIsReplacedSilently) {
    Add(Wave("song.wav", 0.3));
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("song.ogg"), "old bytes"));
    Run(kEncodeTypeOgg);

    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(view.saveAsRequests.empty());
    ExpectTones(DecodeOgg(Out("song.ogg")), 440, 660);
}

TEST_F(OneSlotBatchTest, Mp3WithoutTheEngineLibraryShowsOneMessagePerItemAndEndsAtOnce) {
    testsupport::TempDir empty;
    const LibraryFolder noLibrary(empty.Path());
    Add(Wave("one.wav", 0.2));
    Add(Wave("two.wav", 0.2));
    StartBatch(encodeBatch, kEncodeTypeMp3);

    // Everything happened inside the start: no job ran, no timer, nothing to wait for.
    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(view.timerStarts, 0);
    const auto shown = messages->Requests();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& message : shown) {
        EXPECT_EQ(message.text, "lame_enc.dllが読込めませんでした");
        EXPECT_EQ(message.title, "Information");
        EXPECT_EQ(message.icon, platform::MessageIcon::Information);
    }
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(2, BatchItemResult::Failed));
    EXPECT_FALSE(platform::FileExists(Out("one.mp3")));
    EXPECT_FALSE(platform::FileExists(Out("two.mp3")));
}

TEST_F(OneSlotBatchTest, JobsWhoseThreadCannotStartEndAtOnceAndLeaveOlderOutputsUntagged) {
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("one.mp3"), "older output"));
    Add(Wave("one.wav", 0.2), "new title");
    Add(Wave("two.wav", 0.2));
    CEncodeThread::SetStartFailsForTests(true);
    StartBatch(encodeBatch, kEncodeTypeMp3);
    CEncodeThread::SetStartFailsForTests(false);

    EXPECT_EQ(view.result, IEncodeBatchView::kResultOk);
    EXPECT_EQ(view.inputs.size(), 2u);
    EXPECT_EQ(Results(), std::vector<BatchItemResult>(2, BatchItemResult::Failed));
    EXPECT_EQ(ReadFileBytes(Out("one.mp3")), "older output");
}

TEST_F(OneSlotBatchTest, TimeLabelCountsTheCurrentFileOnly) {
    Add(Wave("one.wav", 1.0));
    Add(Wave("two.wav", 1.5));
    std::vector<std::string> expected{TimeLabel(0, 0)};

    // First file: a tick before any audio was read, while the rate is still 0.
    view.InterveneWhen([](std::uint64_t position,
                          std::uint64_t upper) { return upper == kRate * 4 && position == 0; },
                       [&] {
                           encodeBatch.OnTimer();
                           expected.push_back(TimeLabel(1, 0));
                       });
    // Second file: the label still holds the first file's values until the new file's first
    // tick, which counts from 1 again.
    const std::uint64_t upper = static_cast<std::uint64_t>(1.5 * kRate) * 4;
    view.InterveneWhen(During(1.5), [&] {
        EXPECT_EQ(view.times, expected);
        const std::uint64_t position = encodeBatch.Slot(0).ProgressBar().GetPos();
        encodeBatch.OnTimer();
        expected.push_back(TimeLabel(1, static_cast<unsigned>(upper / position)));
        encodeBatch.OnTimer();
        expected.push_back(TimeLabel(2, static_cast<unsigned>(upper / (position / 2))));
    });
    StartBatch(encodeBatch, kEncodeTypeOgg);
    EXPECT_EQ(view.times, std::vector<std::string>{TimeLabel(0, 0)});
    ASSERT_TRUE(view.RunToEnd());
    EXPECT_EQ(view.times, expected);
    EXPECT_EQ(expected.size(), 4u);
}

TEST_F(OneSlotBatchTest, MinutesAreNotLimitedAndAFallenRateShowsZero) {
    Add(Wave("one.wav", 1.0));
    view.InterveneWhen(During(1.0), [&] {
        const std::uint64_t position = encodeBatch.Slot(0).ProgressBar().GetPos();
        // Enough ticks that the rate falls to a byte a second or less.
        for (std::uint64_t tick = 0; tick < position; ++tick) {
            encodeBatch.OnTimer();
        }
        const auto elapsed = static_cast<unsigned>(position);
        EXPECT_EQ(view.times.back(),
                  TimeLabel(elapsed, static_cast<unsigned>(kRate * 4 / (position / elapsed))));
        encodeBatch.OnTimer();
        EXPECT_EQ(view.times.back(), TimeLabel(elapsed + 1, 0));
    });
    Run(kEncodeTypeOgg);
    EXPECT_EQ(Results(), std::vector<BatchItemResult>{BatchItemResult::Converted});
}

} // namespace
