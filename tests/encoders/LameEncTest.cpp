// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Mp3Decoder.h"

#include "encoders/CDllLoader.h"
#include "lame_enc/BladeMP3EncDLL.h"
#include "settings/EncodeSettings.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"
#include "tags/CID3v2Tag.h"

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <latch>
#include <random>
#include <thread>

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

constexpr DWORD kMultiplier = 8;

// The engine's entry points, resolved as the program resolves them.
class Engine {
public:
    Engine() {
        loaded = loader_.Load("lame_enc.dll");
        init = reinterpret_cast<BEINITSTREAM>(loader_.GetEntry("beInitStream"));
        encode = reinterpret_cast<BEENCODECHUNK>(loader_.GetEntry("beEncodeChunk"));
        encodeFloat =
            reinterpret_cast<BEENCODECHUNKFLOATS16NI>(loader_.GetEntry("beEncodeChunkFloatS16NI"));
        deinit = reinterpret_cast<BEDEINITSTREAM>(loader_.GetEntry("beDeinitStream"));
        close = reinterpret_cast<BECLOSESTREAM>(loader_.GetEntry("beCloseStream"));
        version = reinterpret_cast<BEVERSION>(loader_.GetEntry("beVersion"));
        writeVbrHeader = reinterpret_cast<BEWRITEVBRHEADER>(loader_.GetEntry("beWriteVBRHeader"));
        getInfoFrame = reinterpret_cast<BEGETINFOFRAME>(loader_.GetEntry("beGetInfoFrame"));
    }

    bool loaded = false;
    BEINITSTREAM init = nullptr;
    BEENCODECHUNK encode = nullptr;
    BEENCODECHUNKFLOATS16NI encodeFloat = nullptr;
    BEDEINITSTREAM deinit = nullptr;
    BECLOSESTREAM close = nullptr;
    BEVERSION version = nullptr;
    BEWRITEVBRHEADER writeVbrHeader = nullptr;
    BEGETINFOFRAME getInfoFrame = nullptr;

private:
    CDllLoader loader_;
};

BE_CONFIG Record(std::uint32_t rate, std::uint32_t kbps) {
    BE_CONFIG config = FirstStartLameParm();
    config.SampleRate = rate;
    config.Bitrate = kbps;
    return config;
}

BE_CONFIG VbrRecord(std::uint32_t rate, std::int32_t method) {
    BE_CONFIG config = Record(rate, 32);
    config.EnableVBR = 1;
    config.VbrMethod = method;
    config.VBRQuality = 4;
    config.VbrAbr_bps = 128000;
    return config;
}

// An open stream fed the way the program feeds it: 8 times the samples per call into 8 times
// the minimum buffer.
class Stream {
public:
    Stream(const Engine& engine, BE_CONFIG config) : engine_(engine) {
        status = engine_.init(&config, &samples, &minimum, &handle);
        buffer_.resize(std::size_t{minimum} * kMultiplier);
    }
    ~Stream() {
        if (handle != 0 && !closed_) {
            engine_.close(handle);
        }
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    /// Encodes the next call's worth of input; false at the end or on a failure.
    bool EncodeNext(const std::vector<std::int16_t>& input) {
        const std::size_t count =
            std::min<std::size_t>(std::size_t{samples} * kMultiplier, input.size() - position_);
        if (count == 0) {
            return false;
        }
        std::vector<std::int16_t> chunk(input.begin() + static_cast<std::ptrdiff_t>(position_),
                                        input.begin() +
                                            static_cast<std::ptrdiff_t>(position_ + count));
        position_ += count;
        DWORD produced = 0;
        last = engine_.encode(handle, static_cast<DWORD>(count), chunk.data(), buffer_.data(),
                              &produced);
        bytes.append(reinterpret_cast<const char*>(buffer_.data()), produced);
        return last == BE_ERR_SUCCESSFUL;
    }

    /// The same through the float entry point: the samples split into left and right (the
    /// stream's channels: one for a mono stream) at the same scale.
    bool EncodeNextFloat(const std::vector<std::int16_t>& input, std::size_t channels) {
        const std::size_t frames = std::min<std::size_t>(
            std::size_t{samples} * kMultiplier / channels, (input.size() - position_) / channels);
        if (frames == 0) {
            return false;
        }
        std::vector<float> left(frames);
        std::vector<float> right(frames);
        for (std::size_t i = 0; i < frames; ++i, position_ += channels) {
            left[i] = input[position_];
            right[i] = input[position_ + channels - 1];
        }
        DWORD produced = 0;
        last =
            engine_.encodeFloat(handle, static_cast<DWORD>(frames), left.data(),
                                channels == 1 ? nullptr : right.data(), buffer_.data(), &produced);
        bytes.append(reinterpret_cast<const char*>(buffer_.data()), produced);
        return last == BE_ERR_SUCCESSFUL;
    }

    void Finish(bool closeToo = true) {
        DWORD produced = 0;
        last = engine_.deinit(handle, buffer_.data(), &produced);
        bytes.append(reinterpret_cast<const char*>(buffer_.data()), produced);
        if (closeToo) {
            Close();
        }
    }

    BE_ERR Close() {
        closed_ = true;
        return engine_.close(handle);
    }

    BE_ERR status = 0;
    BE_ERR last = 0;
    DWORD samples = 0;
    DWORD minimum = 0;
    HBE_STREAM handle = 0;
    std::string bytes;

private:
    const Engine& engine_;
    std::vector<BYTE> buffer_;
    std::size_t position_ = 0;
    bool closed_ = false;
};

std::string EncodeAll(const Engine& engine, const BE_CONFIG& config,
                      const std::vector<std::int16_t>& input, bool asFloats = false) {
    Stream stream(engine, config);
    EXPECT_EQ(stream.status, BE_ERR_SUCCESSFUL);
    const std::size_t channels = config.InputChannels == 1 ? 1 : 2;
    while (asFloats ? stream.EncodeNextFloat(input, channels) : stream.EncodeNext(input)) {
    }
    EXPECT_EQ(stream.last, BE_ERR_SUCCESSFUL);
    stream.Finish();
    EXPECT_EQ(stream.last, BE_ERR_SUCCESSFUL);
    return stream.bytes;
}

class LameEngine : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(engine_.loaded); }

    Engine engine_;
    TempDir dir_;
};

TEST_F(LameEngine, VersionIsInterface132OverLibmp3lamesOwn) {
    BE_VERSION version;
    std::memset(&version, 0xAB, sizeof version);
    engine_.version(&version);
    lame_version_t own{};
    get_lame_version_numerical(&own);
    EXPECT_EQ(version.byDLLMajorVersion, 1);
    EXPECT_EQ(version.byDLLMinorVersion, 32);
    EXPECT_EQ(version.byMajorVersion, own.major);
    EXPECT_EQ(version.byMinorVersion, own.minor);
    EXPECT_GE(version.byDay, 1);
    EXPECT_LE(version.byDay, 31);
    EXPECT_GE(version.byMonth, 1);
    EXPECT_LE(version.byMonth, 12);
    EXPECT_GE(version.wYear, 2023);
    EXPECT_EQ(std::string(version.zHomepage), get_lame_url());
    EXPECT_TRUE(std::all_of(std::begin(version.btReserved), std::end(version.btReserved),
                            [](BYTE b) { return b == 0; }));
}

TEST_F(LameEngine, ReportsTwoFramesOfSamplesAndTheirOutputBound) {
    struct Case {
        std::uint32_t inRate;
        std::uint32_t outRate;
        DWORD frame;
        double upsampling;
    };
    for (const Case c :
         {Case{44100, 0, 1152, 1.0}, Case{48000, 0, 1152, 1.0}, Case{44100, 22050, 576, 1.0},
          Case{32000, 16000, 576, 1.0}, Case{32000, 48000, 1152, 1.5}}) {
        BE_CONFIG config = Record(c.inRate, 128);
        config.ReSampleRate = c.outRate;
        Stream stream(engine_, config);
        ASSERT_EQ(stream.status, BE_ERR_SUCCESSFUL) << c.inRate << "->" << c.outRate;
        EXPECT_NE(stream.handle, 0u);
        EXPECT_EQ(stream.samples, c.frame * 2) << c.inRate << "->" << c.outRate;
        EXPECT_EQ(stream.minimum, static_cast<DWORD>(1.25 * c.frame * c.upsampling) + 7200)
            << c.inRate << "->" << c.outRate;
    }
}

TEST_F(LameEngine, EightCallsWorthOfTheLoudestInputFitEightTimesTheMinimum) {
    // White noise at the top bitrate makes the largest frames there are.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> noise(-32768, 32767);
    std::vector<std::int16_t> input(48000 * 2);
    std::generate(input.begin(), input.end(),
                  [&] { return static_cast<std::int16_t>(noise(random)); });
    for (const std::uint32_t outRate : {0u, 48000u}) {
        BE_CONFIG config = Record(32000, 320);
        config.ReSampleRate = outRate;
        config.NoRes = 0;
        Stream stream(engine_, config);
        ASSERT_EQ(stream.status, BE_ERR_SUCCESSFUL);
        const std::size_t size = std::size_t{stream.minimum} * kMultiplier;
        // The encoder is told nothing of the buffer's size: a guard zone behind it shows
        // whether it ever wrote past what it may assume.
        std::vector<BYTE> buffer(size + 4096, 0xEE);
        std::vector<std::int16_t> chunk(std::size_t{stream.samples} * kMultiplier);
        for (std::size_t at = 0; at + chunk.size() <= input.size(); at += chunk.size()) {
            std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(at), chunk.size(),
                        chunk.begin());
            DWORD produced = 0;
            ASSERT_EQ(engine_.encode(stream.handle, static_cast<DWORD>(chunk.size()), chunk.data(),
                                     buffer.data(), &produced),
                      BE_ERR_SUCCESSFUL);
            EXPECT_LE(produced, size);
        }
        DWORD produced = 0;
        EXPECT_EQ(engine_.deinit(stream.handle, buffer.data(), &produced), BE_ERR_SUCCESSFUL);
        EXPECT_TRUE(std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(size), buffer.end(),
                                [](BYTE b) { return b == 0xEE; }));
    }
}

TEST_F(LameEngine, RefusesMalformedRecordsWithACode) {
    struct Case {
        const char* what;
        void (*spoil)(BE_CONFIG&);
        BE_ERR expected;
    };
    const Case cases[] = {
        {"MP3 kind", [](BE_CONFIG& c) { c.ConfigKind = 0; }, BE_ERR_INVALID_FORMAT},
        {"unknown kind", [](BE_CONFIG& c) { c.ConfigKind = 0xFFFFFFFF; }, BE_ERR_INVALID_FORMAT},
        {"mode 4", [](BE_CONFIG& c) { c.Mode = 4; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"mode -1", [](BE_CONFIG& c) { c.Mode = -1; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"no rate", [](BE_CONFIG& c) { c.SampleRate = 0; }, BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"huge rate", [](BE_CONFIG& c) { c.SampleRate = 0x80000000u; },
         BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"odd output rate", [](BE_CONFIG& c) { c.ReSampleRate = 12345; },
         BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"VBR quality 10",
         [](BE_CONFIG& c) {
             c.EnableVBR = 1;
             c.VBRQuality = 10;
         },
         BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"VBR method 5",
         [](BE_CONFIG& c) {
             c.EnableVBR = 1;
             c.VbrMethod = 5;
         },
         BE_ERR_INVALID_FORMAT_PARAMETERS},
        {"rates too far apart",
         [](BE_CONFIG& c) {
             c.SampleRate = 1;
             c.ReSampleRate = 48000;
         },
         BE_ERR_INVALID_FORMAT_PARAMETERS},
    };
    for (const Case& c : cases) {
        BE_CONFIG config = Record(44100, 128);
        c.spoil(config);
        DWORD samples = 99;
        DWORD minimum = 99;
        HBE_STREAM handle = 99;
        EXPECT_EQ(engine_.init(&config, &samples, &minimum, &handle), c.expected) << c.what;
        EXPECT_EQ(handle, 0u) << c.what;
    }
    BE_CONFIG config = Record(44100, 128);
    DWORD samples = 0;
    DWORD minimum = 0;
    HBE_STREAM handle = 0;
    EXPECT_EQ(engine_.init(nullptr, &samples, &minimum, &handle), BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(engine_.init(&config, nullptr, &minimum, &handle), BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(engine_.init(&config, &samples, nullptr, &handle), BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(engine_.init(&config, &samples, &minimum, nullptr), BE_ERR_INVALID_FORMAT_PARAMETERS);
}

TEST_F(LameEngine, GarbageRecordsGiveACodeOrAWorkingStream) {
    std::mt19937 random(2024);
    auto any = [&random] { return static_cast<std::uint32_t>(random()); };
    auto pick = [&random](std::initializer_list<std::uint32_t> values) {
        return *(values.begin() + random() % values.size());
    };
    std::mt19937 channelsRandom(31);
    const std::vector<std::int16_t> input = SwellingStereo(44100, 20000);
    int opened = 0;
    for (int round = 0; round < 300; ++round) {
        BE_CONFIG config;
        auto* bytes = reinterpret_cast<unsigned char*>(&config);
        std::generate_n(bytes, sizeof config, [&] { return static_cast<unsigned char>(random()); });
        config.ConfigKind = BE_CONFIG_LAME;
        // Half the fields plausible, so that records get past the first checks.
        if (round % 2 == 0) {
            config.SampleRate = pick({8000, 11025, 22050, 32000, 44100, 48000, 96000, any()});
            config.ReSampleRate = pick({0, 8000, 16000, 32000, 44100, 48000, any()});
            config.Mode = static_cast<std::int32_t>(any() % 5) - 1 + (round % 8 == 0);
            config.Bitrate = pick({0, 8, 32, 128, 320, 1000, any()});
            config.MaxBitrate = pick({0, 64, 320, any()});
            config.Quality =
                static_cast<std::int32_t>(pick({0, 1, 2, 3, 4, 5, 1000, 5000, 9000, any()}));
            config.EnableVBR = static_cast<std::int32_t>(any() % 3);
            config.VBRQuality = static_cast<std::int32_t>(any() % 12) - 1;
            config.VbrMethod = static_cast<std::int32_t>(any() % 7) - 1;
            config.VbrAbr_bps = pick({0, 8000, 128000, 320000, any()});
            // From a generator of its own, so that the other fields stay the records they were.
            config.InputChannels = static_cast<std::uint16_t>(channelsRandom() % 4);
        }
        Stream stream(engine_, config);
        ASSERT_TRUE(stream.status == BE_ERR_SUCCESSFUL ||
                    stream.status == BE_ERR_INVALID_FORMAT_PARAMETERS)
            << "round " << round << " status " << stream.status;
        if (stream.status != BE_ERR_SUCCESSFUL) {
            continue;
        }
        ++opened;
        while (stream.EncodeNext(input)) {
        }
        ASSERT_EQ(stream.last, BE_ERR_SUCCESSFUL) << "round " << round;
        stream.Finish(false);
        ASSERT_EQ(stream.last, BE_ERR_SUCCESSFUL) << "round " << round;
        EXPECT_EQ(stream.Close(), BE_ERR_SUCCESSFUL) << "round " << round;
        EXPECT_FALSE(stream.bytes.empty()) << "round " << round;
    }
    // Enough records got through to exercise encoding, not only the refusals.
    EXPECT_GT(opened, 30);
}

TEST_F(LameEngine, TheRecordGivesTheInputsChannelsAndFloatsEncodeAsTheirShorts) {
    const std::vector<std::int16_t> stereo = SwellingStereo(44100, 20000);
    const std::vector<float> left = ChannelOf(stereo, 0);
    struct Case {
        std::uint16_t inputChannels;
        std::int32_t mode;
        int decodedChannels;
    };
    for (const Case c : {Case{0, 1, 2}, Case{2, 0, 2}, Case{1, 1, 1}, Case{1, 0, 1}}) {
        SCOPED_TRACE(testing::Message() << c.inputChannels << " " << c.mode);
        BE_CONFIG config = Record(44100, 128);
        config.InputChannels = c.inputChannels;
        config.Mode = c.mode;
        std::vector<std::int16_t> input = stereo;
        if (c.inputChannels == 1) {
            input.assign(left.begin(), left.end());
            std::transform(left.begin(), left.end(), input.begin(),
                           [](float sample) { return static_cast<std::int16_t>(sample * 32768); });
        }
        const std::string shorts = EncodeAll(engine_, config, input);
        EXPECT_EQ(EncodeAll(engine_, config, input, true), shorts);
        const std::string path = dir_.File("channels.mp3");
        ASSERT_TRUE(WriteFileBytes(path, shorts));
        const DecodedMp3 decoded = DecodeMp3(path);
        ASSERT_EQ(decoded.channels, c.decodedChannels);
        EXPECT_GT(AlignedCorrelation(left, decoded.samples[0], 3000), 0.9);
    }
    BE_CONFIG three = Record(44100, 128);
    three.InputChannels = 3;
    EXPECT_EQ(Stream(engine_, three).status, BE_ERR_INVALID_FORMAT_PARAMETERS);
}

TEST_F(LameEngine, FloatsBeyondFullScaleAreNotWrappedRound) {
    BE_CONFIG config = Record(44100, 192);
    config.InputChannels = 1;
    Stream stream(engine_, config);
    ASSERT_EQ(stream.status, BE_ERR_SUCCESSFUL);
    // A tone at twice full scale: wrapped round, it would turn into a different waveform.
    std::vector<float> tone(44100);
    for (std::size_t i = 0; i < tone.size(); ++i) {
        tone[i] = static_cast<float>(65536 * std::sin(2 * 3.14159265 * 440 * i / 44100));
    }
    std::vector<BYTE> buffer(std::size_t{stream.minimum} * kMultiplier);
    std::string bytes;
    for (std::size_t at = 0; at < tone.size(); at += stream.samples) {
        DWORD produced = 0;
        const auto frames =
            static_cast<DWORD>(std::min<std::size_t>(stream.samples, tone.size() - at));
        ASSERT_EQ(engine_.encodeFloat(stream.handle, frames, tone.data() + at, nullptr,
                                      buffer.data(), &produced),
                  BE_ERR_SUCCESSFUL);
        bytes.append(reinterpret_cast<const char*>(buffer.data()), produced);
    }
    stream.Finish();
    bytes += stream.bytes;
    const std::string path = dir_.File("loud.mp3");
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    const DecodedMp3 decoded = DecodeMp3(path);
    ASSERT_EQ(decoded.channels, 1);
    EXPECT_NEAR(ToneFrequency(decoded.samples[0], 44100), 440, 2);
    EXPECT_GT(*std::max_element(decoded.samples[0].begin(), decoded.samples[0].end()), 1.5f);
}

TEST_F(LameEngine, ModesAndFlagsReachEveryFrame) {
    const std::vector<std::int16_t> input = SwellingStereo(44100, 30000);
    struct Case {
        std::int32_t mode;
        int expected;
    };
    for (const Case c : {Case{0, MPG123_M_STEREO}, Case{1, MPG123_M_JOINT}, Case{2, MPG123_M_JOINT},
                         Case{3, MPG123_M_MONO}}) {
        BE_CONFIG config = Record(44100, 128);
        config.Mode = c.mode;
        // Any non-zero value sets a flag.
        config.Private = c.mode == 0 ? 5 : 0;
        config.CRC = c.mode == 1 ? -1 : 0;
        config.Copyright = c.mode == 2 ? 2 : 0;
        config.Original = c.mode == 3 ? 9 : 0;
        const std::string path = dir_.File("mode.mp3");
        ASSERT_TRUE(WriteFileBytes(path, EncodeAll(engine_, config, input)));
        const DecodedMp3 decoded = DecodeMp3(path);
        ASSERT_FALSE(decoded.frameModes.empty());
        for (std::size_t i = 0; i < decoded.frameModes.size(); ++i) {
            ASSERT_EQ(decoded.frameModes[i], c.expected) << "mode " << c.mode << " frame " << i;
            // Forced stereo: mid/side on every frame of audio (the first is the info frame).
            if (c.mode == 2 && i > 0) {
                ASSERT_NE(decoded.frameModeExtensions[i] & 2, 0) << "frame " << i;
            }
            const int flags = decoded.frameFlags[i];
            EXPECT_EQ((flags & MPG123_PRIVATE) != 0, c.mode == 0) << "mode " << c.mode;
            EXPECT_EQ((flags & MPG123_CRC) != 0, c.mode == 1) << "mode " << c.mode;
            EXPECT_EQ((flags & MPG123_COPYRIGHT) != 0, c.mode == 2) << "mode " << c.mode;
            EXPECT_EQ((flags & MPG123_ORIGINAL) != 0, c.mode == 3) << "mode " << c.mode;
        }
    }
}

TEST_F(LameEngine, UnknownAndClosedHandlesAreInvalid) {
    std::vector<std::int16_t> samples(64);
    std::vector<BYTE> buffer(16384);
    DWORD produced = 0;
    for (const HBE_STREAM handle : {HBE_STREAM{0}, HBE_STREAM{0xDEADBEEF}}) {
        EXPECT_EQ(engine_.encode(handle, 64, samples.data(), buffer.data(), &produced),
                  BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(engine_.deinit(handle, buffer.data(), &produced), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(engine_.close(handle), BE_ERR_INVALID_HANDLE);
        DWORD frameBytes = static_cast<DWORD>(buffer.size());
        EXPECT_EQ(engine_.getInfoFrame(handle, buffer.data(), &frameBytes), BE_ERR_INVALID_HANDLE);
    }
    Stream stream(engine_, Record(44100, 128));
    ASSERT_EQ(stream.status, BE_ERR_SUCCESSFUL);
    EXPECT_EQ(stream.Close(), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(engine_.encode(stream.handle, 64, samples.data(), buffer.data(), &produced),
              BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(engine_.deinit(stream.handle, buffer.data(), &produced), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(engine_.close(stream.handle), BE_ERR_INVALID_HANDLE);
}

TEST_F(LameEngine, InterleavedStreamsEncodeAsIfAlone) {
    const std::vector<std::int16_t> first = SwellingStereo(44100, 60000);
    std::vector<std::int16_t> second = SwellingStereo(48000, 50000);
    std::reverse(second.begin(), second.end());
    BE_CONFIG stereo = Record(44100, 128);
    BE_CONFIG mono = VbrRecord(48000, 2);
    mono.Mode = 3;

    Stream a(engine_, stereo);
    Stream b(engine_, mono);
    ASSERT_EQ(a.status, BE_ERR_SUCCESSFUL);
    ASSERT_EQ(b.status, BE_ERR_SUCCESSFUL);
    EXPECT_NE(a.handle, b.handle);
    bool moreA = true;
    bool moreB = true;
    while (moreA || moreB) {
        moreA = moreA && a.EncodeNext(first);
        moreB = moreB && b.EncodeNext(second);
    }
    b.Finish();
    a.Finish();
    EXPECT_EQ(a.bytes, EncodeAll(engine_, stereo, first));
    EXPECT_EQ(b.bytes, EncodeAll(engine_, mono, second));
}

TEST_F(LameEngine, StreamsOnTwoThreadsEncodeAsIfAlone) {
    const std::vector<std::int16_t> first = SwellingStereo(44100, 80000);
    const std::vector<std::int16_t> second = SwellingStereo(32000, 70000);
    const BE_CONFIG cbr = Record(44100, 192);
    const BE_CONFIG vbr = VbrRecord(32000, 4);
    std::string fromFirst;
    std::string fromSecond;
    std::thread one([&] { fromFirst = EncodeAll(engine_, cbr, first); });
    std::thread two([&] { fromSecond = EncodeAll(engine_, vbr, second); });
    one.join();
    two.join();
    EXPECT_EQ(fromFirst, EncodeAll(engine_, cbr, first));
    EXPECT_EQ(fromSecond, EncodeAll(engine_, vbr, second));
}

TEST_F(LameEngine, HandsOutTheInfoFrameOfEveryStreamToWriteOverItsStart) {
    const std::vector<std::int16_t> input = SwellingStereo(44100, 50000);
    struct Case {
        const char* name;
        BE_CONFIG config;
        const char* id;
    };
    for (const Case& c : {Case{"constant", Record(44100, 128), "Info"},
                          Case{"variable", VbrRecord(44100, 2), "Xing"}}) {
        Stream stream(engine_, c.config);
        ASSERT_EQ(stream.status, BE_ERR_SUCCESSFUL) << c.name;
        while (stream.EncodeNext(input)) {
        }
        std::vector<BYTE> frame(2048);
        DWORD frameBytes = static_cast<DWORD>(frame.size());
        EXPECT_EQ(engine_.getInfoFrame(stream.handle, frame.data(), &frameBytes),
                  BE_ERR_INVALID_FORMAT_PARAMETERS)
            << "before the flush";
        stream.Finish(false);
        EXPECT_EQ(engine_.getInfoFrame(stream.handle, nullptr, &frameBytes),
                  BE_ERR_INVALID_FORMAT_PARAMETERS);
        frameBytes = 16;
        ASSERT_EQ(engine_.getInfoFrame(stream.handle, frame.data(), &frameBytes),
                  BE_ERR_BUFFER_TOO_SMALL)
            << c.name;
        const DWORD needed = frameBytes;
        ASSERT_GT(needed, 16u);
        ASSERT_LE(needed, frame.size());
        ASSERT_EQ(engine_.getInfoFrame(stream.handle, frame.data(), &frameBytes),
                  BE_ERR_SUCCESSFUL);
        EXPECT_EQ(frameBytes, needed);
        EXPECT_EQ(stream.Close(), BE_ERR_SUCCESSFUL);

        // The stream reserved a silent frame of that size at its start.
        std::string bytes = stream.bytes;
        EXPECT_FALSE(ReadInfoFrame(bytes).present) << c.name;
        bytes.replace(0, needed, reinterpret_cast<const char*>(frame.data()), needed);
        const Mp3InfoFrame info = ReadInfoFrame(bytes);
        ASSERT_TRUE(info.present) << c.name;
        EXPECT_EQ(info.id, c.id);
        const std::string path = dir_.File("filled.mp3");
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        const DecodedMp3 decoded = DecodeMp3(path);
        ASSERT_TRUE(decoded.opened) << c.name;
        EXPECT_EQ(info.frameCount, decoded.frameBitrates.size()) << c.name;
        EXPECT_EQ(decoded.samples[0].size(), input.size() / 2) << c.name;
    }

    // 32 kbit/s at 48 kHz: a frame is too small for the info frame, so none was reserved.
    Stream small(engine_, Record(48000, 32));
    ASSERT_EQ(small.status, BE_ERR_SUCCESSFUL);
    while (small.EncodeNext(input)) {
    }
    small.Finish(false);
    std::vector<BYTE> frame(2048);
    DWORD frameBytes = static_cast<DWORD>(frame.size());
    EXPECT_EQ(engine_.getInfoFrame(small.handle, frame.data(), &frameBytes), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(frameBytes, 0u);
}

TEST_F(LameEngine, WritesTheInfoFrameOverTheReservedOneInPlace) {
    const std::vector<std::int16_t> input = SwellingStereo(44100, 70000);
    const std::string path = dir_.File("vbr.mp3");
    ASSERT_TRUE(WriteFileBytes(path, EncodeAll(engine_, VbrRecord(44100, 2), input)));
    const std::string before = ReadFileBytes(path);
    EXPECT_FALSE(ReadInfoFrame(before).present);

    ASSERT_EQ(engine_.writeVbrHeader(path.c_str()), BE_ERR_SUCCESSFUL);
    const std::string after = ReadFileBytes(path);
    ASSERT_EQ(after.size(), before.size());
    const Mp3InfoFrame info = ReadInfoFrame(after);
    ASSERT_TRUE(info.present);
    EXPECT_EQ(info.id, "Xing");
    const DecodedMp3 decoded = DecodeMp3(path);
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(info.frameCount, decoded.frameBitrates.size());
    // The frame's delay and padding let the decoder give back exactly the input's length.
    EXPECT_EQ(decoded.samples[0].size(), input.size() / 2);
    // Only the reserved frame changed: everything from the first audio frame on is as it was.
    const std::size_t firstAudio = before.find_first_not_of('\0', 4);
    ASSERT_NE(firstAudio, std::string::npos);
    EXPECT_EQ(after.substr(firstAudio), before.substr(firstAudio));

    // It is written once: the file now holds it.
    EXPECT_NE(engine_.writeVbrHeader(path.c_str()), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(ReadFileBytes(path), after);
}

TEST_F(LameEngine, InfoFrameGoesOnlyIntoTheStreamsOwnFile) {
    const std::string path = dir_.File("own.mp3");
    const std::string bytes = EncodeAll(engine_, VbrRecord(44100, 4), SwellingStereo(44100, 30000));
    ASSERT_TRUE(WriteFileBytes(path, bytes));

    const std::string shorter = dir_.File("shorter.mp3");
    ASSERT_TRUE(WriteFileBytes(shorter, bytes.substr(0, bytes.size() - 1)));
    const std::string other = dir_.File("other.wav");
    const std::string otherBytes(bytes.size(), 'x');
    ASSERT_TRUE(WriteFileBytes(other, otherBytes));

    EXPECT_EQ(engine_.writeVbrHeader(dir_.File("missing.mp3").c_str()),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(engine_.writeVbrHeader(dir_.Path().c_str()), BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(engine_.writeVbrHeader(shorter.c_str()), BE_ERR_INVALID_FORMAT);
    EXPECT_EQ(engine_.writeVbrHeader(other.c_str()), BE_ERR_INVALID_FORMAT);
    EXPECT_EQ(ReadFileBytes(shorter), bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(ReadFileBytes(other), otherBytes);

    // An ID3v1 tag appended before the frame is written does not hide the stream's file.
    const std::string tag = "TAG" + std::string(125, '\0');
    ASSERT_TRUE(WriteFileBytes(path, bytes + tag));
    EXPECT_EQ(engine_.writeVbrHeader(path.c_str()), BE_ERR_SUCCESSFUL);
    const std::string written = ReadFileBytes(path);
    EXPECT_TRUE(ReadInfoFrame(written).present);
    EXPECT_EQ(written.size(), bytes.size() + tag.size());
    EXPECT_EQ(written.substr(bytes.size()), tag);
}

TEST_F(LameEngine, InfoFrameIsFoundAfterALeadingId3v2Tag) {
    EncodeItem item;
    item.Title = "森鷗外の歌";
    const std::string v23 = CID3v2Tag::Render(item);
    // ID3v2.4 with a footer: ten more bytes than the header's size says.
    const std::string v24 = std::string("ID3\x04\x00\x10\x00\x00\x01\x00", 10) +
                            std::string(128, '\0') +
                            std::string("3DI\x04\x00\x10\x00\x00\x01\x00", 10);
    std::string misstated = v23;
    misstated[9] = static_cast<char>(misstated[9] + 1);
    const std::string v1 = "TAG" + std::string(125, ' ');
    struct Case {
        const char* name;
        std::string head;
        std::string tail;
        bool found;
    };
    const std::vector<std::int16_t> input = SwellingStereo(44100, 30000);
    for (const Case& c : {Case{"v2.3 and v1", v23, v1, true}, Case{"v2.3", v23, "", true},
                          Case{"v2.4 footer and v1", v24, v1, true},
                          Case{"size one too many", misstated, v1, false}}) {
        const std::string stream = EncodeAll(engine_, VbrRecord(44100, 4), input);
        const std::string path = dir_.File("tagged.mp3");
        ASSERT_TRUE(WriteFileBytes(path, c.head + stream + c.tail));
        EXPECT_EQ(engine_.writeVbrHeader(path.c_str()),
                  c.found ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_FORMAT)
            << c.name;
        const std::string after = ReadFileBytes(path);
        ASSERT_EQ(after.size(), c.head.size() + stream.size() + c.tail.size()) << c.name;
        EXPECT_EQ(after.substr(0, c.head.size()), c.head) << c.name;
        EXPECT_EQ(after.substr(after.size() - c.tail.size()), c.tail) << c.name;
        const bool written = after.substr(c.head.size(), stream.size()) != stream;
        EXPECT_EQ(written, c.found) << c.name;
        if (c.found && c.head == v23) {
            EXPECT_TRUE(ReadInfoFrame(after).present);
            EXPECT_EQ(DecodeMp3(path).samples.at(0).size(), input.size() / 2) << c.name;
        }
        // A frame the file did not take stays for the file that is its own.
        if (!c.found) {
            ASSERT_TRUE(WriteFileBytes(path, v23 + stream + v1));
            EXPECT_EQ(engine_.writeVbrHeader(path.c_str()), BE_ERR_SUCCESSFUL);
        }
    }
}

TEST_F(LameEngine, EqualStreamsClosedSideBySideGetTheirOwnInfoFrames) {
    // Equal lengths and settings reserve identical frames; only the audio (and so the frame's
    // music checksum) tells the two files apart.
    BE_CONFIG config = Record(44100, 128);
    config.WriteVBRHeader = 1;
    const std::vector<std::int16_t> rising = SwellingStereo(44100, 40000);
    std::vector<std::int16_t> falling = rising;
    std::reverse(falling.begin(), falling.end());
    const auto encodeInto = [&](const std::vector<std::int16_t>& input, const std::string& path) {
        EXPECT_TRUE(WriteFileBytes(path, EncodeAll(engine_, config, input)));
    };
    const std::string risingAlone = dir_.File("rising-alone.mp3");
    const std::string fallingAlone = dir_.File("falling-alone.mp3");
    encodeInto(rising, risingAlone);
    ASSERT_EQ(engine_.writeVbrHeader(risingAlone.c_str()), BE_ERR_SUCCESSFUL);
    encodeInto(falling, fallingAlone);
    ASSERT_EQ(engine_.writeVbrHeader(fallingAlone.c_str()), BE_ERR_SUCCESSFUL);
    ASSERT_NE(ReadFileBytes(risingAlone), ReadFileBytes(fallingAlone));

    // The first closes, the second closes, and only then does each write its frame.
    const std::string risingPath = dir_.File("rising.mp3");
    const std::string fallingPath = dir_.File("falling.mp3");
    std::latch firstClosed(1);
    std::latch secondClosed(1);
    BE_ERR risingStatus = 0;
    BE_ERR fallingStatus = 0;
    std::thread first([&] {
        encodeInto(rising, risingPath);
        firstClosed.count_down();
        secondClosed.wait();
        risingStatus = engine_.writeVbrHeader(risingPath.c_str());
    });
    std::thread second([&] {
        firstClosed.wait();
        encodeInto(falling, fallingPath);
        secondClosed.count_down();
        fallingStatus = engine_.writeVbrHeader(fallingPath.c_str());
    });
    first.join();
    second.join();
    EXPECT_EQ(risingStatus, BE_ERR_SUCCESSFUL);
    EXPECT_EQ(fallingStatus, BE_ERR_SUCCESSFUL);
    EXPECT_EQ(ReadFileBytes(risingPath), ReadFileBytes(risingAlone));
    EXPECT_EQ(ReadFileBytes(fallingPath), ReadFileBytes(fallingAlone));
}

TEST(LameEngineAlone, NothingToWriteWithoutAFlushedStreamsFrameLeftOver) {
    // A fresh load of the library: no stream of another test has left a frame behind.
    Engine engine;
    ASSERT_TRUE(engine.loaded);
    TempDir dir;
    const std::vector<std::int16_t> input = SwellingStereo(44100, 20000);

    // Its frame handed out before the close, a stream leaves none to write by path.
    Stream handedOut(engine, Record(44100, 128));
    ASSERT_EQ(handedOut.status, BE_ERR_SUCCESSFUL);
    while (handedOut.EncodeNext(input)) {
    }
    handedOut.Finish(false);
    std::vector<BYTE> frame(2048);
    DWORD frameBytes = static_cast<DWORD>(frame.size());
    ASSERT_EQ(engine.getInfoFrame(handedOut.handle, frame.data(), &frameBytes), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(handedOut.Close(), BE_ERR_SUCCESSFUL);
    const std::string cbr = dir.File("cbr.mp3");
    ASSERT_TRUE(WriteFileBytes(cbr, handedOut.bytes));

    // Closed without its last data: the stream never finished, so it has no frame to give.
    Stream unfinished(engine, VbrRecord(44100, 0));
    ASSERT_EQ(unfinished.status, BE_ERR_SUCCESSFUL);
    unfinished.EncodeNext(input);
    EXPECT_EQ(unfinished.Close(), BE_ERR_SUCCESSFUL);

    EXPECT_EQ(engine.writeVbrHeader(cbr.c_str()), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(ReadFileBytes(cbr), handedOut.bytes);
}

} // namespace
