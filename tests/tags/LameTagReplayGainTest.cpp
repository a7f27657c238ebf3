// SPDX-License-Identifier: GPL-3.0-or-later
#include "tags/LameTagReplayGain.h"

#include "support/ExternalProgram.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Encoded {
    Bytes stream; // begins with the room kept for the info frame
    Bytes frame;  // lame_get_lametag_frame's
    int radioGain = 0;
    float peakSample = 0.0f;
};

// A second of a tone through libmp3lame: MPEG-1 joint stereo at 44.1 kHz or MPEG-2 mono at
// 22.05 kHz; with measure, lame fills the ReplayGain fields itself.
Encoded Encode(int channels, bool measure = false) {
    const int rate = channels == 2 ? 44100 : 22050;
    lame_t lame = lame_init();
    lame_set_in_samplerate(lame, rate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 2 ? JOINT_STEREO : MONO);
    lame_set_brate(lame, channels == 2 ? 128 : 64);
    lame_set_findReplayGain(lame, measure);
    lame_set_decode_on_the_fly(lame, measure);
    EXPECT_EQ(lame_init_params(lame), 0);
    std::vector<short> tone(rate);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<short>(12000 * std::sin(2 * std::numbers::pi * 440 * i / rate));
    }
    Encoded out;
    out.stream.resize(2 * tone.size() + 16384);
    int bytes = lame_encode_buffer(lame, tone.data(), tone.data(), rate, out.stream.data(),
                                   static_cast<int>(out.stream.size()));
    bytes += lame_encode_flush(lame, out.stream.data() + bytes, 16384);
    out.stream.resize(static_cast<std::size_t>(bytes));
    out.frame.resize(lame_get_lametag_frame(lame, nullptr, 0));
    lame_get_lametag_frame(lame, out.frame.data(), out.frame.size());
    out.radioGain = lame_get_RadioGain(lame);
    out.peakSample = lame_get_PeakSample(lame);
    lame_close(lame);
    return out;
}

// The CRC-16 lame keeps, bit by bit: the polynomial 0x8005 reflected, from 0.
unsigned Crc(const Bytes& bytes, std::size_t count) {
    unsigned crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) != 0 ? (crc >> 1) ^ 0xA001 : crc >> 1;
        }
    }
    return crc;
}

unsigned BigEndian(const Bytes& frame, std::size_t at, std::size_t bytes) {
    unsigned value = 0;
    for (std::size_t i = 0; i < bytes; ++i) {
        value = value << 8 | frame[at + i];
    }
    return value;
}

TEST(LameTagReplayGainTest, FieldsAndCrc) {
    const Encoded stereo = Encode(2);
    const Encoded mono = Encode(1);
    struct Case {
        const Encoded& encoded;
        std::size_t lameAt; // header, side information, then 120 bytes of Xing fields
        ReplayGainValues track;
        std::optional<ReplayGainValues> album;
        unsigned peak, radio, audiophile;
    };
    const Case cases[] = {
        {stereo, 4 + 32 + 120, {6.44, 0.5}, ReplayGainValues{-3.25, 0.9}, 0x400000, 0x2C40, 0x4E20},
        {mono, 4 + 9 + 120, {-12.36, 1.0}, std::nullopt, 0x800000, 0x2E7C, 0},
        {stereo, 4 + 32 + 120, {0.0, 0.0}, ReplayGainValues{}, 0, 0x2C00, 0x4C00},
        {mono, 4 + 9 + 120, {51.1, 300.0}, ReplayGainValues{-51.1, 0}, 0x7FFFFFFF, 0x2DFF, 0x4FFF},
        {stereo, 4 + 32 + 120, {-60.0, 0.25}, ReplayGainValues{60, 0}, 0x200000, 0x2FFF, 0x4DFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.track.Gain);
        Bytes frame = c.encoded.frame;
        ASSERT_EQ(BigEndian(frame, c.lameAt, 4), BigEndian({'L', 'A', 'M', 'E'}, 0, 4));
        ASSERT_EQ(Crc(frame, c.lameAt + 34), BigEndian(frame, c.lameAt + 34, 2));
        ASSERT_TRUE(LameTagReplayGain::Write(frame, c.track, c.album));
        EXPECT_EQ(BigEndian(frame, c.lameAt + 11, 4), c.peak);
        EXPECT_EQ(BigEndian(frame, c.lameAt + 15, 2), c.radio);
        EXPECT_EQ(BigEndian(frame, c.lameAt + 17, 2), c.audiophile);
        EXPECT_EQ(Crc(frame, c.lameAt + 34), BigEndian(frame, c.lameAt + 34, 2));
    }
}

// Byte for byte the frame lame makes when it measures the stream itself.
TEST(LameTagReplayGainTest, SameFrameAsLameMeasuringItself) {
    for (const int channels : {2, 1}) {
        const Encoded lame = Encode(channels, true);
        ASSERT_NE(lame.radioGain, 0);
        ASSERT_NE(lame.peakSample, 0.0f);
        Bytes frame = Encode(channels).frame;
        ASSERT_NE(frame, lame.frame);
        const ReplayGainValues track{lame.radioGain / 10.0, lame.peakSample / 32767.0};
        ASSERT_TRUE(LameTagReplayGain::Write(frame, track, std::nullopt));
        EXPECT_EQ(frame, lame.frame) << channels;
    }
}

TEST(LameTagReplayGainTest, RefusesWhatItDoesNotRecognise) {
    const Bytes real = Encode(2).frame;
    struct Case {
        std::size_t at;
        std::uint8_t flip;
    };
    // With the CRC made right again, so each is refused for what it is: no sync, Layer II, the
    // reserved version, no Info tag, no TOC flag (so no LAME where it is looked for), another
    // encoder's extension; last, a CRC that does not hold.
    for (const Case c : {Case{0, 0xFF}, Case{1, 0x06}, Case{1, 0x10}, Case{39, 0x20},
                         Case{43, 0x04}, Case{156, 0x20}, Case{190, 0x01}}) {
        Bytes frame = real;
        frame[c.at] ^= c.flip;
        if (c.at < 190) {
            const unsigned crc = Crc(frame, 190);
            frame[190] = static_cast<std::uint8_t>(crc >> 8);
            frame[191] = static_cast<std::uint8_t>(crc);
        }
        const Bytes mutated = frame;
        EXPECT_FALSE(LameTagReplayGain::Write(frame, {1.0, 1.0}, std::nullopt)) << c.at;
        EXPECT_EQ(frame, mutated);
    }
    Bytes cut(real.begin(), real.begin() + 191);
    EXPECT_FALSE(LameTagReplayGain::Write(cut, {1.0, 1.0}, std::nullopt));
}

TEST(LameTagReplayGainTest, EyeD3ReadsTheFields) {
    const std::string eyeD3 = testsupport::FindProgram("eyeD3");
    if (eyeD3.empty()) {
        GTEST_SKIP() << "eyeD3 is missing";
    }
    Encoded encoded = Encode(2);
    ASSERT_TRUE(LameTagReplayGain::Write(encoded.frame, {-4.56, 0.5}, ReplayGainValues{2.0, 0}));
    std::copy(encoded.frame.begin(), encoded.frame.end(), encoded.stream.begin());
    testsupport::TempDir dir;
    const std::string path = dir.File("tone.mp3");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, {encoded.stream.begin(), encoded.stream.end()}));
    // Its log says whether the tag's CRC holds.
    const auto run = testsupport::RunExternal(
        eyeD3, {"-l", "debug:eyed3.mp3.headers", "--plugin", "lameinfo", path});
    EXPECT_NE(run.output.find("Peak Amplitude      : 0.50000000"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Radio Replay Gain   : -4.6 dB (Set automatically)"),
              std::string::npos);
    EXPECT_NE(run.output.find("Audiofile Replay Gain: 2.0 dB (Set automatically)"),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("Lame tag CRC OK"), std::string::npos);
}

} // namespace
