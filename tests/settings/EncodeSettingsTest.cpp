// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/EncodeSettings.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Sets or removes $HOME for the object's lifetime.
class ScopedHome {
public:
    explicit ScopedHome(const char* value) {
        const char* current = std::getenv("HOME");
        if (current != nullptr) {
            saved_ = current;
        }
        if (value != nullptr) {
            ::setenv("HOME", value, 1);
        } else {
            ::unsetenv("HOME");
        }
    }
    ~ScopedHome() {
        if (saved_) {
            ::setenv("HOME", saved_->c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

private:
    std::optional<std::string> saved_;
};

bool AllZero(const BE_CONFIG& config) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&config);
    for (std::size_t i = 0; i < sizeof config; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

TEST(EncodeSettingsTest, ConstructionValuesBeforeAnyFileIsRead) {
    const EncodeSettings settings;
    EXPECT_TRUE(AllZero(settings.LameParm));
    EXPECT_TRUE(AllZero(settings.LameWork));
    EXPECT_EQ(settings.Ogg.Mode, 2);
    EXPECT_FLOAT_EQ(settings.Ogg.Preset, 0.5f);
    EXPECT_EQ(settings.Ogg.Custom, 0);
    EXPECT_EQ(settings.Ogg.MinBitrate, -1);
    EXPECT_EQ(settings.Ogg.AveBitrate, -1);
    EXPECT_EQ(settings.Ogg.MaxBitrate, -1);
    EXPECT_EQ(settings.OutFolder.OutFolder, "");
    EXPECT_EQ(settings.OutFolder.Preset, 0);
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 0);
    EXPECT_EQ(settings.OutFolder.EncodeType, 0);
    EXPECT_TRUE(settings.Presets.empty());
}

TEST(EncodeSettingsTest, FirstStartDefaultsSetEveryField) {
    const ScopedHome home("/home/tanaka");
    EncodeSettings settings;
    settings.Presets.push_back(LamePreset{"kept", FirstStartLameParm()});
    settings.OutFolder.Preset = 4;
    settings.LameParm.Reserved[100] = 7;
    settings.ApplyFirstStartDefaults();

    EXPECT_EQ(settings.OutFolder.OutFolder, "/home/tanaka/");
    EXPECT_EQ(settings.OutFolder.Preset, 0);
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
    EXPECT_EQ(settings.OutFolder.EncodeType, kEncodeTypeMp3);
    ASSERT_EQ(settings.Presets.size(), 1u);
    EXPECT_EQ(settings.Presets[0].Name, "kept");

    const BE_CONFIG& lame = settings.LameParm;
    EXPECT_EQ(lame.ConfigKind, 256u);
    EXPECT_EQ(lame.StructVersion, 1u);
    EXPECT_EQ(lame.StructSize, 331u);
    EXPECT_EQ(lame.SampleRate, 44100u);
    EXPECT_EQ(lame.ReSampleRate, 0u);
    EXPECT_EQ(lame.Mode, 0);
    EXPECT_EQ(lame.Bitrate, 128u);
    EXPECT_EQ(lame.MaxBitrate, 0u);
    EXPECT_EQ(lame.Quality, 2);
    EXPECT_EQ(lame.MpegVersion, 1u);
    EXPECT_EQ(lame.PsyModel, 0u);
    EXPECT_EQ(lame.Emphasis, 0u);
    EXPECT_EQ(lame.Private, 0);
    EXPECT_EQ(lame.CRC, 0);
    EXPECT_EQ(lame.Copyright, 0);
    EXPECT_EQ(lame.Original, 0);
    EXPECT_EQ(lame.WriteVBRHeader, 0);
    EXPECT_EQ(lame.EnableVBR, 0);
    EXPECT_EQ(lame.VBRQuality, 0);
    EXPECT_EQ(lame.VbrAbr_bps, 0u);
    EXPECT_EQ(lame.VbrMethod, 0);
    EXPECT_EQ(lame.NoRes, 1);
    EXPECT_EQ(lame.StrictIso, 0);
    EXPECT_EQ(lame.QualityWord, 0u);
    for (const std::uint8_t byte : lame.Reserved) {
        ASSERT_EQ(byte, 0);
    }
}

TEST(EncodeSettingsTest, FirstStartOutputFolderIsHomeEndingInASeparator) {
    {
        const ScopedHome home("/home/tanaka");
        EXPECT_EQ(FirstStartOutFolder(), "/home/tanaka/");
    }
    {
        const ScopedHome home("/home/鈴木/");
        EXPECT_EQ(FirstStartOutFolder(), "/home/鈴木/");
    }
    {
        const ScopedHome home(nullptr);
        EXPECT_EQ(FirstStartOutFolder(), "/");
    }
    {
        const ScopedHome home("");
        EXPECT_EQ(FirstStartOutFolder(), "/");
    }
}

TEST(EncodeSettingsTest, OnlyPresetsOneToCountAreInEffect) {
    EXPECT_EQ(PresetIndexInEffect(0, 2), std::nullopt);
    EXPECT_EQ(PresetIndexInEffect(1, 2), 0u);
    EXPECT_EQ(PresetIndexInEffect(2, 2), 1u);
    EXPECT_EQ(PresetIndexInEffect(3, 2), std::nullopt);
    EXPECT_EQ(PresetIndexInEffect(-1, 2), std::nullopt);
    EXPECT_EQ(PresetIndexInEffect(INT_MIN, 2), std::nullopt);
    EXPECT_EQ(PresetIndexInEffect(INT_MAX, 2), std::nullopt);
    EXPECT_EQ(PresetIndexInEffect(1, 0), std::nullopt);
}

} // namespace
