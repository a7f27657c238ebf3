// SPDX-License-Identifier: GPL-3.0-or-later
#include "EndEventRecorder.h"
#include "RecordingBar.h"
#include "support/OggDecoder.h"

#include "encoders/COggEncodeThread.h"
#include "platform/File.h"
#include "support/ExternalProgram.h"
#include "support/OpenFiles.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::MessageIcon;
using testsupport::Correlation;
using testsupport::OpenFileCount;

constexpr std::uint64_t kChunk = 16384;

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

    bool Begin(const std::string& in, const std::string& out) { return Begin(in, out, bar_); }
    bool Begin(const std::string& in, const std::string& out, RecordingBar& bar) {
        EncodeJobInput input;
        input.Item = item_;
        input.Item.InPath = in;
        input.OutPath = out;
        input.Ogg = parm_;
        return job_->BeginEncode(input, bar, &notify_);
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
        ASSERT_TRUE(Begin(in, out, bar));
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

// The stream ends with its headers: no audio page claims a granule position of 0, which
// ogginfo would call a buggy encoder's.
TEST_F(OggEncodeTest, NoAudioGivesAnEmptyStreamOfItsHeadersAlone) {
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
    EXPECT_EQ(bar_.Calls(),
              (std::vector<BarCall>{
                  {BarCall::SetPos, 0}, {BarCall::SetLower, 0}, {BarCall::SetUpper, 0}}));
    const std::string ogginfo = testsupport::FindProgram("ogginfo");
    if (ogginfo.empty()) {
        GTEST_SKIP() << "ogginfo is not installed";
    }
    const testsupport::ProgramRun checked = testsupport::RunExternal(ogginfo, {out});
    EXPECT_EQ(checked.exitCode, 0) << checked.output;
    EXPECT_EQ(checked.output.find("buggy"), std::string::npos) << checked.output;
    EXPECT_EQ(checked.output.find("WARNING"), std::string::npos) << checked.output;
    EXPECT_NE(checked.output.find("Logical stream 1 ended"), std::string::npos) << checked.output;
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
        ASSERT_TRUE(Begin(in, out, bar));
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

} // namespace
