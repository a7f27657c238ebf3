// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryFolder.h"

#include "encoders/CLameDll.h"
#include "platform/Paths.h"
#include "settings/EncodeSettings.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WaveHeader;

constexpr const char* kLibrary = "lame_enc.dll";

// The stand-in library built beside the tests: no info frame, samples passed through.
std::string PartialLibraryFolder() {
    return platform::ExecutableFolder() + "partial/";
}

BE_CONFIG Record() {
    return FirstStartLameParm();
}

class LameDll : public ::testing::Test {
protected:
    // A WAVE file whose data chunk of audioBytes bytes counts up, so every byte's place can be
    // checked.
    std::string CountingWave(std::size_t audioBytes) {
        std::vector<std::int16_t> samples(audioBytes / 2);
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = static_cast<std::int16_t>(i * 7);
        }
        std::string odd = audioBytes % 2 != 0 ? std::string(1, '\x5A') : std::string();
        WaveHeader header;
        header.dataSize = static_cast<std::uint32_t>(audioBytes);
        const std::string path = dir_.File("in.wav");
        EXPECT_TRUE(testsupport::WriteWave(path, header, samples, odd));
        audio_ = ReadFileBytes(path).substr(44);
        return path;
    }

    TempDir dir_;
    std::string audio_;
};

TEST_F(LameDll, LoadsOnlyFromItsOwnFolder) {
    TempDir empty;
    {
        // The real library lies beside the test program, which is not where it is looked for.
        const LibraryFolder folder(empty.Path());
        CLameDll lame;
        EXPECT_FALSE(lame.LoadLame(kLibrary));
        EXPECT_EQ(lame.GetEntry("beInitStream"), nullptr);
        std::string text = "stale";
        lame.GetVersionText(text);
        EXPECT_EQ(text, "");
        BE_CONFIG config = Record();
        std::uint32_t outputBytes = 1;
        EXPECT_EQ(lame.InitStream(&config, &outputBytes, 8), kLameStatusMissingArgument);
        std::uint8_t frame[4];
        std::uint32_t frameBytes = sizeof frame;
        EXPECT_EQ(lame.GetInfoFrame(frame, &frameBytes), 0u);
        EXPECT_EQ(frameBytes, 0u);
    }
    CLameDll lame;
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    std::string text;
    lame.GetVersionText(text);
    lame_version_t own{};
    get_lame_version_numerical(&own);
    EXPECT_EQ(text, "Lame DLL ver " + std::to_string(own.major) + "." + std::to_string(own.minor));
    lame.Unload();
    EXPECT_EQ(lame.GetEntry("beInitStream"), nullptr);
}

TEST_F(LameDll, LibraryWithoutTheInfoFrameStillLoads) {
    const LibraryFolder folder(PartialLibraryFolder());
    CLameDll lame;
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    EXPECT_EQ(lame.GetEntry("beWriteVBRHeader"), nullptr);
    EXPECT_EQ(lame.GetEntry("beGetInfoFrame"), nullptr);
    std::string text;
    // The engine's version, not the interface's 1.32.
    lame.GetVersionText(text);
    EXPECT_EQ(text, "Lame DLL ver 9.87");
    std::uint8_t frame[4];
    std::uint32_t frameBytes = sizeof frame;
    EXPECT_EQ(lame.GetInfoFrame(frame, &frameBytes), 0u);
    EXPECT_EQ(frameBytes, 0u);
}

TEST_F(LameDll, ChunksAreTheLibrarysCallSizeTimesTheMultiplier) {
    const LibraryFolder folder(PartialLibraryFolder());
    CLameDll lame;
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    // Two whole chunks of 8 × 1024 samples, then 1001 bytes: an odd one left over.
    const std::string path = CountingWave(2 * 16384 + 1001);
    WaveInput input;
    ASSERT_TRUE(input.Open(path));
    // The odd last byte is no whole frame: the reader leaves it out.
    EXPECT_EQ(input.AudioBytes(), audio_.size() - 1);

    std::uint32_t chunk = 0;
    EXPECT_FALSE(lame.ReadChunk(input, &chunk)) << "no stream, no buffer";
    BE_CONFIG config = Record();
    std::uint32_t outputBytes = 0;
    ASSERT_EQ(lame.InitStream(&config, &outputBytes, 8), 0u);
    EXPECT_EQ(outputBytes, 8u * 4096u);

    std::vector<std::uint8_t> output(outputBytes);
    std::string encoded;
    std::vector<std::uint32_t> reads;
    while (lame.ReadChunk(input, &chunk)) {
        reads.push_back(chunk);
        std::uint32_t produced = 0;
        ASSERT_EQ(lame.EncodeChunk(chunk, output.data(), &produced), 0u);
        encoded.append(reinterpret_cast<const char*>(output.data()), produced);
    }
    EXPECT_EQ(reads, (std::vector<std::uint32_t>{16384, 16384, 1000}));
    // At the end: false, with nothing read.
    EXPECT_FALSE(lame.ReadChunk(input, &chunk));
    EXPECT_EQ(chunk, 0u);
    EXPECT_FALSE(input.Failed());
    EXPECT_FALSE(lame.ReadChunk(input, nullptr));
    EXPECT_EQ(encoded, audio_.substr(0, audio_.size() - 1));

    std::uint32_t produced = 0;
    EXPECT_EQ(lame.FlushStream(nullptr, &produced), kLameStatusMissingArgument);
    EXPECT_EQ(lame.FlushStream(output.data(), nullptr), kLameStatusMissingArgument);
    ASSERT_EQ(lame.FlushStream(output.data(), &produced), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(output.data()), produced), "FLSH");
    EXPECT_EQ(lame.CloseStream(), 0u);
    EXPECT_FALSE(lame.ReadChunk(input, &chunk));
}

TEST_F(LameDll, CloseStreamWithoutAStreamIsANoOp) {
    const LibraryFolder folder(PartialLibraryFolder());
    CLameDll lame;
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    const std::string path = CountingWave(5000);
    WaveInput input;
    ASSERT_TRUE(input.Open(path));
    EXPECT_EQ(lame.CloseStream(), 0u);

    BE_CONFIG config = Record();
    std::uint32_t outputBytes = 0;
    ASSERT_EQ(lame.InitStream(&config, &outputBytes, 8), 0u);
    std::uint32_t chunk = 0;
    ASSERT_TRUE(lame.ReadChunk(input, &chunk));
    std::vector<std::uint8_t> output(outputBytes);
    std::uint32_t produced = 0;
    ASSERT_EQ(lame.EncodeChunk(chunk, output.data(), &produced), 0u);
    // Still open, and still at the first audio byte.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(output.data()), produced), audio_);
}

TEST_F(LameDll, InitStreamStatuses) {
    CLameDll lame;
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    BE_CONFIG config = Record();
    std::uint32_t outputBytes = 0;
    EXPECT_EQ(lame.InitStream(&config, nullptr, 8), kLameStatusMissingArgument);
    EXPECT_EQ(lame.InitStream(nullptr, &outputBytes, 8), kLameStatusMissingArgument);
    // The library's own codes come back unchanged.
    config.Mode = 7;
    EXPECT_EQ(lame.InitStream(&config, &outputBytes, 8), 2u);
    config = Record();
    config.ConfigKind = 0;
    EXPECT_EQ(lame.InitStream(&config, &outputBytes, 8), 1u);
    config = Record();
    ASSERT_EQ(lame.InitStream(&config, &outputBytes, 8), 0u);
    EXPECT_EQ(outputBytes, 8u * (1440u + 7200u));
    // A stream still open is closed first.
    ASSERT_EQ(lame.InitStream(&config, &outputBytes, 1), 0u);
    EXPECT_EQ(outputBytes, 1440u + 7200u);
    EXPECT_EQ(lame.CloseStream(), 0u);
}

TEST_F(LameDll, ReloadingClosesTheOpenStreamFirst) {
    CLameDll lame;
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    const std::string path = CountingWave(40000);
    WaveInput input;
    ASSERT_TRUE(input.Open(path));
    BE_CONFIG config = Record();
    std::uint32_t outputBytes = 0;
    ASSERT_EQ(lame.InitStream(&config, &outputBytes, 8), 0u);
    // The stream belongs to the old library: reloading must not leave it to be closed later
    // through entry points of a library that is gone.
    ASSERT_TRUE(lame.LoadLame(kLibrary));
    std::uint32_t chunk = 0;
    EXPECT_FALSE(lame.ReadChunk(input, &chunk));
    EXPECT_EQ(lame.CloseStream(), 0u);
}

} // namespace
