// SPDX-License-Identifier: GPL-3.0-or-later
#include "batch/ConversionStart.h"
#include "batch/FileRow.h"
#include "platform/Paths.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "support/WaveTagging.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

FileRow Row(const std::string& folder, const std::string& name, const std::string& genre = {}) {
    FileRow row;
    row[kColumnFolder] = folder;
    row[kColumnName] = name;
    row[kColumnFormat] = "16bit Stereo 44100Hz";
    row[kColumnGenre] = genre;
    return row;
}

BE_CONFIG PresetConfig(std::uint32_t bitrate) {
    BE_CONFIG config = FirstStartLameParm();
    config.Bitrate = bitrate;
    config.Reserved[0] = static_cast<std::uint8_t>(bitrate);
    return config;
}

class ConversionStartTest : public ::testing::Test {
protected:
    ConversionStartTest() {
        settings.ApplyFirstStartDefaults();
        settings.Presets = {{"low", PresetConfig(64)}, {"high", PresetConfig(320)}};
    }

    /// The one refusal shown, checked for its title and icon; empty when none was shown.
    std::string Refusal() const {
        const auto shown = messages->Requests();
        if (shown.empty()) {
            return {};
        }
        EXPECT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "エラー");
        EXPECT_EQ(shown[0].icon, platform::MessageIcon::Warning);
        EXPECT_EQ(shown[0].buttons, platform::MessageButtons::Ok);
        return shown[0].text;
    }

    testsupport::ScopedMessageRecorder messages;
    EncodeSettings settings;
};

TEST_F(ConversionStartTest, EmptyListIsRefused) {
    EXPECT_FALSE(PrepareConversion({}, settings).has_value());
    EXPECT_EQ(Refusal(), "エンコードするファイルが存在しません\n"
                         "音声ファイルを追加後に変換ボタンのクリックをお願いします\u3000");
}

TEST_F(ConversionStartTest, RowsBecomeItemsInListOrder) {
    FileRow first = Row("/wav/", "a.wav", "Rock");
    first[kColumnTitle] = "title";
    first[kColumnArtist] = "artist";
    first[kColumnAlbum] = "album";
    first[kColumnYear] = "1999";
    first[kColumnComment] = "comment";
    settings.OutFolder.OutFolder = "/music/";
    const auto batch =
        PrepareConversion({first, Row("/wav/", "b.wav", "rock"), Row("", "c.wav")}, settings);
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(Refusal(), "");
    EXPECT_EQ(batch->Paths, (std::vector<std::string>{"/wav/a.wav", "/wav/b.wav", "c.wav"}));
    ASSERT_EQ(batch->Items.size(), 3u);
    const EncodeItem& item = batch->Items[0];
    EXPECT_EQ(item.InPath, "/wav/a.wav");
    EXPECT_EQ(item.Title, "title");
    EXPECT_EQ(item.Artist, "artist");
    EXPECT_EQ(item.Album, "album");
    EXPECT_EQ(item.Year, "1999");
    EXPECT_EQ(item.Comment, "comment");
    EXPECT_EQ(item.Genre, 17);
    // Genre names are matched exactly, case included; an empty one is no genre.
    EXPECT_EQ(batch->Items[1].Genre, NoGenre);
    EXPECT_EQ(batch->Items[2].Genre, NoGenre);
    EXPECT_EQ(batch->OutPaths,
              (std::vector<std::string>{"/music/a.mp3", "/music/b.mp3", "/music/c.mp3"}));
    EXPECT_EQ(batch->Ogg, &settings.Ogg);
    EXPECT_EQ(batch->IdentityOutFile, &settings.OutFolder.IdentityOutFile);
    EXPECT_EQ(batch->EncodeType, kEncodeTypeMp3);
}

TEST_F(ConversionStartTest, OutputsClashWhereTheyAreOnePlaceWhateverTheirSpelling) {
    settings.OutFolder.OutputLayout = kOutputLayoutBeside;
    const auto batch = PrepareConversion(
        {Row("/lib/A/", "01.wav"), Row("/lib/B/", "01.wav"), Row("/lib/A/./", "01.wav")}, settings);
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(FindOutputClashes(*batch), (std::vector<std::vector<std::size_t>>{{0, 2}}));
}

TEST_F(ConversionStartTest, PresetZeroRunsOnLameParm) {
    const auto batch = PrepareConversion({Row("/", "a.wav")}, settings);
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(batch->LameParm, &settings.LameParm);
}

TEST_F(ConversionStartTest, PresetEqualToTheCountRunsOnACopyOfTheLastPreset) {
    const BE_CONFIG before = settings.LameParm;
    settings.OutFolder.Preset = 2;
    const auto batch = PrepareConversion({Row("/", "a.wav")}, settings);
    ASSERT_TRUE(batch.has_value());
    EXPECT_EQ(batch->LameParm, &settings.LameWork);
    EXPECT_EQ(std::memcmp(&settings.LameWork, &settings.Presets[1].Config, sizeof(BE_CONFIG)), 0);
    EXPECT_EQ(std::memcmp(&settings.LameParm, &before, sizeof(BE_CONFIG)), 0);
}

TEST_F(ConversionStartTest, PresetPastTheListOrNegativeIsRefusedForBothKinds) {
    for (const std::int32_t preset : {3, -1, -2147483647 - 1}) {
        for (const std::int32_t kind : {kEncodeTypeMp3, kEncodeTypeOgg}) {
            testsupport::ScopedMessageRecorder recorder;
            settings.OutFolder.Preset = preset;
            settings.OutFolder.EncodeType = kind;
            EXPECT_FALSE(PrepareConversion({Row("/", "a.wav")}, settings).has_value());
            const auto shown = recorder->Requests();
            ASSERT_EQ(shown.size(), 1u) << preset;
            EXPECT_EQ(shown[0].text, "Presetの設定がありません\n");
            EXPECT_EQ(shown[0].title, "エラー");
            EXPECT_EQ(shown[0].icon, platform::MessageIcon::Warning);
        }
    }
}

TEST_F(ConversionStartTest, OggMinimumBitrateAloneBelow64KbpsIsRefused) {
    const std::string message = "OggVorbisの設定に誤りがあります\n"
                                "最小ビットレートのみを指定する場合には\n"
                                "64 Kbps以上を指定するようにお願いいたします";
    settings.OutFolder.EncodeType = kEncodeTypeOgg;
    for (const std::int32_t custom : {0, 1}) {
        testsupport::ScopedMessageRecorder recorder;
        settings.Ogg.Custom = custom;
        settings.Ogg.MinBitrate = 32000;
        EXPECT_FALSE(PrepareConversion({Row("/", "a.wav")}, settings).has_value());
        const auto shown = recorder->Requests();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, message);
        EXPECT_EQ(shown[0].title, "エラー");
        EXPECT_EQ(shown[0].icon, platform::MessageIcon::Warning);
    }
}

TEST_F(ConversionStartTest, OggBitratesThatAreAcceptedRun) {
    struct Bitrates {
        std::int32_t min, average, max;
    };
    for (const Bitrates bitrates : {Bitrates{-1, -1, -1}, Bitrates{64000, -1, -1},
                                    Bitrates{32000, 128000, -1}, Bitrates{32000, -1, 192000}}) {
        settings.OutFolder.EncodeType = kEncodeTypeOgg;
        settings.Ogg.MinBitrate = bitrates.min;
        settings.Ogg.AveBitrate = bitrates.average;
        settings.Ogg.MaxBitrate = bitrates.max;
        EXPECT_TRUE(PrepareConversion({Row("/", "a.wav")}, settings).has_value())
            << bitrates.min << " " << bitrates.average << " " << bitrates.max;
    }
    // The check is the Ogg Vorbis encoder's own: an MP3 batch does not look at it.
    settings.OutFolder.EncodeType = kEncodeTypeMp3;
    settings.Ogg.MinBitrate = 32000;
    settings.Ogg.AveBitrate = -1;
    settings.Ogg.MaxBitrate = -1;
    EXPECT_TRUE(PrepareConversion({Row("/", "a.wav")}, settings).has_value());
    EXPECT_EQ(Refusal(), "");
}

class TakeWaveFileTest : public ::testing::Test {
protected:
    std::string Wave(const std::string& name, std::uint32_t rate = 44100,
                     std::uint16_t channels = 2) {
        testsupport::WaveHeader header;
        header.sampleRate = rate;
        header.channels = channels;
        header.blockAlign = static_cast<std::uint16_t>(channels * 2);
        const std::string path = dir.File(name);
        EXPECT_TRUE(
            testsupport::WriteWave(path, header, std::vector<std::int16_t>(400u * channels, 0)));
        return path;
    }

    testsupport::TempDir dir;
};

TEST_F(TakeWaveFileTest, AcceptedFileFillsNameFolderAndFormat) {
    FileRow row;
    ASSERT_TRUE(TakeWaveFile(Wave("song.wav"), row));
    EXPECT_EQ(row[kColumnName], "song.wav");
    EXPECT_EQ(row[kColumnFolder], dir.Path());
    EXPECT_EQ(row[kColumnFormat], "16bit Stereo 44100Hz");
    for (std::size_t column = kColumnTitle; column <= kColumnGenre; ++column) {
        EXPECT_EQ(row[column], "");
    }
    FileRow other;
    ASSERT_TRUE(TakeWaveFile(Wave("曲.b.wav", 48000), other));
    EXPECT_EQ(other[kColumnName], "曲.b.wav");
    EXPECT_EQ(other[kColumnFormat], "16bit Stereo 48000Hz");
}

TEST_F(TakeWaveFileTest, WavInAnyCaseOfTheAcceptedFormatIsTakenAndARefusalSaysWhy) {
    std::filesystem::create_directory(dir.File("folder.wav"));
    ASSERT_TRUE(testsupport::WriteFileBytes(dir.File("text.wav"), "not a wave file"));
    struct Case {
        std::string Path;
        bool WaveName;
        WaveFailure Failure;
        int Error;
    };
    const Case cases[] = {
        {Wave("SONG.WAV"), true, WaveFailure::None, 0},
        {Wave("song.Wav"), true, WaveFailure::None, 0},
        {Wave("song"), false, WaveFailure::None, 0},
        {Wave("song.wave"), false, WaveFailure::None, 0},
        {Wave("nine.wav", 44100, 9), true, WaveFailure::M8, 0},
        {Wave("rate.wav", 7000), true, WaveFailure::M8, 0},
        {dir.File("text.wav"), true, WaveFailure::M3, 0},
        {dir.File("missing.wav"), true, WaveFailure::M1, ENOENT},
        {dir.File("folder.wav"), true, WaveFailure::M1, EISDIR},
    };
    for (const Case& c : cases) {
        FileRow row;
        row[kColumnTitle] = "kept";
        const WaveFileCheck check = TakeWaveFile(c.Path, row);
        const bool taken = c.WaveName && c.Failure == WaveFailure::None;
        EXPECT_EQ(static_cast<bool>(check), taken) << c.Path;
        EXPECT_EQ(check.WaveName, c.WaveName) << c.Path;
        EXPECT_EQ(check.Probe.Failure, c.Failure) << c.Path;
        EXPECT_EQ(check.Probe.Error, c.Error) << c.Path;
        EXPECT_EQ(row[kColumnName], taken ? platform::NameOf(c.Path) : "") << c.Path;
        EXPECT_EQ(row[kColumnTitle], "kept");
    }
    FileRow row;
    const WaveFileCheck check = TakeWaveFile(Wave("long.wav"), row);
    EXPECT_EQ(check.Probe.AudioBytes, 400u * 4);
}

TEST_F(TakeWaveFileTest, TheFilesOwnTagsFillOnlyTheEmptyCells) {
    const std::string path = Wave("tagged.wav");
    ASSERT_TRUE(testsupport::WriteInfoChunk(
        path, {{"INAM", "own title"}, {"IART", "own artist"}, {"IGNR", "Jazz"}}));
    FileRow row = Row("/old/", "old.wav");
    row[kColumnTitle] = "typed title";
    FileRow untouched = row;
    ASSERT_TRUE(TakeWaveFile(path, row));
    EXPECT_EQ(row[kColumnTitle], "typed title");
    EXPECT_EQ(row[kColumnArtist], "own artist");
    EXPECT_EQ(row[kColumnAlbum], "");
    EXPECT_EQ(row[kColumnGenre], "Jazz");
    ASSERT_TRUE(TakeWaveFile(path, untouched, false));
    EXPECT_EQ(untouched[kColumnArtist], "");
    EXPECT_EQ(untouched[kColumnGenre], "");
}

} // namespace
