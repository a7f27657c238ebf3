// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobToEnd.h"
#include "support/Id3v2Reader.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"

#include "encoders/CMP3EncodeThread.h"
#include "encoders/COggEncodeThread.h"
#include "settings/EncodeSettings.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr auto kInt = SampleEncoding::Integer;
constexpr auto kFloat = SampleEncoding::Float;

struct Case {
    const char* name;
    SampleFormat format;
    double level; ///< of each channel's tone
    /// Of the peak read back from Ogg Vorbis, whose low-frequency channel is coded coarsely.
    double oggPeakShare;
};

// clang-format off
const Case kCases[] = {
    {"16bitStereo", {kInt, 16, 16, 2, 44100, 0}, 0.1, 0.05},
    {"floatMono", {kFloat, 32, 32, 1, 48000, 0}, 0.5, 0.05},
    {"24bit51", {kInt, 24, 24, 6, 48000, 0x3F}, 0.3, 0.3},
};
// clang-format on

// Measured afresh on what a decoder gives back, with libebur128 on its own.
struct Measured {
    double gain;
    double peak;
};

Measured Measure(const std::vector<std::vector<float>>& channels, long rate, bool vorbis51) {
    ebur128_state* state =
        ebur128_init(static_cast<unsigned>(channels.size()), static_cast<unsigned long>(rate),
                     EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK);
    if (vorbis51) {
        const int order[] = {EBUR128_LEFT,          EBUR128_CENTER,         EBUR128_RIGHT,
                             EBUR128_LEFT_SURROUND, EBUR128_RIGHT_SURROUND, EBUR128_UNUSED};
        for (unsigned channel = 0; channel < 6; ++channel) {
            ebur128_set_channel(state, channel, order[channel]);
        }
    }
    std::vector<float> frames;
    for (std::size_t i = 0; i < channels[0].size(); ++i) {
        for (const auto& channel : channels) {
            frames.push_back(channel[i]);
        }
    }
    ebur128_add_frames_float(state, frames.data(), channels[0].size());
    double loudness = 0;
    ebur128_loudness_global(state, &loudness);
    double peak = 0;
    for (unsigned channel = 0; channel < channels.size(); ++channel) {
        double channelPeak = 0;
        ebur128_sample_peak(state, channel, &channelPeak);
        peak = std::max(peak, channelPeak);
    }
    ebur128_destroy(&state);
    return {-18.0 - loudness, peak};
}

// LAME gives back its tones a few tenths of a dB low, within what a player's levelling allows.
constexpr double kMp3Gain = 0.5;
constexpr double kOggGain = 0.2;

void ExpectValues(const std::map<std::string, std::string>& tags, const Measured& measured,
                  double gainWithin, double peakShare) {
    ASSERT_EQ(tags.count("REPLAYGAIN_TRACK_GAIN"), 1u);
    const std::string gain = tags.at("REPLAYGAIN_TRACK_GAIN");
    EXPECT_TRUE(gain.ends_with(" dB")) << gain;
    EXPECT_NEAR(std::atof(gain.c_str()), measured.gain, gainWithin) << gain;
    EXPECT_EQ(gain.find('.'), gain.size() - 6) << gain; // two decimals
    const std::string peak = tags.at("REPLAYGAIN_TRACK_PEAK");
    EXPECT_EQ(peak.find('.'), peak.size() - 7) << peak; // six decimals
    EXPECT_NEAR(std::atof(peak.c_str()), measured.peak, peakShare * measured.peak) << peak;
}

class ReplayGainThroughBothJobs : public JobToEndTest<Case> {
protected:
    void Run(CEncodeThread& job, const std::string& out, bool replayGain) {
        EncodeJobInput input;
        input.LameParm = FirstStartLameParm();
        input.LameParm.Bitrate = 192;
        input.Item.InPath = dir_.File("in.wav");
        input.Item.Title = "題名";
        input.OutPath = out;
        input.ReplayGain = replayGain;
        RunToEnd(job, input);
    }
};

TEST_P(ReplayGainThroughBothJobs, ValuesMatchTheDecodedOutputAndTheAudioIsUnchanged) {
    const Case& c = GetParam();
    const std::size_t frames = c.format.Rate * 3;
    std::vector<double> hz;
    for (std::size_t channel = 0; channel < c.format.Channels; ++channel) {
        hz.push_back(channel == 3 ? 60.0 : 500.0 + 200.0 * static_cast<double>(channel));
    }
    ASSERT_TRUE(testsupport::WriteWave(
        dir_.File("in.wav"), c.format,
        testsupport::Tones(c.format.Rate, frames, hz, std::vector<double>(hz.size(), c.level)),
        c.format.ChannelMask != 0 ? testsupport::FormatHeader::Extensible
                                  : testsupport::FormatHeader::Plain));
    CMP3EncodeThread mp3Job;
    Run(mp3Job, dir_.File("on.mp3"), true);
    Run(mp3Job, dir_.File("off.mp3"), false);
    COggEncodeThread oggJob;
    Run(oggJob, dir_.File("on.ogg"), true);
    Run(oggJob, dir_.File("off.ogg"), false);
    EXPECT_TRUE(messages_->Requests().empty());

    const DecodedMp3 mp3 = DecodeMp3(dir_.File("on.mp3"));
    ASSERT_TRUE(mp3.opened);
    const std::string on = testsupport::ReadFileBytes(dir_.File("on.mp3"));
    const std::string off = testsupport::ReadFileBytes(dir_.File("off.mp3"));
    SCOPED_TRACE("mp3");
    const Id3v2Read tag = ReadId3v2(on);
    EXPECT_EQ(tag.texts.at("TIT2"), "題名");
    ExpectValues(tag.userTexts, Measure(mp3.samples, mp3.rate, false), kMp3Gain, 0.05);
    // The values take room the tag and the info frame had anyway: the audio and the ID3v1
    // record stay in place.
    EXPECT_EQ(on.size(), off.size());
    constexpr std::size_t kLongestInfoFrame = 1441; // 320 kbit/s at 32 kHz, padded
    EXPECT_EQ(on.substr(tag.bytes + kLongestInfoFrame), off.substr(tag.bytes + kLongestInfoFrame));
    EXPECT_EQ(mp3.samples, DecodeMp3(dir_.File("off.mp3")).samples);
    EXPECT_TRUE(ReadId3v2(off).userTexts.empty());

    SCOPED_TRACE("ogg");
    const DecodedOgg ogg = DecodeOgg(dir_.File("on.ogg"));
    ASSERT_TRUE(ogg.opened);
    std::map<std::string, std::string> comments;
    for (const std::string& comment : ogg.comments) {
        comments[comment.substr(0, comment.find('='))] = comment.substr(comment.find('=') + 1);
    }
    EXPECT_EQ(comments.at("TITLE"), "題名");
    ExpectValues(comments, Measure(ogg.samples, ogg.rate, ogg.channels == 6), kOggGain,
                 c.oggPeakShare);
    // Both encoders are handed the same frames up to two channels.
    if (c.format.Channels <= 2) {
        EXPECT_EQ(comments.at("REPLAYGAIN_TRACK_GAIN"), tag.userTexts.at("REPLAYGAIN_TRACK_GAIN"));
    }
    const DecodedOgg plain = DecodeOgg(dir_.File("off.ogg"));
    EXPECT_EQ(plain.comments.size() + 2, ogg.comments.size());
    EXPECT_EQ(plain.samples, ogg.samples);
}

INSTANTIATE_TEST_SUITE_P(Formats, ReplayGainThroughBothJobs, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
