// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobToEnd.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"

#include "encoders/CMP3EncodeThread.h"
#include "encoders/COggEncodeThread.h"
#include "settings/EncodeSettings.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

namespace {

using testsupport::FormatHeader;

constexpr auto kInt = SampleEncoding::Integer;
constexpr auto kFloat = SampleEncoding::Float;
// What a stereo mix gives the front, and the centre or a surround, of a 5.1 or 7.1 input.
const double kFront51 = 1 / (1 + std::numbers::sqrt2);
const double kOther51 = kFront51 / std::numbers::sqrt2;
const double kFront71 = 1 / (1 + 3 / std::numbers::sqrt2);
const double kOther71 = kFront71 / std::numbers::sqrt2;

struct Case {
    const char* name;
    SampleFormat format;
    FormatHeader header;
    std::uint32_t mp3SampleRate;    ///< the MP3 page's rate (0 automatic)
    std::int32_t oggManagedBitrate; ///< 0 for quality mode
    long mp3Rate;
    long oggRate;
    /// Input channel heard in each Ogg Vorbis channel.
    std::vector<std::size_t> vorbisOrder;
    /// Level of each input channel in each MP3 channel.
    std::vector<std::vector<double>> mp3Gains;
};

const std::vector<std::vector<double>> kMono = {{1}};
const std::vector<std::vector<double>> kStereo = {{1, 0}, {0, 1}};

// clang-format off
const Case kCases[] = {
    {"24bit96k", {kInt, 24, 24, 2, 96000, 0}, FormatHeader::Plain, 44100, 0, 44100, 96000,
     {0, 1}, kStereo},
    {"float32Mono48k", {kFloat, 32, 32, 1, 48000, 0}, FormatHeader::Plain, 0, 0, 48000, 48000,
     {0}, kMono},
    {"int8At22050", {kInt, 8, 8, 2, 22050, 0}, FormatHeader::Plain, 44100, 0, 44100, 22050,
     {0, 1}, kStereo},
    {"int32Mono8k", {kInt, 32, 32, 1, 8000, 0}, FormatHeader::Plain, 32000, 0, 32000, 8000,
     {0}, kMono},
    {"20in24Extensible", {kInt, 24, 20, 2, 44100, 0x3}, FormatHeader::Extensible, 44100, 128000,
     44100, 44100, {0, 1}, kStereo},
    {"16bit51", {kInt, 16, 16, 6, 48000, 0x3F}, FormatHeader::Extensible, 48000, 0, 48000, 48000,
     {0, 2, 1, 4, 5, 3},
     {{kFront51, 0, kOther51, 0, kOther51, 0}, {0, kFront51, kOther51, 0, 0, kOther51}}},
    {"float32At71", {kFloat, 32, 32, 8, 48000, 0}, FormatHeader::Plain, 48000, 0, 48000, 48000,
     {0, 2, 1, 6, 7, 4, 5, 3},
     {{kFront71, 0, kOther71, 0, kOther71, 0, kOther71, 0},
      {0, kFront71, kOther71, 0, 0, kOther71, 0, kOther71}}},
    // libvorbisenc manages bitrates up to 50 kHz only, and at 8 kHz not at 128 kbit/s.
    {"float64At192kManaged", {kFloat, 64, 64, 2, 192000, 0}, FormatHeader::Extensible, 48000,
     128000, 48000, 50000, {0, 1}, kStereo},
    {"16bit8kManaged", {kInt, 16, 16, 2, 8000, 0}, FormatHeader::Plain, 0, 128000, 8000, 0,
     {0, 1}, kStereo},
};
// clang-format on

// The amplitude of a tone of hz in samples, over their middle half.
double ToneLevel(const std::vector<float>& samples, double hz, long rate) {
    const std::size_t begin = samples.size() / 4;
    const std::size_t end = samples.size() * 3 / 4;
    std::complex<double> sum;
    for (std::size_t i = begin; i < end; ++i) {
        sum += static_cast<double>(samples[i]) *
               std::polar(1.0, -2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
    }
    return 2 * std::abs(sum) / static_cast<double>(end - begin);
}

// The fourth channel of 5.1 and 7.1 is the low-frequency one, which Vorbis keeps only low.
double Hz(std::size_t channel) {
    return channel == 3 ? 80.0 : 400.0 + 250.0 * static_cast<double>(channel);
}

double Level(std::size_t channel) {
    return 0.6 - 0.05 * static_cast<double>(channel);
}

// Each output channel holds each input channel's tone at its expected level, and nothing else.
void ExpectTones(const std::vector<std::vector<float>>& decoded, long rate,
                 const std::vector<std::vector<double>>& gains) {
    ASSERT_EQ(decoded.size(), gains.size());
    for (std::size_t out = 0; out < decoded.size(); ++out) {
        for (std::size_t in = 0; in < gains[out].size(); ++in) {
            const double expected = Level(in) * gains[out][in];
            // Vorbis codes the low-frequency channel coarsely.
            const double share = Hz(in) < 100 ? 0.3 : 0.05;
            EXPECT_NEAR(ToneLevel(decoded[out], Hz(in), rate), expected, 0.02 + share * expected)
                << "output " << out << ", input " << in;
        }
    }
}

void ExpectLength(std::size_t decoded, std::size_t frames, long inRate, long outRate) {
    const double expected = static_cast<double>(frames) * outRate / inRate;
    EXPECT_NEAR(static_cast<double>(decoded), expected, 1.0);
}

class FormatsThroughBothJobs : public JobToEndTest<Case> {
protected:
    void Run(CEncodeThread& job, const std::string& in, const std::string& out,
             EncodeJobInput input) {
        input.Item.InPath = in;
        input.OutPath = out;
        RunToEnd(job, input);
    }
};

TEST_P(FormatsThroughBothJobs, EveryChannelArrivesAtItsLevelAndTheLengthIsExact) {
    const Case& c = GetParam();
    const SampleFormat& format = c.format;
    std::vector<double> hz;
    std::vector<double> levels;
    for (std::size_t channel = 0; channel < format.Channels; ++channel) {
        hz.push_back(Hz(channel));
        levels.push_back(Level(channel));
    }
    const std::size_t frames = format.Rate / 2 + 7;
    const std::string in = dir_.File("in.wav");
    ASSERT_TRUE(testsupport::WriteWave(
        in, format, testsupport::Tones(format.Rate, frames, hz, levels), c.header));

    EncodeJobInput input;
    input.LameParm = FirstStartLameParm();
    input.LameParm.SampleRate = c.mp3SampleRate;
    input.LameParm.Bitrate = 192;
    input.Ogg.Custom = c.oggManagedBitrate != 0 ? 1 : 0;
    input.Ogg.AveBitrate = c.oggManagedBitrate != 0 ? c.oggManagedBitrate : -1;
    CMP3EncodeThread mp3Job;
    Run(mp3Job, in, dir_.File("out.mp3"), input);
    COggEncodeThread oggJob;
    Run(oggJob, in, dir_.File("out.ogg"), input);
    EXPECT_TRUE(messages_->Requests().empty());

    const DecodedMp3 mp3 = DecodeMp3(dir_.File("out.mp3"));
    ASSERT_TRUE(mp3.opened);
    EXPECT_EQ(mp3.rate, c.mp3Rate);
    ASSERT_EQ(mp3.channels, static_cast<int>(c.mp3Gains.size()));
    ExpectLength(mp3.samples[0].size(), frames, format.Rate, mp3.rate);
    ExpectTones(mp3.samples, mp3.rate, c.mp3Gains);

    const DecodedOgg ogg = DecodeOgg(dir_.File("out.ogg"));
    ASSERT_TRUE(ogg.opened);
    if (c.oggRate != 0) {
        EXPECT_EQ(ogg.rate, c.oggRate);
    } else {
        EXPECT_NE(ogg.rate, format.Rate);
    }
    ASSERT_EQ(ogg.channels, static_cast<int>(c.vorbisOrder.size()));
    ExpectLength(ogg.samples[0].size(), frames, format.Rate, ogg.rate);
    EXPECT_EQ(ogg.totalFrames, static_cast<long long>(ogg.samples[0].size()));
    std::vector<std::vector<double>> vorbisGains(c.vorbisOrder.size(),
                                                 std::vector<double>(format.Channels));
    for (std::size_t out = 0; out < c.vorbisOrder.size(); ++out) {
        vorbisGains[out][c.vorbisOrder[out]] = 1;
    }
    ExpectTones(ogg.samples, ogg.rate, vorbisGains);
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatsThroughBothJobs, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             return std::string(param.param.name);
                         });

} // namespace
