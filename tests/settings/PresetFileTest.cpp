// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSizeLimit.h"

#include "settings/PresetFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

std::string Crlf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

PresetList Load(const std::string& text) {
    TempDir dir;
    EXPECT_TRUE(WriteFileBytes(dir.File("preset.ini"), text));
    PresetList presets;
    EXPECT_TRUE(LoadPresets(dir.Path(), presets));
    return presets;
}

bool IsAllZero(const BE_CONFIG& config) {
    const BE_CONFIG zero{};
    return std::memcmp(&config, &zero, sizeof config) == 0;
}

// The 19 key lines of an entry with the given Mode and Bitrate and every other key 0.
std::string KeyLines(int mode, int bitrate) {
    return "\tSampleRate=0\n\tReSampleRate=0\n\tMode=" + std::to_string(mode) +
           "\n\tBitrate=" + std::to_string(bitrate) +
           "\n\tMaxBitrate=0\n\tQuality=0\n\tMpegVersion=0\n\tPsyModel=0\n\tEmphasis=0\n"
           "\tPrivate=0\n\tCRC=0\n\tCopyright=0\n\tOriginal=0\n\tWriteVBRHeader=0\n"
           "\tEnableVBR=0\n\tVBRQuality=0\n\tVbrAbr_bps=0\n\tVbrMethod=0\n\tNoRes=0\n";
}

const char* const kFmEntry = "[Preset1]\n"
                             "\tName=FM\n"
                             "\tSampleRate=0\n"
                             "\tReSampleRate=0\n"
                             "\tMode=1\n"
                             "\tBitrate=96\n"
                             "\tMaxBitrate=0\n"
                             "\tQuality=4000\n"
                             "\tMpegVersion=1\n"
                             "\tPsyModel=0\n"
                             "\tEmphasis=0\n"
                             "\tPrivate=0\n"
                             "\tCRC=0\n"
                             "\tCopyright=0\n"
                             "\tOriginal=0\n"
                             "\tWriteVBRHeader=0\n"
                             "\tEnableVBR=0\n"
                             "\tVBRQuality=0\n"
                             "\tVbrAbr_bps=0\n"
                             "\tVbrMethod=0\n"
                             "\tNoRes=0\n";

TEST(PresetFileTest, AnEntryIsWrittenByteForByteAndHeadersAreNumberedByPosition) {
    LamePreset fm;
    fm.Name = "FM";
    fm.Config.Mode = 1;
    fm.Config.Bitrate = 96;
    fm.Config.Quality = 4000;
    fm.Config.MpegVersion = 1;
    fm.Config.ConfigKind = 256; // not stored
    TempDir dir;
    ASSERT_TRUE(SavePresets(dir.Path(), {fm}));
    EXPECT_EQ(ReadFileBytes(dir.File("preset.ini")), Crlf(kFmEntry));

    LamePreset second;
    second.Name = "二番";
    second.Config.Bitrate = 64;
    ASSERT_TRUE(SavePresets(dir.Path(), {fm, second}));
    const std::string expected =
        Crlf(kFmEntry + std::string("[Preset2]\n\tName=二番\n") + KeyLines(0, 64));
    EXPECT_EQ(ReadFileBytes(dir.File("preset.ini")), expected);
    EXPECT_EQ(RenderPresets({fm, second}), expected);
}

TEST(PresetFileTest, EveryFieldSurvivesASaveAndALoad) {
    PresetList original(2);
    original[0].Name = " 声 [x] =y";
    original[1].Name = "";
    // Distinct values in every stored field, wrapping through negative and large ones.
    std::uint32_t value = 0x88CA6C00u;
    for (LamePreset& preset : original) {
        BE_CONFIG& c = preset.Config;
        for (void* field : {static_cast<void*>(&c.SampleRate), static_cast<void*>(&c.ReSampleRate),
                            static_cast<void*>(&c.Mode), static_cast<void*>(&c.Bitrate),
                            static_cast<void*>(&c.MaxBitrate), static_cast<void*>(&c.Quality),
                            static_cast<void*>(&c.MpegVersion), static_cast<void*>(&c.PsyModel),
                            static_cast<void*>(&c.Emphasis), static_cast<void*>(&c.Private),
                            static_cast<void*>(&c.CRC), static_cast<void*>(&c.Copyright),
                            static_cast<void*>(&c.Original), static_cast<void*>(&c.WriteVBRHeader),
                            static_cast<void*>(&c.EnableVBR), static_cast<void*>(&c.VBRQuality),
                            static_cast<void*>(&c.VbrAbr_bps), static_cast<void*>(&c.NoRes)}) {
            std::memcpy(field, &value, sizeof value);
            value += 123456789u;
        }
    }
    original[0].Config.VbrMethod = 4;
    original[1].Config.VbrMethod = -1;

    TempDir dir;
    ASSERT_TRUE(SavePresets(dir.Path(), original));
    PresetList loaded;
    ASSERT_TRUE(LoadPresets(dir.Path(), loaded));
    ASSERT_EQ(loaded.size(), 2u);
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        EXPECT_EQ(loaded[i].Name, original[i].Name);
        EXPECT_EQ(std::memcmp(&loaded[i].Config, &original[i].Config, sizeof(BE_CONFIG)), 0)
            << "entry " << i;
    }
}

TEST(PresetFileTest, KeysBelongToTheEntryOfTheHeaderBeforeThem) {
    const PresetList presets = Load("\tName=Early\n\tBitrate=32\n"
                                    "[Preset1]\n\tMode=1\n"
                                    "[Preset2]\n\tName=Second\n\tMode=3\n"
                                    "[Preset3]\n\tQuality=2\n");
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[0].Name, "Early");
    EXPECT_EQ(presets[0].Config.Bitrate, 32u);
    EXPECT_EQ(presets[0].Config.Mode, 1);
    EXPECT_EQ(presets[1].Name, "Second");
    EXPECT_EQ(presets[1].Config.Mode, 3);
    EXPECT_EQ(presets[1].Config.Bitrate, 0u);
    // Without a Name= line the name carries over; the parameters do not.
    EXPECT_EQ(presets[2].Name, "Second");
    EXPECT_EQ(presets[2].Config.Mode, 0);
    EXPECT_EQ(presets[2].Config.Quality, 2);

    EXPECT_EQ(Load("[Preset1]\n\tBitrate=64\n")[0].Name, "");
}

TEST(PresetFileTest, EveryLineBeginningWithABracketStartsAnEntry) {
    PresetList presets = Load("[Preset1]\n[Preset1]\n[\n[anything\n");
    ASSERT_EQ(presets.size(), 4u);
    for (const LamePreset& preset : presets) {
        EXPECT_EQ(preset.Name, "");
        EXPECT_TRUE(IsAllZero(preset.Config));
    }

    presets = Load("[Preset1]\n\tName=A\n [x\n\tBitrate=128\n[\n\tName=B\n");
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0].Name, "A");
    EXPECT_EQ(presets[0].Config.Bitrate, 128u);
    EXPECT_EQ(presets[1].Name, "B");

    // Keys without any header make no entry.
    EXPECT_TRUE(Load("\tName=Lost\n\tBitrate=128\n").empty());
}

TEST(PresetFileTest, HeaderNumbersAreNotReadAndAreWrittenBackByPosition) {
    PresetList presets = Load("[Preset7]\n\tName=Seven\n[Preset2]\n\tName=Two\n");
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0].Name, "Seven");
    EXPECT_EQ(presets[1].Name, "Two");
    const std::string rendered = RenderPresets(presets);
    EXPECT_EQ(rendered.find("[Preset1]\r\n\tName=Seven\r\n"), 0u);
    EXPECT_NE(rendered.find("[Preset2]\r\n\tName=Two\r\n"), std::string::npos);
    EXPECT_EQ(rendered.find("[Preset7]"), std::string::npos);
}

TEST(PresetFileTest, AChangedModeIsWrittenBackWithEveryOtherValueAsRead) {
    // Hand-written: comments, blank lines, unknown keys, CR LF, odd blanks and key order.
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("preset.ini"),
                               Crlf("[Preset9]\n; my radio preset\n\n  Name=Radio  \n"
                                    "Bitrate=96\nQuality=4000\n\tMode=1\nUnknown=5\n"
                                    "VbrMethod=7\nMpegVersion=1\n")));
    PresetList presets;
    ASSERT_TRUE(LoadPresets(dir.Path(), presets));
    ASSERT_EQ(presets.size(), 1u);
    presets[0].Config.Mode = 3;
    ASSERT_TRUE(SavePresets(dir.Path(), presets));

    std::string expected = kFmEntry;
    expected.replace(expected.find("Name=FM"), 7, "Name=Radio");
    expected.replace(expected.find("Mode=1"), 6, "Mode=3");
    EXPECT_EQ(ReadFileBytes(dir.File("preset.ini")), Crlf(expected));
}

TEST(PresetFileTest, ACodePage932FileIsReadAsJapanese) {
    // "ＦＭラジオ" in code page 932, as the Windows program's users wrote it.
    const PresetList presets =
        Load("[Preset1]\r\n\tName=\x82\x65\x82\x6C\x83\x89\x83\x57\x83\x49\r\n\tBitrate=96\r\n");
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0].Name, "ＦＭラジオ");
    EXPECT_EQ(presets[0].Config.Bitrate, 96u);
    EXPECT_NE(RenderPresets(presets).find("\tName=ＦＭラジオ\r\n"), std::string::npos);
}

TEST(PresetFileTest, AMissingFileGivesAnEmptyList) {
    TempDir dir;
    PresetList presets(3);
    EXPECT_FALSE(LoadPresets(dir.Path(), presets));
    EXPECT_TRUE(presets.empty());
}

TEST(PresetFileTest, AnEmptyListLeavesTheFileAlone) {
    TempDir dir;
    EXPECT_TRUE(SavePresets(dir.Path(), {}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("preset.ini")));

    const std::string handWritten = "[Preset1]\n; kept as it is\n";
    ASSERT_TRUE(WriteFileBytes(dir.File("preset.ini"), handWritten));
    EXPECT_TRUE(SavePresets(dir.Path(), {}));
    EXPECT_EQ(ReadFileBytes(dir.File("preset.ini")), handWritten);
    EXPECT_EQ(RenderPresets({}), "");
}

TEST(PresetFileTest, AFailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    const std::string old = Crlf("[Preset1]\n\tName=Old\n");
    ASSERT_TRUE(WriteFileBytes(dir.File("preset.ini"), old));
    PresetList presets(3);

    const auto saved =
        settingstest::RunWithFileSizeLimit(600, [&] { return SavePresets(dir.Path(), presets); });
    ASSERT_TRUE(saved.has_value());
    EXPECT_FALSE(*saved);
    EXPECT_EQ(ReadFileBytes(dir.File("preset.ini")), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
