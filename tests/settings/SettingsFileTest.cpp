// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileSizeLimit.h"

#include "platform/Format.h"
#include "settings/EncodeSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLifecycle.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <set>
#include <string>
#include <sys/stat.h>
#include <tuple>

namespace {

using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// Test texts are written with '\n'; the files carry CR LF.
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

// Loads text as opt.ini into records prepared the way start-up prepares them.
EncodeSettings Load(const std::string& text, EncodeSettings settings = {}) {
    TempDir dir;
    EXPECT_TRUE(WriteFileBytes(dir.File("opt.ini"), text));
    EXPECT_EQ(LoadSettings(dir.Path(), settings), SettingsFileState::Read);
    return settings;
}

std::set<std::string> FolderEntries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

bool SameRecord(const BE_CONFIG& a, const BE_CONFIG& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class ScopedHome {
public:
    explicit ScopedHome(const char* value) {
        if (const char* old = std::getenv("HOME")) {
            old_ = old;
        }
        ::setenv("HOME", value, 1);
    }
    ~ScopedHome() {
        if (old_) {
            ::setenv("HOME", old_->c_str(), 1);
        } else {
            ::unsetenv("HOME");
        }
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

private:
    std::optional<std::string> old_;
};

const char* const kDefaultListingTemplate = "[OutFolder]\n"
                                            "\tOutFolder=/home/tester/\n"
                                            "\tPreset=0\n"
                                            "\tIdentityOutFile=1\n"
                                            "\tEncodeType=0\n"
                                            "\tJobs=%d\n"
                                            "\tOutputLayout=0\n"
                                            "\tReplayGain=0\n"
                                            "[LAME Parm]\n"
                                            "\tSampleRate=44100\n"
                                            "\tReSampleRate=0\n"
                                            "\tMode=0\n"
                                            "\tBitrate=128\n"
                                            "\tMaxBitrate=0\n"
                                            "\tQuality=2\n"
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
                                            "\tNoRes=1\n"
                                            "[OGG Parm]\n"
                                            "\tMode=2\n"
                                            "\tPreset=0.50\n"
                                            "\tCustom=0\n"
                                            "\tMinBitrate=-1\n"
                                            "\tAveBitrate=-1\n"
                                            "\tMaxBitrate=-1\n";

// The default Jobs is the machine's.
std::string DefaultListing() {
    return platform::Format(kDefaultListingTemplate, OnlineJobs());
}

TEST(SettingsStartupTest, FirstStartUsesDefaultsAndWritesTheDefaultFileByteForByte) {
    ScopedHome home("/home/tester");
    TempDir dir;
    EncodeSettings settings;
    EXPECT_EQ(LoadStartupSettings(dir.Path(), settings), SettingsFileState::Missing);

    EXPECT_TRUE(SameRecord(settings.LameParm, FirstStartLameParm()));
    EXPECT_EQ(settings.LameParm.ConfigKind, 256u);
    EXPECT_EQ(settings.OutFolder.OutFolder, "/home/tester/");
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
    EXPECT_TRUE(settings.Presets.empty());

    EXPECT_TRUE(SaveExitSettings(dir.Path(), settings, SettingsFileState::Missing));
    EXPECT_EQ(ReadFileBytes(dir.File("opt.ini")), Crlf(DefaultListing()));
    EXPECT_EQ(RenderSettings(settings), Crlf(DefaultListing()));
    // An empty preset list creates no preset file.
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"opt.ini"});
}

TEST(SettingsStartupTest, AFileOfHeadersOnlyKeepsConstructionValuesAndZeroes) {
    TempDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File("opt.ini"), "[OutFolder]\n[LAME Parm]\n[OGG Parm]\n"));
    EncodeSettings settings;
    settings.OutFolder.Preset = 5;
    EXPECT_EQ(LoadStartupSettings(dir.Path(), settings), SettingsFileState::Read);

    BE_CONFIG expected{};
    expected.ConfigKind = 256;
    EXPECT_TRUE(SameRecord(settings.LameParm, expected));
    EXPECT_EQ(settings.OutFolder.OutFolder, "");
    EXPECT_EQ(settings.OutFolder.Preset, 0);
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 0);
    EXPECT_EQ(settings.OutFolder.EncodeType, 0);
    EXPECT_EQ(settings.Ogg.Mode, 2);
    EXPECT_EQ(settings.Ogg.Preset, 0.5f);
    EXPECT_EQ(settings.Ogg.MinBitrate, -1);
    EXPECT_EQ(settings.Ogg.MaxBitrate, -1);
}

TEST(SettingsStartupTest, BytesThatAreNoSettingsFileGiveTheFirstStartDefaultsAndAreReplaced) {
    ScopedHome home("/home/tester");
    const std::string valid = "[OutFolder]\n\tIdentityOutFile=0\n";
    const std::pair<const char*, std::string> files[] = {
        {"empty", ""},
        {"blank lines", "\n\r\n\n"},
        {"text", "Dear diary,\nOutFolder = /nowhere/\n"},
        {"other headers", "[Settings]\nIdentity=0\n"},
        {"keys after another header", "x\n[x]\nIdentityOutFile=0\n"},
        {"binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"over 1 MiB", valid + std::string((1 << 20) + 1 - valid.size(), '\n')},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        TempDir dir;
        ASSERT_TRUE(WriteFileBytes(dir.File("opt.ini"), bytes));
        EncodeSettings settings;
        const SettingsFileState state = LoadStartupSettings(dir.Path(), settings);
        EXPECT_EQ(state, SettingsFileState::Unrecognised);
        EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
        EXPECT_EQ(settings.OutFolder.OutFolder, "/home/tester/");
        EXPECT_TRUE(SameRecord(settings.LameParm, FirstStartLameParm()));
        EXPECT_TRUE(SaveExitSettings(dir.Path(), settings, state));
        EXPECT_EQ(ReadFileBytes(dir.File("opt.ini")), Crlf(DefaultListing()));
    }
    // At the limit it is still read.
    EXPECT_EQ(Load(valid + std::string((1 << 20) - valid.size(), '\n')).OutFolder.IdentityOutFile,
              0);
}

TEST(SettingsStartupTest, AFileThatIsThereButCannotBeReadIsLeftAloneAtExit) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("opt.ini").c_str(), 0600), 0);
    EncodeSettings settings;
    const SettingsFileState state = LoadStartupSettings(dir.Path(), settings);
    EXPECT_EQ(state, SettingsFileState::Unreadable);
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
    EXPECT_TRUE(SaveExitSettings(dir.Path(), settings, state));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("opt.ini")));
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"opt.ini"});
}

TEST(SettingsFileTest, AWindowsOutputFolderReadsAsTheFirstStartFolder) {
    ScopedHome home("/home/tester");
    const std::pair<const char*, const char*> folders[] = {
        {"c:\\music", "/home/tester/"},         {"C:\\", "/home/tester/"},
        {"\\\\server\\share", "/home/tester/"}, {"c:/music", "c:/music"},
        {"/mnt/c:\\x", "/mnt/c:\\x"},           {"cd:\\x", "cd:\\x"},
    };
    for (const auto& [stored, read] : folders) {
        SCOPED_TRACE(stored);
        const EncodeSettings settings = Load(std::string("[OutFolder]\r\n\tOutFolder=") + stored +
                                             "\r\n\tPreset=2\r\n\tIdentityOutFile=1\r\n"
                                             "[LAME Parm]\r\n\tBitrate=192\r\n");
        EXPECT_EQ(settings.OutFolder.OutFolder, read);
        EXPECT_EQ(settings.OutFolder.Preset, 2);
        EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
        EXPECT_EQ(settings.LameParm.Bitrate, 192u);
    }
}

TEST(SettingsFileTest, EveryFieldSurvivesASaveAndALoadIncludingExtremes) {
    EncodeSettings original;
    original.OutFolder = {"  /mnt/音楽 と声/ x", kMin, kMax, -7};
    BE_CONFIG& lame = original.LameParm;
    lame = FirstStartLameParm();
    lame.SampleRate = 0xFFFFFFFFu;
    lame.ReSampleRate = 0x80000000u;
    lame.Mode = -3;
    lame.Bitrate = 320;
    lame.MaxBitrate = static_cast<std::uint32_t>(kMax);
    lame.Quality = 10000;
    lame.MpegVersion = 0;
    lame.PsyModel = 5;
    lame.Emphasis = 6;
    lame.Private = 1;
    lame.CRC = -1;
    lame.Copyright = 2;
    lame.Original = 3;
    lame.WriteVBRHeader = 1;
    lame.EnableVBR = 1;
    lame.VBRQuality = 9;
    lame.VbrAbr_bps = 320000;
    lame.VbrMethod = -1;
    lame.NoRes = 0;
    lame.StrictIso = 1;
    lame.QualityWord = 7;
    lame.Reserved[0] = 9;
    original.Ogg = {1, -0.1f, 1, kMin, 0, kMax};

    TempDir dir;
    ASSERT_TRUE(SaveSettings(dir.Path(), original));
    const std::string written = ReadFileBytes(dir.File("opt.ini"));
    EXPECT_NE(written.find("\tSampleRate=-1\r\n"), std::string::npos);
    EXPECT_NE(written.find("\tReSampleRate=-2147483648\r\n"), std::string::npos);
    EXPECT_NE(written.find("\tPreset=-0.10\r\n"), std::string::npos);

    EncodeSettings loaded;
    ASSERT_EQ(LoadStartupSettings(dir.Path(), loaded), SettingsFileState::Read);
    EXPECT_EQ(loaded.OutFolder.OutFolder, original.OutFolder.OutFolder);
    EXPECT_EQ(loaded.OutFolder.Preset, kMin);
    EXPECT_EQ(loaded.OutFolder.IdentityOutFile, kMax);
    EXPECT_EQ(loaded.OutFolder.EncodeType, -7);
    EXPECT_EQ(loaded.Ogg.Mode, 1);
    EXPECT_EQ(loaded.Ogg.Preset, -0.1f);
    EXPECT_EQ(loaded.Ogg.Custom, 1);
    EXPECT_EQ(loaded.Ogg.MinBitrate, kMin);
    EXPECT_EQ(loaded.Ogg.AveBitrate, 0);
    EXPECT_EQ(loaded.Ogg.MaxBitrate, kMax);

    // The header fields and everything after NoRes are not stored.
    BE_CONFIG expected = lame;
    expected.StructVersion = 0;
    expected.StructSize = 0;
    expected.StrictIso = 0;
    expected.QualityWord = 0;
    expected.Reserved[0] = 0;
    EXPECT_TRUE(SameRecord(loaded.LameParm, expected));

    ASSERT_TRUE(SaveSettings(dir.Path(), loaded));
    EXPECT_EQ(ReadFileBytes(dir.File("opt.ini")), written);
}

TEST(SettingsFileTest, SectionsAreFoundByTheirHeadersInAnyOrder) {
    const EncodeSettings settings = Load("[OGG Parm]\n\tMode=1\n\tPreset=3.25\n"
                                         "[LAME Parm]\n\tMode=3\n\tBitrate=256\n"
                                         "[OutFolder]\n\tOutFolder=/music/\n\tPreset=2\n"
                                         "\tEncodeType=1\n");
    EXPECT_EQ(settings.Ogg.Mode, 1);
    EXPECT_EQ(settings.Ogg.Preset, 3.25f);
    EXPECT_EQ(settings.LameParm.Mode, 3);
    EXPECT_EQ(settings.LameParm.Bitrate, 256u);
    EXPECT_EQ(settings.OutFolder.OutFolder, "/music/");
    EXPECT_EQ(settings.OutFolder.Preset, 2);
    EXPECT_EQ(settings.OutFolder.EncodeType, 1);
}

TEST(SettingsFileTest, ASectionWithoutHeaderIsReadFromTheFirstLine) {
    // The first line is a header, so the missing [LAME Parm] section reads nothing.
    EncodeSettings settings =
        Load("[OutFolder]\n\tPreset=1\n\tBitrate=192\n[OGG Parm]\n\tMode=1\n");
    EXPECT_TRUE(SameRecord(settings.LameParm, BE_CONFIG{}));
    EXPECT_EQ(settings.OutFolder.Preset, 1);
    EXPECT_EQ(settings.Ogg.Mode, 1);

    // No header at all: every section reads every line.
    settings = Load("Mode=3\nPreset=0.8\n");
    EXPECT_EQ(settings.LameParm.Mode, 3);
    EXPECT_EQ(settings.Ogg.Mode, 3);
    EXPECT_EQ(settings.Ogg.Preset, 0.8f);
    EXPECT_EQ(settings.OutFolder.Preset, 0);
}

TEST(SettingsFileTest, OnlyExactHeadersAreFoundAndOnlyALeadingBracketEndsASection) {
    const EncodeSettings settings = Load("[OutFolder]\n"
                                         "\tIdentityOutFile=1\n"
                                         " [LAME Parm]\n"
                                         "\tEncodeType=1\n"
                                         "\tBitrate=192\n"
                                         "[OGG Parm]\t\n"
                                         "\tCustom=1\n"
                                         "[ogg parm]\n"
                                         "\tMinBitrate=64000\n");
    EXPECT_EQ(settings.OutFolder.IdentityOutFile, 1);
    EXPECT_EQ(settings.OutFolder.EncodeType, 1);
    EXPECT_EQ(settings.LameParm.Bitrate, 0u);
    EXPECT_EQ(settings.Ogg.Custom, 0);
    EXPECT_EQ(settings.Ogg.MinBitrate, -1);
}

TEST(SettingsFileTest, ARepeatedHeaderCountsAtItsLastLineUntilAllThreeAreFound) {
    EXPECT_EQ(Load("[OutFolder]\nPreset=1\n[OutFolder]\nPreset=2\n[LAME Parm]\n[OGG Parm]\n")
                  .OutFolder.Preset,
              2);
    EXPECT_EQ(Load("[OutFolder]\nPreset=1\n[LAME Parm]\n[OGG Parm]\n[OutFolder]\nPreset=2\n")
                  .OutFolder.Preset,
              1);
}

// The window's place comes back as written; a broken one is no place at all, and the three
// sections of the Windows program read as ever around it.
TEST(SettingsFileTest, TheWindowsPlaceIsKeptOnlyWhenItMakesSense) {
    EncodeSettings shown;
    shown.Window = {-20, 35, 900, 700, 1, {150, 150, 140, 300, 150, 150, 40, 150, 100}};
    const WindowParm read = Load(RenderSettings(shown)).Window;
    EXPECT_EQ(
        std::tie(read.Left, read.Top, read.Width, read.Height, read.Maximized, read.ColumnWidths),
        std::tie(shown.Window.Left, shown.Window.Top, shown.Window.Width, shown.Window.Height,
                 shown.Window.Maximized, shown.Window.ColumnWidths));
    EXPECT_EQ(RenderSettings(EncodeSettings{}).find("[Window]"), std::string::npos);

    const struct {
        const char* text;
        bool remembered;
        std::size_t columns;
    } cases[] = {
        {"[Window]\nWidth=800\nHeight=600\nColumns=1,2,3\n", true, 3},
        {"[Window]\nWidth=0\nHeight=600\n", false, 0},
        {"[Window]\nWidth=800\nHeight=40000\n", false, 0},
        {"[Window]\nWidth=800\nHeight=600\nColumns=10,-5,10\n", true, 0},
        {"[Window]\nWidth=800\nHeight=600\nColumns=10,,10\n", true, 0},
        {"[Window]\nWidth=800\nHeight=600\nColumns=10,x\n", true, 0},
        {"[OutFolder]\nPreset=1\n[LAME Parm]\n[OGG Parm]\n[Window]\nWidth=800\nHeight=600\n", true,
         0},
    };
    for (const auto& c : cases) {
        const WindowParm window = Load(c.text).Window;
        EXPECT_EQ(window.Remembered(), c.remembered) << c.text;
        EXPECT_EQ(window.ColumnWidths.size(), c.columns) << c.text;
    }
}

TEST(SettingsFileTest, IntegerValuesAreReadLikeStrtolAndClampedTo32Bits) {
    EncodeSettings before;
    before.LameParm.Bitrate = 7;
    before.LameParm.Mode = 1;
    const EncodeSettings settings = Load("[LAME Parm]\n"
                                         "\tBitrate = 192\n"
                                         "\tMaxBitrate=192kbps\n"
                                         "\tQuality=\n"
                                         "\tVBRQuality=99999999999\n"
                                         "\tVbrAbr_bps=-99999999999\n"
                                         "\tSampleRate=  +48000\n"
                                         "\tReSampleRate=0x20\n"
                                         "\tmode=2\n"
                                         "\tEmphasis=5\n"
                                         "\tEmphasis=-6\n",
                                         before);
    EXPECT_EQ(settings.LameParm.Bitrate, 7u);
    EXPECT_EQ(settings.LameParm.MaxBitrate, 192u);
    EXPECT_EQ(settings.LameParm.Quality, 0);
    EXPECT_EQ(settings.LameParm.VBRQuality, kMax);
    EXPECT_EQ(settings.LameParm.VbrAbr_bps, 0x80000000u);
    EXPECT_EQ(settings.LameParm.SampleRate, 48000u);
    EXPECT_EQ(settings.LameParm.ReSampleRate, 0u);
    EXPECT_EQ(settings.LameParm.Mode, 1);
    EXPECT_EQ(settings.LameParm.Emphasis, static_cast<std::uint32_t>(-6));
}

TEST(SettingsFileTest, AKeyMatchesOnlyAtTheStartOfTheLine) {
    EncodeSettings before;
    before.LameParm.Bitrate = 1;
    before.LameParm.Quality = 2;
    before.LameParm.SampleRate = 3;
    const EncodeSettings settings =
        Load("[LAME Parm]\nMaxBitrate=320\nVBRQuality=5\nReSampleRate=48000\n", before);
    EXPECT_EQ(settings.LameParm.MaxBitrate, 320u);
    EXPECT_EQ(settings.LameParm.VBRQuality, 5);
    EXPECT_EQ(settings.LameParm.ReSampleRate, 48000u);
    EXPECT_EQ(settings.LameParm.Bitrate, 1u);
    EXPECT_EQ(settings.LameParm.Quality, 2);
    EXPECT_EQ(settings.LameParm.SampleRate, 3u);
}

TEST(SettingsFileTest, VbrMethodTakesOnlyMinusOneToFour) {
    for (int value = -3; value <= 8; ++value) {
        EncodeSettings before;
        before.LameParm.VbrMethod = 2;
        const EncodeSettings settings =
            Load("[LAME Parm]\n\tVbrMethod=" + std::to_string(value) + "\n", before);
        const int expected = value >= -1 && value <= 4 ? value : 2;
        EXPECT_EQ(settings.LameParm.VbrMethod, expected) << "VbrMethod=" << value;
    }
}

TEST(SettingsFileTest, OutFolderKeepsBlanksAfterTheEqualsSignButNotAtTheEnd) {
    EncodeSettings settings = Load("[OutFolder]\n\tOutFolder=  /music/my songs/ \t \r\n");
    EXPECT_EQ(settings.OutFolder.OutFolder, "  /music/my songs/");

    settings.OutFolder.OutFolder = "old";
    settings = Load("[OutFolder]\nOutFolder=\n", settings);
    EXPECT_EQ(settings.OutFolder.OutFolder, "");

    settings = Load("[OutFolder]\nOutFolder=/a=b/\n");
    EXPECT_EQ(settings.OutFolder.OutFolder, "/a=b/");
}

TEST(SettingsFileTest, OggQualityIsWrittenWithTwoDecimalsAndReadLikeAtof) {
    for (const auto& [value, text] : {std::pair{0.5f, "0.50"}, std::pair{10.0f, "10.00"},
                                      std::pair{-0.1f, "-0.10"}, std::pair{0.0f, "0.00"}}) {
        EncodeSettings settings;
        settings.Ogg.Preset = value;
        const std::string rendered = RenderSettings(settings);
        EXPECT_NE(rendered.find("[OGG Parm]\r\n\tMode=2\r\n\tPreset=" + std::string(text) + "\r\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(Load(rendered).Ogg.Preset, value) << text;
    }
    EXPECT_EQ(Load("[OGG Parm]\nPreset=1e1\n").Ogg.Preset, 10.0f);
    EXPECT_EQ(Load("[OGG Parm]\nPreset= -.5x\n").Ogg.Preset, -0.5f);
    EXPECT_EQ(Load("[OGG Parm]\nPreset=abc\n").Ogg.Preset, 0.0f);
    EXPECT_EQ(Load("[OGG Parm]\nPreset=0,7\n").Ogg.Preset, 0.0f);
    EXPECT_EQ(Load("[OGG Parm]\nPreset=1e300\n").Ogg.Preset,
              std::numeric_limits<float>::infinity());
}

TEST(SettingsFileTest, LineEndsAndEncodingsOfHandWrittenFiles) {
    const std::string text = "[OutFolder]\n\tOutFolder=/music/\n\tPreset=3\n[LAME Parm]\n"
                             "\tBitrate=160\n[OGG Parm]\n\tMode=1\n";
    for (const std::string& variant : {text, Crlf(text), "\xEF\xBB\xBF" + Crlf(text)}) {
        const EncodeSettings settings = Load(variant);
        EXPECT_EQ(settings.OutFolder.OutFolder, "/music/");
        EXPECT_EQ(settings.OutFolder.Preset, 3);
        EXPECT_EQ(settings.LameParm.Bitrate, 160u);
        EXPECT_EQ(settings.Ogg.Mode, 1);
    }

    // Written by the Windows program in code page 932: "/home/ソフト/音楽/". The 0x5C trail byte
    // of ソ must not be taken for anything but part of the character.
    const EncodeSettings cp932 =
        Load("[OutFolder]\r\n\tOutFolder=/home/\x83\x5C\x83\x74\x83\x67/\x89\xB9\x8A\x79/\r\n"
             "\tPreset=1\r\n");
    EXPECT_EQ(cp932.OutFolder.OutFolder, "/home/ソフト/音楽/");
    EXPECT_EQ(cp932.OutFolder.Preset, 1);

    // A stray lead byte at a line end does not swallow the line end.
    const EncodeSettings stray = Load("[OutFolder]\nOutFolder=/x\x81\nPreset=4\n");
    EXPECT_EQ(stray.OutFolder.OutFolder, "/x?");
    EXPECT_EQ(stray.OutFolder.Preset, 4);
}

TEST(SettingsFileTest, AFileThatCannotBeReadTouchesNothing) {
    TempDir dir;
    EncodeSettings settings;
    settings.OutFolder.OutFolder = "/kept/";
    settings.LameParm.Bitrate = 99;
    EXPECT_EQ(LoadSettings(dir.Path(), settings), SettingsFileState::Missing);
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("opt.ini")));
    EXPECT_EQ(LoadSettings(dir.Path(), settings), SettingsFileState::Unreadable);
    EXPECT_EQ(settings.OutFolder.OutFolder, "/kept/");
    EXPECT_EQ(settings.LameParm.Bitrate, 99u);
}

TEST(SettingsFileTest, AFailedSaveLeavesTheOldFileIntact) {
    TempDir dir;
    const std::string old = Crlf("[OutFolder]\n\tOutFolder=/old/\n");
    ASSERT_TRUE(WriteFileBytes(dir.File("opt.ini"), old));
    EncodeSettings settings;
    settings.ApplyFirstStartDefaults();

    // Too small for the new file, though larger than the old one.
    const auto saved = settingstest::RunWithFileSizeLimit(
        old.size() + 64, [&] { return SaveSettings(dir.Path(), settings); });
    ASSERT_TRUE(saved.has_value());
    EXPECT_FALSE(*saved);
    EXPECT_EQ(ReadFileBytes(dir.File("opt.ini")), old);
    EXPECT_EQ(FolderEntries(dir.Path()), std::set<std::string>{"opt.ini"});

    EXPECT_FALSE(SaveSettings(dir.File("missing/"), settings));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));

    EXPECT_TRUE(SaveSettings(dir.Path(), settings));
    EXPECT_EQ(ReadFileBytes(dir.File("opt.ini")), RenderSettings(settings));
}

} // namespace

TEST(SettingsFileTest, JobsIsReadInTheMachinesRangeAndWrittenAfterEncodeType) {
    const std::int32_t online = OnlineJobs();
    ASSERT_GE(online, 1);
    ASSERT_LE(online, 32);
    const struct {
        const char* line;
        std::int32_t jobs;
    } cases[] = {
        {"", online}, // a file of the Windows program
        {"\tJobs=1\n", 1},      {"\tJobs=0\n", online},  {"\tJobs=-3\n", online},
        {"\tJobs=x\n", online}, {"\tJobs=33\n", online},
    };
    for (const auto& c : cases) {
        // A missing key is the machine's value, not the one held before.
        EncodeSettings before;
        before.OutFolder.Jobs = online == 1 ? 2 : 1;
        const EncodeSettings settings =
            Load(std::string("[OutFolder]\n\tEncodeType=1\n") + c.line + "[LAME Parm]\n", before);
        EXPECT_EQ(settings.OutFolder.Jobs, c.jobs) << c.line;
    }
    EXPECT_EQ(Load(platform::Format("[OutFolder]\n\tJobs=%d\n", online)).OutFolder.Jobs, online);

    EncodeSettings settings;
    settings.OutFolder.Jobs = 1;
    EXPECT_NE(RenderSettings(settings).find("\tEncodeType=0\r\n\tJobs=1\r\n\tOutputLayout=0\r\n"),
              std::string::npos);
    settings.OutFolder.Jobs = 99;
    EXPECT_NE(RenderSettings(settings).find(platform::Format("\tJobs=%d\r\n", online)),
              std::string::npos);
}

TEST(SettingsFileTest, OutputLayoutIsReadInItsRangeAndWrittenAfterJobs) {
    const struct {
        const char* line;
        std::int32_t layout;
    } cases[] = {
        {"", kOutputLayoutFlat}, // a file of the Windows program
        {"\tOutputLayout=1\n", kOutputLayoutTree},
        {"\tOutputLayout=2\n", kOutputLayoutBeside},
        {"\tOutputLayout=3\n", kOutputLayoutFlat},
        {"\tOutputLayout=-1\n", kOutputLayoutFlat},
        {"\tOutputLayout=beside\n", kOutputLayoutFlat},
    };
    for (const auto& c : cases) {
        // A missing key is the stated layout, not the one held before.
        EncodeSettings before;
        before.OutFolder.OutputLayout = kOutputLayoutBeside;
        const EncodeSettings settings =
            Load(std::string("[OutFolder]\n\tJobs=1\n") + c.line + "[LAME Parm]\n", before);
        EXPECT_EQ(settings.OutFolder.OutputLayout, c.layout) << c.line;
    }

    EncodeSettings settings;
    settings.OutFolder.Jobs = 1;
    settings.OutFolder.OutputLayout = kOutputLayoutTree;
    EXPECT_NE(RenderSettings(settings).find(
                  "\tJobs=1\r\n\tOutputLayout=1\r\n\tReplayGain=0\r\n[LAME Parm]"),
              std::string::npos);
    settings.OutFolder.OutputLayout = 7;
    EXPECT_NE(RenderSettings(settings).find("\tOutputLayout=0\r\n"), std::string::npos);
}

TEST(SettingsFileTest, ReplayGainIsOneOrZeroAndWrittenLast) {
    const struct {
        const char* line;
        std::int32_t replayGain;
    } cases[] = {
        {"", 0},
        {"\tReplayGain=1\n", 1},
        {"\tReplayGain=2\n", 0},
        {"\tReplayGain=yes\n", 0},
    };
    for (const auto& c : cases) {
        EncodeSettings before;
        before.OutFolder.ReplayGain = 1;
        const EncodeSettings settings =
            Load(std::string("[OutFolder]\n\tJobs=1\n") + c.line + "[LAME Parm]\n", before);
        EXPECT_EQ(settings.OutFolder.ReplayGain, c.replayGain) << c.line;
    }
    EncodeSettings settings;
    settings.OutFolder.ReplayGain = 1;
    EXPECT_NE(RenderSettings(settings).find("\tOutputLayout=0\r\n\tReplayGain=1\r\n[LAME Parm]"),
              std::string::npos);
    settings.OutFolder.ReplayGain = 5;
    EXPECT_NE(RenderSettings(settings).find("\tReplayGain=0\r\n"), std::string::npos);
}
