// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProcess.h"

#include "encoders/JobMessages.h"
#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFolder.h"
#include "settings/SettingsLifecycle.h"
#include "support/ExternalProgram.h"
#include "support/Id3v2Reader.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"
#include "support/WaveTagging.h"
#include "support/WaveWriter.h"
#include "tags/EncodeItem.h"

#include <ebur128.h>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using clitest::CliRun;
using clitest::VisibleEntries;
using testsupport::ReadFileBytes;
using Names = std::vector<std::string>;

constexpr std::uint32_t kRate = 44100;

/// The program copied into a folder of its own with the engine library, so that the settings
/// it reads beside itself are the test's.
class WavpressCliTest : public ::testing::Test {
protected:
    WavpressCliTest() {
        for (const char* name : {"wavpress-cli", "lame_enc.so"}) {
            const std::filesystem::path from = platform::ExecutableFolder() + name;
            const std::filesystem::path to = app.File(name);
            std::filesystem::copy_file(from, to);
            std::filesystem::permissions(to, std::filesystem::perms::owner_all);
        }
    }

    CliRun Run(const std::vector<std::string>& arguments,
               const std::function<void(int)>& whileRunning = {},
               const std::function<void()>& inChild = {},
               std::chrono::seconds timeout = std::chrono::seconds(60)) {
        return clitest::RunProgram(app.File("wavpress-cli"), arguments, whileRunning, inChild,
                                   timeout);
    }

    /// Empties the output folder between runs of one test.
    void ClearOut() const {
        for (const auto& entry : std::filesystem::directory_iterator(out.Path())) {
            std::filesystem::remove_all(entry.path());
        }
    }

    std::string Wave(const std::string& name, double seconds = 0.3, std::uint16_t channels = 2) {
        testsupport::WaveHeader header;
        header.channels = channels;
        header.blockAlign = static_cast<std::uint16_t>(2 * channels);
        const auto frames = static_cast<std::size_t>(seconds * kRate);
        std::vector<std::int16_t> samples = testsupport::StereoTone(kRate, frames, 440, 660);
        samples.resize(frames * channels);
        const std::string path = in.File(name);
        EXPECT_TRUE(testsupport::WriteWave(path, header, samples));
        return path;
    }

    std::string Out(const std::string& name) const { return out.File(name); }

    /// Settings stored beside the program, as the window would have left them.
    void Store(const EncodeSettings& settings) {
        ASSERT_TRUE(SaveSettings(app.Path(), settings));
        ASSERT_TRUE(SavePresets(app.Path(), settings.Presets));
    }

    /// What the program starts from when it reads its folder.
    EncodeSettings Loaded() const {
        EncodeSettings settings;
        LoadStartupSettings(app.Path(), settings);
        return settings;
    }

    testsupport::TempDir app;
    testsupport::TempDir in;
    testsupport::TempDir out;
};

TEST_F(WavpressCliTest, VersionAndHelp) {
    for (const char* option : {"-V", "--version"}) {
        const CliRun run = Run({option});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, "wavPress ver0.8\n");
        EXPECT_EQ(run.err, "");
    }
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--out-folder"), std::string::npos);
    EXPECT_NE(help.out.find("--settings"), std::string::npos);
    EXPECT_NE(help.out.find("--no-id3v2"), std::string::npos);
}

TEST_F(WavpressCliTest, SettingsComeFromTheUserFolderOnlyWhenInstalled) {
    const testsupport::TempDir config;
    const testsupport::ScopedVariable configHome("XDG_CONFIG_HOME", config.Path().c_str());
    const std::string userFolder = config.Path() + "wavpress/";
    EncodeSettings beside;
    beside.ApplyFirstStartDefaults();
    beside.OutFolder.OutFolder = "/beside/";
    Store(beside);
    EncodeSettings user = beside;
    user.OutFolder.OutFolder = "/user/";
    ASSERT_TRUE(SaveExitSettings(userFolder, user, SettingsFileState::Missing));

    EXPECT_NE(Run({"--help"}).out.find("\n設定フォルダ: " + app.Path() + "\n"), std::string::npos);
    EXPECT_NE(Run({"--settings"}).out.find("\tOutFolder=/beside/\r\n"), std::string::npos);

    ASSERT_TRUE(testsupport::WriteFileBytes(app.File(kInstalledMarkerName), ""));
    EXPECT_NE(Run({"--help"}).out.find("\n設定フォルダ: " + userFolder + "\n"), std::string::npos);
    EXPECT_NE(Run({"--settings"}).out.find("\tOutFolder=/user/\r\n"), std::string::npos);
}

TEST_F(WavpressCliTest, UsageErrorsExitWithTwoAndConvertNothing) {
    const std::string wave = Wave("a.wav");
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus", wave},           {"-x", wave},
        {"-t", "wav", wave},         {"-t"},
        {"--genre", "rock", wave},   {"-p", "one", wave},
        {"-p", "99999999999", wave}, {"-o", in.File("missing/"), wave},
        {"--quiet=1", wave},         {"--no-id3v2=1", wave},
        {"-o", out.Path()},          {"--t", "ogg", wave},
        {"-j", "0", wave},           {"--jobs=257", wave},
        {"-j", "two", wave},
    };
    for (const auto& arguments : cases) {
        const CliRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments[0];
        EXPECT_EQ(run.err.rfind("wavpress-cli: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
    EXPECT_NE(
        Run({"--o", out.Path(), wave})
            .err.find("wavpress-cli: あいまいなオプションです: --o (--out-folder, --overwrite)\n"),
        std::string::npos);
}

TEST_F(WavpressCliTest, LongOptionsMayBeAbbreviatedAndFollowFileNames) {
    Wave("a.wav");
    Wave("-x.wav");
    const CliRun run =
        Run({"a.wav", "--ty=ogg", "--out", out.Path(), "--over", "--", "-x.wav"}, {}, [this] {
            ::setenv("POSIXLY_CORRECT", "1", 1);
            [[maybe_unused]] const int changed = ::chdir(in.Path().c_str());
        });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "変換済み: a.wav -> " + Out("a.ogg") + "\n変換済み: -x.wav -> " +
                           Out("-x.ogg") + "\n変換済み 2, スキップ 0, 失敗 0, キャンセル 0\n");
}

TEST_F(WavpressCliTest, OggFilesConvertWithTheirCommentsAndNoSettingsAreWritten) {
    const std::string a = Wave("a.wav");
    const std::string b = Wave("b.b.wav", 0.5);
    const CliRun run = Run({"-t", "ogg", "-o", out.Path(), "--title", "曲名", "--artist", "someone",
                            "--genre", "Rock", "--year", "2024", a, b});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "変換済み: " + a + " -> " + Out("a.ogg") + "\n" + "変換済み: " + b + " -> " +
                           Out("b.b.ogg") + "\n" +
                           "変換済み 2, スキップ 0, 失敗 0, キャンセル 0\n");
    for (const char* name : {"a.ogg", "b.b.ogg"}) {
        const DecodedOgg decoded = DecodeOgg(Out(name));
        ASSERT_TRUE(decoded.opened) << name;
        EXPECT_EQ(decoded.channels, 2);
        EXPECT_NEAR(ToneFrequency(decoded.samples[0], decoded.rate), 440, 9);
        EXPECT_EQ(decoded.comments,
                  (std::vector<std::string>{"TITLE=曲名", "ARTIST=someone", "ALBUM=", "DATE=2024",
                                            "COMMENT=", "GENRE=Rock"}));
    }
    EXPECT_FALSE(platform::FileExists(app.File("opt.ini")));
    EXPECT_FALSE(platform::FileExists(app.File("preset.ini")));
}

// A long Japanese title reaches the ID3v2 tag and the Vorbis comments whole; only the ID3v1
// record cuts it, between characters, to its 30 bytes.
TEST_F(WavpressCliTest, Mp3GetsTheTagWithTextsCutToTheirFields) {
    const std::string a = Wave("a.wav");
    const std::string longTitle = "あいうえおかきくけこさしすせそたちつてとなに"; // 22 characters
    const CliRun run = Run({"-t", "mp3", "-o", out.Path(), "--title", longTitle, "--year", "20245",
                            "--genre", "Synthpop", a});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("--title"), std::string::npos);
    EXPECT_NE(run.err.find("--year"), std::string::npos);
    EXPECT_EQ(ReadId3v2(ReadFileBytes(Out("a.mp3"))).texts.at("TIT2"), longTitle);
    ASSERT_EQ(Run({"-t", "ogg", "-o", out.Path(), "--title", longTitle, a}).exitCode, 0);
    EXPECT_EQ(DecodeOgg(Out("a.ogg")).comments.at(0), "TITLE=" + longTitle);

    const DecodedMp3 decoded = DecodeMp3(Out("a.mp3"));
    ASSERT_TRUE(decoded.opened);
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_NEAR(ToneFrequency(decoded.samples[1], decoded.rate), 660, 13);
    const std::string bytes = ReadFileBytes(Out("a.mp3"));
    ASSERT_GT(bytes.size(), 128u);
    const std::string tag = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(tag.substr(0, 3), "TAG");
    EXPECT_EQ(tag.substr(3, 30), platform::Utf8ToCp932("あいうえおかきくけこさしすせそ"));
    EXPECT_EQ(tag.substr(93, 4), "2024");
    EXPECT_EQ(static_cast<unsigned char>(tag[127]), 147);
}

TEST_F(WavpressCliTest, NoId3v2LeavesTheSameFileWithoutItsLeadingTag) {
    const std::string a = Wave("a.wav");
    const std::vector<std::string> arguments = {"-t",      "mp3",    "-o",      out.Path(), "-y",
                                                "--title", "森鷗外", "--genre", "JPop",     a};
    ASSERT_EQ(Run(arguments).exitCode, 0);
    const std::string both = ReadFileBytes(Out("a.mp3"));
    std::vector<std::string> without = arguments;
    without.insert(without.begin(), "--no-id3v2");
    ASSERT_EQ(Run(without).exitCode, 0);
    const std::string plain = ReadFileBytes(Out("a.mp3"));

    const Id3v2Read tag = ReadId3v2(both);
    ASSERT_TRUE(tag.present);
    EXPECT_EQ(tag.texts.at("TIT2"), "森鷗外");
    EXPECT_FALSE(ReadId3v2(plain).present);
    // The same audio and the same ID3v1 record, "?" for the character code page 932 lacks.
    EXPECT_EQ(both.substr(tag.bytes), plain);
    EXPECT_EQ(plain.substr(plain.size() - 125, 6), platform::Utf8ToCp932("森?外 "));
}

TEST_F(WavpressCliTest, TextsThatAreNotUtf8AreRepairedAlikeInEveryTag) {
    const std::string a = Wave("a.wav");
    const std::string sjis = "\x93\xfa\x96\x7b"; // 日本 in code page 932
    const std::vector<std::string> texts = {"--title",   sjis,      "--artist",
                                            "a\xe3\x81", "--album", "ok\xff"};
    std::vector<std::string> ogg = {"-t", "ogg", "-o", out.Path(), a};
    std::vector<std::string> mp3 = {"-t", "mp3", "-o", out.Path(), a};
    ogg.insert(ogg.end(), texts.begin(), texts.end());
    mp3.insert(mp3.end(), texts.begin(), texts.end());
    ASSERT_EQ(Run(ogg).exitCode, 0);
    ASSERT_EQ(Run(mp3).exitCode, 0);

    EXPECT_EQ(
        DecodeOgg(Out("a.ogg")).comments,
        (std::vector<std::string>{"TITLE=???{", "ARTIST=a??", "ALBUM=ok?", "DATE=", "COMMENT="}));
    const std::string bytes = ReadFileBytes(Out("a.mp3"));
    const Id3v2Read tag = ReadId3v2(bytes);
    EXPECT_EQ(tag.texts.at("TIT2"), "???{");
    EXPECT_EQ(tag.texts.at("TPE1"), "a??");
    EXPECT_EQ(tag.texts.at("TALB"), "ok?");
    ASSERT_GT(bytes.size(), 128u);
    const std::string record = bytes.substr(bytes.size() - 128);
    EXPECT_EQ(record.substr(3, 5), "???{ ");
    EXPECT_EQ(record.substr(33, 4), "a?? ");
    EXPECT_EQ(record.substr(63, 4), "ok? ");
}

TEST_F(WavpressCliTest, RefusedFilesAreReportedSkippedAndCounted) {
    const std::string good = Wave("GOOD.WAV");
    const std::string upper = Wave("song.wave");
    const std::string nine = Wave("nine.wav", 0.3, 9);
    const std::string missing = in.File("missing.wav");
    const CliRun run = Run({"-t", "ogg", "-o", out.Path(), upper, good, nine, missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("wavpress-cli: " + upper + ": 拡張子が .wav ではありません\n"),
              std::string::npos);
    EXPECT_NE(run.err.find("wavpress-cli: " + nine +
                           ": 変換できる形式の WAVE ファイルとして読めません\n"),
              std::string::npos);
    EXPECT_NE(run.err.find("wavpress-cli: " + missing + ": ファイルがありません\n"),
              std::string::npos);
    EXPECT_EQ(run.out, "スキップ: " + upper + "\n変換済み: " + good + " -> " + Out("GOOD.ogg") +
                           "\nスキップ: " + nine + "\nスキップ: " + missing +
                           "\n変換済み 1, スキップ 3, 失敗 0, キャンセル 0\n");
}

TEST_F(WavpressCliTest, NoUsableFileIsARefusedStart) {
    const CliRun run = Run({"-o", out.Path(), Wave("a.wave")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("エラー: エンコードするファイルが存在しません\n"
                           "音声ファイルを追加後に変換ボタンのクリックをお願いします\u3000\n"),
              std::string::npos);
    EXPECT_EQ(run.out, "");
}

TEST_F(WavpressCliTest, StoredSettingsAreUsedAndOptionsOverrideThem) {
    EncodeSettings stored;
    stored.ApplyFirstStartDefaults();
    stored.OutFolder.OutFolder = out.Path();
    stored.OutFolder.EncodeType = kEncodeTypeOgg;
    stored.Ogg.MinBitrate = 32000;
    stored.OutFolder.Preset = 2;
    BE_CONFIG low = FirstStartLameParm();
    low.Bitrate = 32;
    stored.Presets = {{"low", low}};
    Store(stored);
    const std::string optIni = ReadFileBytes(app.File("opt.ini"));
    const std::string presetIni = ReadFileBytes(app.File("preset.ini"));
    const std::string wave = Wave("a.wav", 2.0);

    // The stored preset number is past the list, for either kind.
    CliRun run = Run({wave});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("エラー: Presetの設定がありません\n"), std::string::npos);

    run = Run({"-p", "0", wave});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("エラー: OggVorbisの設定に誤りがあります\n最小ビットレートのみを指定"
                           "する場合には\n64 Kbps以上を指定するようにお願いいたします\n"),
              std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));

    // The stored folder, with the preset's 32 kbit/s.
    run = Run({"-p", "1", "-t", "mp3", wave});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string mp3 = ReadFileBytes(Out("a.mp3"));
    EXPECT_GT(mp3.size(), 2u * 32000 / 8 * 9 / 10);
    EXPECT_LT(mp3.size(), 2u * 32000 / 8 * 12 / 10);

    EXPECT_EQ(ReadFileBytes(app.File("opt.ini")), optIni);
    EXPECT_EQ(ReadFileBytes(app.File("preset.ini")), presetIni);
}

TEST_F(WavpressCliTest, SettingsOutputFromAnEmptyFolder) {
    EncodeSettings expected = Loaded();
    CliRun run = Run({"--settings"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, RenderSettings(expected));

    run = Run({"--settings", "-t", "ogg", "-o", out.Path(), "-p", "-3", "-y"});
    EXPECT_EQ(run.exitCode, 0);
    expected.OutFolder.EncodeType = kEncodeTypeOgg;
    expected.OutFolder.OutFolder = out.Path();
    expected.OutFolder.Preset = -3;
    expected.OutFolder.IdentityOutFile = 0;
    EXPECT_EQ(run.out, RenderSettings(expected));
    EXPECT_FALSE(platform::FileExists(app.File("opt.ini")));
}

TEST_F(WavpressCliTest, SettingsOutputFromAPreparedFolder) {
    EncodeSettings stored;
    stored.ApplyFirstStartDefaults();
    stored.OutFolder.OutFolder = "/music/";
    stored.LameParm.Bitrate = 192;
    stored.Ogg.Preset = 0.8f;
    BE_CONFIG first = FirstStartLameParm();
    first.Bitrate = 96;
    stored.Presets = {{"first", first}, {"二番目", FirstStartLameParm()}};
    Store(stored);
    const std::string optIni = ReadFileBytes(app.File("opt.ini"));

    EncodeSettings expected = Loaded();
    expected.OutFolder.Preset = 2;
    const CliRun run = Run({"--settings", "--preset", "2"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, RenderSettings(expected) + RenderPresets(expected.Presets));
    EXPECT_NE(run.out.find("二番目"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(app.File("opt.ini")), optIni);
}

TEST_F(WavpressCliTest, WithoutATerminalAnExistingOutputIsKeptUnlessOverwriteIsGiven) {
    const std::string wave = Wave("a.wav");
    const std::string old = "an older file";
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("a.mp3"), old));

    CliRun run = Run({"-o", out.Path(), wave});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(
        run.err.find("保存確認(" + Out("a.mp3") +
                     "): 保存先に同一ファイル名が存在します\n上書きしてもよろしいでしょうか？\n"),
        std::string::npos);
    EXPECT_EQ(run.out, "スキップ: " + wave + "\n変換済み 0, スキップ 1, 失敗 0, キャンセル 0\n");
    EXPECT_EQ(ReadFileBytes(Out("a.mp3")), old);

    run = Run({"-y", "-q", "-o", out.Path(), wave});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(DecodeMp3(Out("a.mp3")).opened);
    EXPECT_NE(ReadFileBytes(Out("a.mp3")), old);
}

TEST_F(WavpressCliTest, InputsSharingAnOutputAreRefusedBeforeAnythingIsConverted) {
    std::filesystem::create_directory(in.File("a"));
    std::filesystem::create_directory(in.File("b"));
    const std::string first = Wave("a/x.wav");
    const std::string second = Wave("b/x.wav");
    const std::string other = Wave("a/y.wav");
    for (const bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite);
        std::vector<std::string> arguments{"-t", "ogg", "-o", out.Path(), first, other, second};
        if (overwrite) {
            arguments.insert(arguments.begin(), "-y");
        }
        const CliRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find("wavpress-cli: 出力ファイル(" + Out("x.ogg") +
                               ")が同じになる入力ファイルがあります: " + first + " " + second +
                               "\n"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
    }
}

TEST_F(WavpressCliTest, MissingEngineLibraryFailsEachMp3File) {
    std::filesystem::remove(app.File("lame_enc.so"));
    const CliRun run = Run({"-o", out.Path(), Wave("a.wav"), Wave("b.wav")});
    EXPECT_EQ(run.exitCode, 1);
    const std::string message = "Information: lame_enc.dllが読込めませんでした\n";
    const std::size_t first = run.err.find(message);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(run.err.find(message, first + 1), std::string::npos);
    EXPECT_NE(run.out.find("失敗 2"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
}

TEST_F(WavpressCliTest, InterruptCancelsTheRunningFilesAndTheBatchGoesOn) {
    const std::vector<std::string> longWaves = {Wave("first.wav", 120.0),
                                                Wave("second.wav", 120.0)};
    const std::string last = Wave("last.wav");
    for (const std::size_t jobs : {1u, 2u}) {
        ClearOut();
        std::vector<std::string> arguments{"-j",      std::to_string(jobs), "-t", "ogg", "-o",
                                           out.Path()};
        std::string cancelled;
        for (std::size_t job = 0; job < jobs; ++job) {
            arguments.push_back(longWaves[job]);
            cancelled += "キャンセル: " + longWaves[job] + "\n";
        }
        arguments.push_back(last);
        clitest::CreationWatch created(out.Path());
        const CliRun run = Run(arguments, [&](int pid) {
            // Every long file is being written.
            for (std::size_t job = 0; job < jobs; ++job) {
                ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
            }
            ::kill(pid, SIGINT);
        });
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("中断: このファイルをキャンセルします"), std::string::npos);
        EXPECT_EQ(run.out, cancelled + "変換済み: " + last + " -> " + Out("last.ogg") +
                               "\n変換済み 1, スキップ 0, 失敗 0, キャンセル " +
                               std::to_string(jobs) + "\n")
            << jobs;
        EXPECT_EQ(VisibleEntries(out.Path()), (Names{"last.ogg"}));
    }
}

TEST_F(WavpressCliTest, AKilledRunLeavesTheOldOutputAndNoWorkingFile) {
    const std::string longWave = Wave("long.wav", 120.0);
    const std::string old = "the output of an earlier run";
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("long.ogg"), old));
    clitest::CreationWatch created(out.Path());
    const CliRun run = Run({"-y", "-t", "ogg", "-o", out.Path(), longWave}, [&](int pid) {
        ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
        ::kill(pid, SIGKILL);
    });
    EXPECT_EQ(run.exitCode, -1);
    EXPECT_EQ(ReadFileBytes(Out("long.ogg")), old);
    EXPECT_EQ(clitest::FolderEntries(out.Path()), (Names{"long.ogg"}));
}

TEST_F(WavpressCliTest, SecondInterruptWithinTwoSecondsCancelsAll) {
    const std::string first = Wave("first.wav", 120.0);
    const std::string second = Wave("second.wav", 120.0);
    const std::string third = Wave("third.wav");
    clitest::CreationWatch created(out.Path());
    const CliRun run =
        Run({"-j", "1", "-t", "ogg", "-o", out.Path(), first, second, third}, [&](int pid) {
            ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
            ::kill(pid, SIGINT);
            // The first interrupt has been handled once the next file is being written.
            ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
            ::kill(pid, SIGINT);
        });
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "キャンセル: " + first + "\nキャンセル: " + second + "\nキャンセル: " +
                           third + "\n変換済み 0, スキップ 0, 失敗 0, キャンセル 3\n");
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
}

TEST_F(WavpressCliTest, ClosedStandardDescriptorsAreNotTakenForTheProgramsOwnFiles) {
    const std::string first = Wave("first.wav");
    const std::string second = Wave("second.wav");
    for (const std::vector<int>& closed : {std::vector<int>{0, 2}, std::vector<int>{0, 1, 2}}) {
        ClearOut();
        const CliRun run = Run({"-t", "ogg", "-o", out.Path(), first, second}, {}, [&closed] {
            for (const int fd : closed) {
                ::close(fd);
            }
        });
        EXPECT_EQ(run.exitCode, 0) << closed.size();
        EXPECT_EQ(VisibleEntries(out.Path()), (Names{"first.ogg", "second.ogg"}));
        EXPECT_TRUE(DecodeOgg(Out("first.ogg")).opened);
        EXPECT_TRUE(DecodeOgg(Out("second.ogg")).opened);
        if (closed.size() == 2) {
            EXPECT_EQ(run.out, "変換済み: " + first + " -> " + Out("first.ogg") +
                                   "\n変換済み: " + second + " -> " + Out("second.ogg") +
                                   "\n変換済み 2, スキップ 0, 失敗 0, キャンセル 0\n");
        }
    }
}

TEST_F(WavpressCliTest, AReaderThatWentAwayIsNoConversionFailure) {
    const std::vector<std::string> waves = {Wave("a.wav"), Wave("b.wav"), Wave("c.wav")};
    for (const int fd : {STDERR_FILENO, STDOUT_FILENO}) {
        ClearOut();
        clitest::Pipe pipe;
        pipe.CloseReadEnd();
        std::vector<std::string> arguments{"-t", "ogg", "-o", out.Path()};
        arguments.insert(arguments.end(), waves.begin(), waves.end());
        const CliRun run = Run(
            arguments, [&](int) { pipe.CloseWriteEnd(); }, [&] { ::dup2(pipe.WriteEnd(), fd); });
        EXPECT_EQ(run.exitCode, 0) << fd;
        EXPECT_EQ(VisibleEntries(out.Path()), (Names{"a.ogg", "b.ogg", "c.ogg"}));
        if (fd == STDERR_FILENO) {
            EXPECT_NE(run.out.find("変換済み 3, スキップ 0, 失敗 0, キャンセル 0\n"),
                      std::string::npos);
        }
    }
    // The settings text is what was asked for: not writing it is a failure.
    clitest::Pipe pipe;
    pipe.CloseReadEnd();
    const CliRun run = Run(
        {"--settings"}, [&](int) { pipe.CloseWriteEnd(); },
        [&] { ::dup2(pipe.WriteEnd(), STDOUT_FILENO); });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, std::string("wavpress-cli: 標準出力に書き込めません\n原因: ") +
                           std::strerror(EPIPE) + "\n");
}

TEST_F(WavpressCliTest, HangUpAndTerminationCancelTheRestAndKeepWhatWasConverted) {
    const std::string first = Wave("first.wav");
    const std::string longWave = Wave("long.wav", 120.0);
    const std::string last = Wave("last.wav");
    for (const int signal : {SIGTERM, SIGHUP}) {
        ClearOut();
        clitest::CreationWatch created(out.Path());
        const CliRun run =
            Run({"-j", "1", "-t", "ogg", "-o", out.Path(), first, longWave, last}, [&](int pid) {
                // The first output, then the long file's.
                ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
                ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
                ::kill(pid, signal);
            });
        EXPECT_EQ(run.exitCode, 1) << signal;
        EXPECT_EQ(run.out, "変換済み: " + first + " -> " + Out("first.ogg") +
                               "\nキャンセル: " + longWave + "\nキャンセル: " + last +
                               "\n変換済み 1, スキップ 0, 失敗 0, キャンセル 2\n");
        EXPECT_EQ(clitest::FolderEntries(out.Path()), (Names{"first.ogg"}));
        EXPECT_TRUE(DecodeOgg(Out("first.ogg")).opened);
    }
}

TEST_F(WavpressCliTest, AFileSizeLimitFailsTheFileNotTheProcess) {
    const std::string small = Wave("small.wav");
    const std::string big = Wave("big.wav", 10.0);
    const std::string after = Wave("after.wav");
    const CliRun run = Run({"-o", out.Path(), small, big, after}, {}, [] {
        const rlimit limit{64 << 10, 64 << 10};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "変換済み: " + small + " -> " + Out("small.mp3") + "\n失敗: " + big +
                           "\n変換済み: " + after + " -> " + Out("after.mp3") +
                           "\n変換済み 2, スキップ 0, 失敗 1, キャンセル 0\n");
    EXPECT_NE(
        run.err.find("エラー: " + platform::Format(kOutputWriteFailed, Out("big.mp3").c_str()) +
                     "\n原因: " + std::strerror(EFBIG) + "\n"),
        std::string::npos);
    EXPECT_EQ(clitest::FolderEntries(out.Path()), (Names{"after.mp3", "small.mp3"}));
    EXPECT_TRUE(DecodeMp3(Out("after.mp3")).opened);
}

// Crafted tag chunks cost neither the process nor the batch: a title frame that inflates to
// 1 GiB and an INFO value of 8 MB are passed over under a memory limit far below what reading
// them would take; the file converts with the tags that could be read.
TEST_F(WavpressCliTest, CraftedTagChunksConvertWithinAMemoryLimit) {
    const std::string tags =
        testsupport::InflatingTitleChunk("artist") +
        testsupport::Chunk("LIST", "INFO" + testsupport::Chunk("INAM", std::string(8 << 20, 'i')));
    const std::string wave = in.File("crafted.wav");
    ASSERT_TRUE(
        testsupport::WriteWave(wave, {}, testsupport::StereoTone(kRate, 4410, 440, 660), tags));
    const CliRun run = Run({"-q", "-o", out.Path(), wave}, {}, [] {
#ifndef __SANITIZE_ADDRESS__
        // The sanitizer reserves terabytes of address space; it fails a huge allocation itself.
        const rlimit limit{512 << 20, 512 << 20};
        ::setrlimit(RLIMIT_AS, &limit);
#endif
    });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const Id3v2Read tag = ReadId3v2(ReadFileBytes(Out("crafted.mp3")));
    EXPECT_EQ(tag.texts.count("TIT2"), 0u);
    EXPECT_EQ(tag.texts.at("TPE1"), "artist");
}

// A link another user planted in a shared output folder (sticky and world-writable, as /tmp)
// is never followed, not even with -y: the file it points to and the link stay, and the output
// fails as one that cannot be created. Without -y the name is asked about as any existing one.
TEST_F(WavpressCliTest, AnotherUsersLinkInASharedOutputFolderIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the link another owner";
    }
    const std::string shared = out.File("shared");
    ASSERT_TRUE(std::filesystem::create_directory(shared));
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    const std::string victim = in.File("notes.txt");
    ASSERT_TRUE(testsupport::WriteFileBytes(victim, "notes"));
    const std::string link = shared + "/x.mp3";
    std::filesystem::create_symlink(victim, link);
    ASSERT_EQ(::lchown(link.c_str(), 1000, 1000), 0);
    const std::string wave = Wave("x.wav");

    CliRun run = Run({"-y", "-o", shared, wave});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(platform::Format(kOutputOpenFailed, link.c_str())), std::string::npos)
        << run.err;
    run = Run({"-o", shared, wave});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("保存確認(" + link + ")"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFileBytes(victim), "notes");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(VisibleEntries(shared), Names{"x.mp3"});
}

// A file of the user's that merely looks like a working file of ours is never cleaned up.
TEST_F(WavpressCliTest, AFileNamedLikeAWorkingFileSurvivesARun) {
    const std::string backup = Out(".wavpress-backup");
    ASSERT_TRUE(testsupport::WriteFileBytes(backup, "mine"));
    const timespec old[2] = {{std::time(nullptr) - 3 * 24 * 60 * 60, 0},
                             {std::time(nullptr) - 3 * 24 * 60 * 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, backup.c_str(), old, 0), 0);
    EXPECT_EQ(Run({"-q", "-o", out.Path(), Wave("a.wav")}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(backup), "mine");
}

TEST_F(WavpressCliTest, AJobThatNeverReturnsEndsOnTheSignalAfterCancellingAll) {
    std::filesystem::copy_file(platform::ExecutableFolder() + "hanging/lame_enc.so",
                               app.File("lame_enc.so"),
                               std::filesystem::copy_options::overwrite_existing);
    const std::string a = Wave("a.wav");
    const std::string b = Wave("b.wav");
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("keep.mp3"), "an earlier output"));
    // A program that does not end on these signals is the fault looked for: not waited for long.
    constexpr auto kPatience = std::chrono::seconds(10);
    constexpr const char* kFile = "中断: このファイルをキャンセルします";
    constexpr const char* kAll = "中断: 残りのファイルもすべてキャンセルします";
    struct Step {
        int signal;
        const char* notice;
    };
    const std::vector<std::vector<Step>> sequences = {
        {{SIGTERM, kAll}, {SIGTERM, nullptr}},
        {{SIGHUP, kAll}, {SIGINT, nullptr}},
        {{SIGINT, kFile}, {SIGINT, kAll}, {SIGINT, nullptr}},
    };
    for (const std::vector<Step>& steps : sequences) {
        clitest::Pipe errors;
        clitest::Transcript shown(errors.ReadEnd());
        const CliRun run = Run(
            {"-o", out.Path(), a, b},
            [&](int pid) {
                errors.CloseWriteEnd();
                ASSERT_TRUE(shown.WaitFor("beEncodeChunk: stuck", kPatience));
                for (const Step& step : steps) {
                    ::kill(pid, step.signal);
                    // Sent only once the last one was taken: signals pending together merge.
                    if (step.notice != nullptr) {
                        ASSERT_TRUE(shown.WaitFor(step.notice, kPatience)) << shown.Text();
                    }
                }
                EXPECT_TRUE(shown.WaitFor("中断: 変換の終わりを待たずに終了します", kPatience));
            },
            [&] { ::dup2(errors.WriteEnd(), STDERR_FILENO); }, kPatience);
        EXPECT_FALSE(run.timedOut) << steps.front().signal;
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "キャンセル: " + a + "\nキャンセル: " + b +
                               "\n変換済み 0, スキップ 0, 失敗 0, キャンセル 2\n");
        EXPECT_EQ(clitest::FolderEntries(out.Path()), (Names{"keep.mp3"}))
            << "no working file left";
        EXPECT_EQ(ReadFileBytes(Out("keep.mp3")), "an earlier output");
    }
}

// Ctrl+C at a question skips only that file; "s" skips every further existing output without
// asking again.
TEST_F(WavpressCliTest, AnswersAtTheTerminalSkipOneFileOrEveryFurtherOne) {
    const std::string a = Wave("a.wav");
    const std::string b = Wave("b.wav");
    struct Exchange {
        const char* prompt;
        const char* typed;
    };
    const std::string skipA = "スキップ: " + a + "\n";
    const std::string onlyB = skipA + "変換済み: " + b + " -> " + Out("b.ogg") +
                              "\n変換済み 1, スキップ 1, 失敗 0, キャンセル 0\n";
    const std::string neither =
        skipA + "スキップ: " + b + "\n変換済み 0, スキップ 2, 失敗 0, キャンセル 0\n";
    const std::vector<std::pair<std::vector<Exchange>, std::string>> dialogues = {
        {{{"[y/n/a/s] ", "\x03"}, {"[y/n/a/s] ", "y\n"}}, onlyB},
        {{{"[y/n/a/s] ", "n\n"}, {"新しい出力ファイル名", "\x03"}, {"[y/n/a/s] ", "y\n"}}, onlyB},
        {{{"[y/n/a/s] (a: 全て上書き, s: 全てスキップ) ", "s\n"}}, neither},
    };
    for (const auto& [dialogue, printed] : dialogues) {
        ASSERT_TRUE(testsupport::WriteFileBytes(Out("a.ogg"), "old a"));
        ASSERT_TRUE(testsupport::WriteFileBytes(Out("b.ogg"), "old b"));
        clitest::PseudoTerminal terminal;
        clitest::Transcript shown(terminal.TestSide());
        const CliRun run = Run(
            {"-t", "ogg", "-o", out.Path(), a, b},
            [&](int) {
                terminal.CloseProgramSide();
                for (const Exchange& exchange : dialogue) {
                    ASSERT_TRUE(shown.WaitFor(exchange.prompt)) << shown.Text();
                    terminal.Type(exchange.typed);
                }
                EXPECT_TRUE(shown.ReadToEnd());
            },
            [&] {
                terminal.Attach({STDIN_FILENO, STDERR_FILENO});
            });
        EXPECT_EQ(run.exitCode, 1) << dialogue.size();
        EXPECT_EQ(run.out, printed);
        EXPECT_EQ(ReadFileBytes(Out("a.ogg")), "old a");
        if (printed == neither) {
            EXPECT_EQ(shown.Text().find("[y/n/a/s]"), shown.Text().rfind("[y/n/a/s]"));
            EXPECT_EQ(ReadFileBytes(Out("b.ogg")), "old b");
        } else {
            EXPECT_TRUE(DecodeOgg(Out("b.ogg")).opened);
        }
    }
}

TEST_F(WavpressCliTest, ControlCharactersInNamesAreShownEscapedOnATerminal) {
    const std::string wave = Wave("x\x1b]0;owned\x07\xc2\x9b.wav");
    const std::string invalid = in.File("bad\xff.wav");
    // A right-to-left override would show this name as "fvaw.live".
    const std::string reordering = Wave("f\u202Eevil.wav");
    clitest::PseudoTerminal terminal;
    clitest::Transcript shown(terminal.TestSide());
    const CliRun run = Run(
        {"-t", "ogg", "-o", out.Path(), "--title",
         "\x1b[2J" + std::string(kTagTextWidth, 'A'), wave, invalid,
         reordering},
        [&](int) {
            terminal.CloseProgramSide();
            EXPECT_TRUE(shown.ReadToEnd());
        },
        [&] {
            terminal.Attach({STDOUT_FILENO, STDERR_FILENO});
        });
    EXPECT_EQ(run.exitCode, 1);
    const std::string& text = shown.Text();
    for (const char* raw : {"\x1b]", "\x07", "\x1b[2J", "\xc2\x9b", "\xff", "\u202E"}) {
        EXPECT_EQ(text.find(raw), std::string::npos) << raw;
    }
    EXPECT_NE(text.find("変換済み: " + in.File("x\\x1B]0;owned\\x07\\u009B.wav")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("bad\\xFF.wav: ファイルがありません"), std::string::npos);
    EXPECT_NE(text.find("f\\u202Eevil.wav"), std::string::npos) << text;
    EXPECT_NE(text.find("\"\\x1B[2JAAA"), std::string::npos);
    EXPECT_TRUE(platform::FileExists(Out("x\x1b]0;owned\x07\xc2\x9b.ogg")));
}

TEST_F(WavpressCliTest, NamesUpToTheLengthAFolderHoldsConvert) {
    std::string name;
    for (int i = 0; i < 80; ++i) {
        name += "音";
    }
    const std::string wave = Wave(name + ".wav");
    ASSERT_EQ(name.size() + 4, 244u);
    for (const char* type : {"mp3", "ogg"}) {
        const std::string output = Out(name + "." + type);
        const CliRun run = Run({"-t", type, "-o", out.Path(), wave});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "変換済み: " + wave + " -> " + output +
                               "\n変換済み 1, スキップ 0, 失敗 0, キャンセル 0\n");
        EXPECT_EQ(clitest::FolderEntries(out.Path()), (Names{name + "." + type}));
        EXPECT_TRUE(type == std::string("mp3") ? DecodeMp3(output).opened
                                               : DecodeOgg(output).opened);
        ClearOut();
    }
}

TEST_F(WavpressCliTest, FailuresSayWhatTheSystemReportedAndWhichTestRefusedAnInput) {
    const std::string folder = in.File("folder.wav");
    std::filesystem::create_directory(folder);
    const std::string fifo = in.File("fifo.wav");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string text = in.File("text.wav");
    ASSERT_TRUE(testsupport::WriteFileBytes(text, "not a wave file"));
    const std::string wave = Wave("a.wav");
    std::filesystem::create_directory(Out("a.ogg"));
    const CliRun run = Run({"-y", "-t", "ogg", "-o", out.Path(), folder, fifo, text, wave});
    EXPECT_EQ(run.exitCode, 1);
    const std::string isFolder = std::string("\n原因: ") + std::strerror(EISDIR) + "\n";
    EXPECT_NE(run.err.find("wavpress-cli: " + folder + ": フォルダに .wav ファイルがありません\n"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("wavpress-cli: " + fifo + ": 通常のファイルではありません\n"),
              std::string::npos);
    EXPECT_NE(run.err.find("wavpress-cli: " + text +
                           ": 変換できる形式の WAVE ファイルとして読めません\n"
                           "CLameDll: 指定されたファイル(" +
                           text + ")はRIFFヘッダが存在しませんでした\n"),
              std::string::npos);
    // Whichever call failed on the folder in the output's place, the system says why.
    const std::size_t failure = run.err.find("エラー: 出力ファイル(" + Out("a.ogg") + ")");
    ASSERT_NE(failure, std::string::npos);
    EXPECT_NE(run.err.find("お願いいたします" + isFolder, failure), std::string::npos);
    EXPECT_NE(run.out.find("失敗: " + wave + "\n"), std::string::npos);
    EXPECT_NE(run.out.find("スキップ: " + folder + "\nスキップ: " + fifo + "\n"),
              std::string::npos);
}

// Several jobs at once leave what one job at a time leaves: the same MP3 bytes, the same
// decoded Ogg Vorbis audio and comments (the stream serial differs from run to run), the same
// summary and exit status, whichever file happens to end first.
TEST_F(WavpressCliTest, SideBySideJobsLeaveWhatOneJobAtATimeLeaves) {
    std::vector<std::string> inputs = {Wave("a.wav", 1.5),       Wave("b.wav", 0.3),
                                       Wave("nine.wav", 0.3, 9), Wave("c.d.wav", 1.0),
                                       Wave("kept.wav", 0.4),    Wave("e.wav", 0.8)};
    for (const char* type : {"mp3", "ogg"}) {
        for (const bool overwrite : {true, false}) {
            const std::string label = std::string(type) + (overwrite ? " -y" : "");
            std::map<std::string, CliRun> runs;
            for (const char* jobs : {"1", "2", "4"}) {
                const std::string folder = out.File(jobs);
                std::filesystem::create_directory(folder);
                const std::string kept = platform::JoinFolder(folder, std::string("kept.") + type);
                ASSERT_TRUE(testsupport::WriteFileBytes(kept, "an earlier output"));
                std::vector<std::string> arguments{"-j",   jobs,      "-t",   type,      "-o",
                                                   folder, "--title", "曲名", "--genre", "Rock"};
                if (overwrite) {
                    arguments.push_back("-y");
                }
                arguments.insert(arguments.end(), inputs.begin(), inputs.end());
                CliRun run = Run(arguments);
                // The summary names each run's own folder.
                for (std::size_t at = run.out.find(folder); at != std::string::npos;
                     at = run.out.find(folder, at)) {
                    run.out.replace(at, folder.size(), "OUT");
                }
                runs[jobs] = run;
            }
            const CliRun& one = runs["1"];
            EXPECT_EQ(one.exitCode, 1) << label;
            const std::string counts =
                overwrite ? "変換済み 5, スキップ 1," : "変換済み 4, スキップ 2,";
            EXPECT_NE(one.out.find(counts), std::string::npos) << label << one.out;
            const Names written = VisibleEntries(out.File("1"));
            for (const char* jobs : {"2", "4"}) {
                EXPECT_EQ(runs[jobs].exitCode, one.exitCode) << label << " -j " << jobs;
                EXPECT_EQ(runs[jobs].out, one.out) << label << " -j " << jobs;
                EXPECT_EQ(VisibleEntries(out.File(jobs)), written) << label << " -j " << jobs;
                for (const std::string& name : written) {
                    const std::string reference = platform::JoinFolder(out.File("1"), name);
                    const std::string other = platform::JoinFolder(out.File(jobs), name);
                    if (std::string(type) == "mp3" || (name == "kept.ogg" && !overwrite)) {
                        EXPECT_EQ(ReadFileBytes(other), ReadFileBytes(reference)) << other;
                        continue;
                    }
                    const DecodedOgg expected = DecodeOgg(reference);
                    const DecodedOgg decoded = DecodeOgg(other);
                    ASSERT_TRUE(decoded.opened) << other;
                    EXPECT_EQ(decoded.samples, expected.samples) << other;
                    EXPECT_EQ(decoded.comments, expected.comments) << other;
                }
            }
            ClearOut();
        }
    }
}

// With one job or several: on a terminal each file's paths as its job starts and its line as it
// ended, with several jobs the batch's line too; without a terminal a line per file; with -q
// nothing.
TEST_F(WavpressCliTest, ProgressShowsEachFileAndTheBatch) {
    const std::string a = Wave("a.wav");
    const std::string b = Wave("b.b.wav");
    const std::string full = "[####################] 100%  経過時間：";
    const std::vector<std::pair<std::string, std::string>> files = {{a, Out("a.ogg")},
                                                                    {b, Out("b.b.ogg")}};
    for (const char* jobs : {"1", "2"}) {
        SCOPED_TRACE(jobs);
        const std::vector<std::string> arguments = {"-y", "-j",       jobs, "-t", "ogg",
                                                    "-o", out.Path(), a,    b};
        clitest::PseudoTerminal terminal;
        clitest::Transcript shown(terminal.TestSide());
        const CliRun onTerminal = Run(
            arguments,
            [&](int) {
                terminal.CloseProgramSide();
                EXPECT_TRUE(shown.ReadToEnd());
            },
            [&] { terminal.Attach({STDERR_FILENO}); });
        EXPECT_EQ(onTerminal.exitCode, 0);
        const std::string& text = shown.Text();
        for (const auto& [input, output] : files) {
            const std::size_t paths =
                text.find("入力ファイル: " + input + "\r\n出力ファイル: " + output + "\r\n");
            EXPECT_NE(paths, std::string::npos) << text;
            EXPECT_NE(text.find(std::string(platform::NameOf(input)) + "  " + full, paths),
                      std::string::npos)
                << text;
        }
        EXPECT_EQ(text.find("全体 2/2  " + full) != std::string::npos, jobs == std::string("2"))
            << text;

        const CliRun piped = Run(arguments);
        EXPECT_EQ(piped.exitCode, 0);
        for (const auto& [input, output] : files) {
            EXPECT_NE(piped.err.find("入力ファイル: " + input + "  出力ファイル: " + output + "  " +
                                     full),
                      std::string::npos)
                << piped.err;
        }
        EXPECT_EQ(piped.err.find("全体"), std::string::npos);

        std::vector<std::string> quiet = arguments;
        quiet.push_back("-q");
        const CliRun silent = Run(quiet);
        EXPECT_EQ(silent.exitCode, 0);
        EXPECT_EQ(silent.err + silent.out, "");
    }
}

TEST_F(WavpressCliTest, QuestionsWaitTheirTurnWhileTheOtherFilesGoOn) {
    const std::string longWave = Wave("long.wav", 30.0);
    const std::string b = Wave("b.wav", 20.0);
    const std::string c = Wave("c.wav");
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("b.ogg"), "old b"));
    ASSERT_TRUE(testsupport::WriteFileBytes(Out("c.ogg"), "old c"));
    clitest::PseudoTerminal terminal;
    clitest::Transcript shown(terminal.TestSide());
    clitest::CreationWatch finished(out.Path(), true);
    const CliRun run = Run(
        {"-j", "2", "-t", "ogg", "-o", out.Path(), longWave, b, c},
        [&](int) {
            terminal.CloseProgramSide();
            ASSERT_TRUE(shown.WaitFor("保存確認(" + Out("b.ogg") + ")")) << shown.Text();
            ASSERT_TRUE(shown.WaitFor("[y/n/a/s] "));
            // The long file is converted to its end while the question waits.
            ASSERT_TRUE(finished.Wait(std::chrono::seconds(30)));
            terminal.Type("y\n");
            ASSERT_TRUE(shown.WaitFor("保存確認(" + Out("c.ogg") + ")")) << shown.Text();
            ASSERT_TRUE(shown.WaitFor("[y/n/a/s] "));
            // Skips c only: b goes on.
            terminal.Type("\x03");
            EXPECT_TRUE(shown.ReadToEnd());
        },
        [&] {
            terminal.Attach({STDIN_FILENO, STDERR_FILENO});
        });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "変換済み: " + longWave + " -> " + Out("long.ogg") + "\n変換済み: " + b +
                           " -> " + Out("b.ogg") + "\nスキップ: " + c +
                           "\n変換済み 2, スキップ 1, 失敗 0, キャンセル 0\n");
    EXPECT_NE(shown.Text().find("全体 3/3"), std::string::npos) << shown.Text();
    EXPECT_TRUE(DecodeOgg(Out("long.ogg")).opened);
    EXPECT_TRUE(DecodeOgg(Out("b.ogg")).opened);
    EXPECT_EQ(ReadFileBytes(Out("c.ogg")), "old c");
}

// Folders named on the command line give their WAVE files in name order; each file's own tags
// (an ID3v2 chunk written by TagLib, a code page 932 INFO chunk written by hand) fill what no
// option gives, on files as sox writes them.
TEST_F(WavpressCliTest, FoldersGiveTheirWaveFilesWithTheirOwnTags) {
    const std::string sox = testsupport::FindProgram("sox");
    if (sox.empty()) {
        GTEST_SKIP() << "sox is not installed";
    }
    const std::string album = in.File("album");
    std::filesystem::create_directories(album + "/disc 2");
    const std::string first = album + "/01.wav";
    const std::string second = album + "/disc 2/02.WAV";
    for (const std::string& path : {second, first}) {
        const CliRun made = clitest::RunProgram(
            sox, {"-n", "-r", "44100", "-c", "2", "-b", "16", path, "synth", "0.3", "sine", "440"});
        ASSERT_EQ(made.exitCode, 0) << made.err;
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(album + "/notes.txt", "not a wave file"));
    ASSERT_TRUE(testsupport::WriteId3v2Chunk(
        first,
        {{"TITLE", "一曲目"}, {"ARTIST", "歌手"}, {"DATE", "2001-04-01"}, {"GENRE", "Rock"}}));
    std::string bytes =
        ReadFileBytes(second) +
        testsupport::Chunk(
            "LIST", "INFO" + testsupport::Chunk("INAM", platform::Utf8ToCp932("二曲目") + '\0'));
    const std::uint32_t riffSize = static_cast<std::uint32_t>(bytes.size() - 8);
    for (int i = 0; i < 4; ++i) {
        bytes[4 + i] = static_cast<char>(riffSize >> (8 * i));
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(second, bytes));

    const CliRun run = Run({"-t", "mp3", "-o", out.Path(), "--artist", "上書き", album});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "変換済み: " + first + " -> " + Out("01.mp3") + "\n変換済み: " + second +
                           " -> " + Out("02.mp3") +
                           "\n変換済み 2, スキップ 0, 失敗 0, キャンセル 0\n");
    const Id3v2Read one = ReadId3v2(ReadFileBytes(Out("01.mp3")));
    EXPECT_EQ(one.texts,
              (std::map<std::string, std::string>{
                  {"TIT2", "一曲目"}, {"TPE1", "上書き"}, {"TDRC", "2001"}, {"TCON", "17"}}));
    const std::string two = ReadFileBytes(Out("02.mp3"));
    EXPECT_EQ(ReadId3v2(two).texts,
              (std::map<std::string, std::string>{{"TIT2", "二曲目"}, {"TPE1", "上書き"}}));
    EXPECT_EQ(two.substr(two.size() - 125, 7), platform::Utf8ToCp932("二曲目 "));

    ASSERT_EQ(Run({"-y", "--no-wave-tags", "-t", "mp3", "-o", out.Path(), first}).exitCode, 0);
    EXPECT_FALSE(ReadId3v2(ReadFileBytes(Out("01.mp3"))).present);

    // A file of the folder and a file named beside it write the same output.
    const CliRun clash = Run({"-t", "mp3", "-o", out.Path(), album, Wave("02.wav")});
    EXPECT_EQ(clash.exitCode, 2);
    EXPECT_NE(clash.err.find("出力ファイル(" + Out("02.mp3") +
                             ")が同じになる入力ファイルがあります: " + second + " " +
                             in.File("02.wav") + "\n"),
              std::string::npos)
        << clash.err;
}

TEST_F(WavpressCliTest, ALibraryOfAlbumsConvertsInEveryLayout) {
    for (const char* folder : {"lib/A", "lib/B/sub", "solo"}) {
        std::filesystem::create_directories(in.File(folder));
    }
    // Tracks of one name in every album, each of its own length so that a mix-up shows.
    const Names tracks = {"lib/A/01.wav", "lib/A/02.wav", "lib/B/01.wav", "lib/B/sub/01.wav",
                          "solo/03.wav"};
    std::map<std::string, std::string> alone;
    for (std::size_t track = 0; track < tracks.size(); ++track) {
        const std::string path = Wave(tracks[track], 0.2 + 0.05 * static_cast<double>(track));
        testsupport::TempDir own;
        ASSERT_EQ(Run({"-o", own.Path(), path}).exitCode, 0);
        alone[path] = ReadFileBytes(own.File(std::filesystem::path(path).stem().string() + ".mp3"));
    }
    const struct {
        const char* layout;
        int exitCode;
        Names outputs; ///< per track, in order
    } cases[] = {
        {"flat", 2, {}},
        {"tree",
         0,
         {Out("A/01.mp3"), Out("A/02.mp3"), Out("B/01.mp3"), Out("B/sub/01.mp3"), Out("03.mp3")}},
        {"BESIDE",
         0,
         {in.File("lib/A/01.mp3"), in.File("lib/A/02.mp3"), in.File("lib/B/01.mp3"),
          in.File("lib/B/sub/01.mp3"), in.File("solo/03.mp3")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        ClearOut();
        // Folders with the tracks, and a track named on its own.
        const CliRun run = Run({"-l", c.layout, "-o", out.Path(), in.File("lib/A"),
                                in.File("lib/B/"), in.File("solo/03.wav")});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (c.outputs.empty()) {
            EXPECT_NE(run.err.find("出力ファイル(" + Out("01.mp3") + ")が同じになる"),
                      std::string::npos)
                << run.err;
            EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
            continue;
        }
        std::string summary;
        for (std::size_t track = 0; track < tracks.size(); ++track) {
            const std::string input = in.File(tracks[track]);
            summary += "変換済み: " + input + " -> " + c.outputs[track] + "\n";
            EXPECT_EQ(ReadFileBytes(c.outputs[track]), alone[input]) << c.outputs[track];
            std::filesystem::remove(c.outputs[track]);
        }
        EXPECT_EQ(run.out, summary + "変換済み 5, スキップ 0, 失敗 0, キャンセル 0\n");
    }
    for (const auto& [option, line] : {std::pair{"--replaygain", "\tReplayGain=1\r\n"},
                                       {"--no-replaygain", "\tReplayGain=0\r\n"}}) {
        EXPECT_NE(Run({"--settings", "--replaygain", option}).out.find(line), std::string::npos);
    }
    EXPECT_NE(Run({"--settings", "--layout", "tree"})
                  .out.find("\tOutputLayout=1\r\n\tReplayGain=0\r\n[LAME Parm]"),
              std::string::npos);
    const CliRun wrong = Run({"-l", "nested", in.File("solo/03.wav")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.err.find("--layout は flat か tree か beside で指定してください: \"nested\""),
              std::string::npos);
}

// Root writes into any folder: a read-only one then stops the program only as nobody.
TEST_F(WavpressCliTest, BesideAReadOnlyInputOnlyThatFileFailsAndNoFolderIsLeftByACancel) {
    std::filesystem::create_directories(in.File("shut"));
    std::filesystem::create_directories(in.File("open"));
    const std::string shut = Wave("shut/01.wav");
    const std::string open = Wave("open/01.wav");
    std::filesystem::permissions(in.File("shut"), std::filesystem::perms::owner_read |
                                                      std::filesystem::perms::owner_exec |
                                                      std::filesystem::perms::others_read |
                                                      std::filesystem::perms::others_exec);
    std::function<void()> asNobody;
    if (::geteuid() == 0) {
        for (const std::string& folder : {app.Path(), in.Path(), in.File("open")}) {
            std::filesystem::permissions(folder, std::filesystem::perms::all);
        }
        for (const char* name : {"wavpress-cli", "lame_enc.so"}) {
            std::filesystem::permissions(app.File(name), std::filesystem::perms::owner_all |
                                                             std::filesystem::perms::others_read |
                                                             std::filesystem::perms::others_exec);
        }
        asNobody = [] {
            constexpr uid_t kNobody = 65534;
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
                std::_Exit(99);
            }
        };
    }
    const CliRun run = Run({"--layout", "beside", shut, open}, {}, asNobody);
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find(platform::Format(kOutputOpenFailed, in.File("shut/01.mp3").c_str())),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(std::string("原因: ") + std::strerror(EACCES)), std::string::npos);
    EXPECT_EQ(run.out, "失敗: " + shut + "\n変換済み: " + open + " -> " + in.File("open/01.mp3") +
                           "\n変換済み 1, スキップ 0, 失敗 1, キャンセル 0\n");
    EXPECT_EQ(clitest::FolderEntries(in.File("shut")), (Names{"01.wav"}));
}

TEST_F(WavpressCliTest, AProgramEndedAtOnceLeavesNoFolderItMadeForItsOutputs) {
    std::filesystem::copy_file(platform::ExecutableFolder() + "hanging/lame_enc.so",
                               app.File("lame_enc.so"),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::create_directories(in.File("album/cd1"));
    Wave("album/cd1/01.wav");
    constexpr auto kPatience = std::chrono::seconds(10);
    clitest::Pipe errors;
    clitest::Transcript shown(errors.ReadEnd());
    const CliRun run = Run(
        {"-l", "tree", "-o", out.Path(), in.File("album")},
        [&](int pid) {
            errors.CloseWriteEnd();
            ASSERT_TRUE(shown.WaitFor("beEncodeChunk: stuck", kPatience));
            EXPECT_TRUE(std::filesystem::is_directory(Out("album/cd1")));
            ::kill(pid, SIGTERM);
            ASSERT_TRUE(shown.WaitFor("中断: 残りのファイルもすべてキャンセルします", kPatience));
            ::kill(pid, SIGTERM);
            EXPECT_TRUE(shown.WaitFor("中断: 変換の終わりを待たずに終了します", kPatience));
        },
        [&] { ::dup2(errors.WriteEnd(), STDERR_FILENO); }, kPatience);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
}

} // namespace

namespace {

/// The REPLAYGAIN_* values an output carries.
std::map<std::string, std::string> ReplayGainTexts(const std::string& path) {
    std::map<std::string, std::string> values;
    if (path.ends_with(".mp3")) {
        values = ReadId3v2(ReadFileBytes(path)).userTexts;
    } else {
        for (const std::string& comment : DecodeOgg(path).comments) {
            values[comment.substr(0, comment.find('='))] = comment.substr(comment.find('=') + 1);
        }
    }
    std::erase_if(values, [](const auto& value) { return !value.first.starts_with("REPLAYGAIN_"); });
    return values;
}

// The info frame carries the gains too, in tenths of a dB, as eyeD3 reads them.
void ExpectInfoFrameGains(const std::string& mp3, const std::map<std::string, std::string>& tags) {
    const std::string eyeD3 = testsupport::FindProgram("eyeD3");
    if (eyeD3.empty()) {
        return;
    }
    const std::string report = testsupport::RunExternal(eyeD3, {"--plugin", "lameinfo", mp3}).output;
    for (const auto& [field, tag] : {std::pair{"Radio Replay Gain   : ", "REPLAYGAIN_TRACK_GAIN"},
                                     {"Audiofile Replay Gain: ", "REPLAYGAIN_ALBUM_GAIN"}}) {
        const std::size_t at = report.find(field);
        ASSERT_NE(at, std::string::npos) << report;
        EXPECT_NEAR(std::atof(report.c_str() + at + std::strlen(field)),
                    std::atof(tags.at(tag).c_str()), 0.051)
            << report;
    }
}

} // namespace

// Album values come from libebur128 over the album's inputs together: 16-bit stereo reaches
// the encoders as it is.
TEST_F(WavpressCliTest, ReplayGainAlbumsAreTheFilesOfOneAlbumTextOrElseOfOneFolder) {
    constexpr std::size_t kFrames = kRate * 3;
    const SampleFormat format{SampleEncoding::Integer, 16, 16, 2, kRate, 0};
    const std::map<std::string, double> levels{{"a/loud", 0.5}, {"a/soft", 0.05}, {"b/other", 0.2}};
    std::map<std::string, ebur128_state*> meters;
    for (const auto& [name, level] : levels) {
        std::filesystem::create_directories(in.File(name.substr(0, 1)));
        const auto tones = testsupport::Tones(kRate, kFrames, {440, 660}, {level, level});
        ASSERT_TRUE(testsupport::WriteWave(in.File(name + ".wav"), format, tones));
        meters[name] = ebur128_init(2, kRate, EBUR128_MODE_I);
        std::vector<double> frames;
        for (std::size_t i = 0; i < kFrames; ++i) {
            // As stored: rounded to 16 bits.
            frames.push_back(std::round(tones[0][i] * 32767.0) / 32768.0);
            frames.push_back(std::round(tones[1][i] * 32767.0) / 32768.0);
        }
        ebur128_add_frames_double(meters[name], frames.data(), kFrames);
    }
    double folderA = 0;
    std::vector<ebur128_state*> a{meters["a/loud"], meters["a/soft"]};
    ebur128_loudness_global_multiple(a.data(), a.size(), &folderA);
    double all = 0;
    std::vector<ebur128_state*> every{meters["a/loud"], meters["a/soft"], meters["b/other"]};
    ebur128_loudness_global_multiple(every.data(), every.size(), &all);
    for (auto& [name, meter] : meters) {
        ebur128_destroy(&meter);
    }
    // In the folder tree: the folders made for an album's outputs stay until they have their
    // names.
    const std::string tree = std::filesystem::path(in.Path()).parent_path().filename().string();
    for (const char* type : {"mp3", "ogg"}) {
        for (const bool oneAlbumText : {false, true}) {
            SCOPED_TRACE(std::string(type) + (oneAlbumText ? " album text" : " folders"));
            ClearOut();
            std::vector<std::string> arguments{"-y", "-t",           type,      "-l",
                                               "tree", "--replaygain", "-o", out.Path()};
            if (oneAlbumText) {
                arguments.insert(arguments.end(), {"--album", "同じアルバム"});
            }
            arguments.push_back(in.Path());
            const CliRun run = Run(arguments);
            ASSERT_EQ(run.exitCode, 0) << run.err;
            const auto output = [&](const char* name) {
                return ReplayGainTexts(Out(tree + "/" + name + "." + type));
            };
            const auto loud = output("a/loud");
            const auto soft = output("a/soft");
            const auto other = output("b/other");
            ASSERT_EQ(loud.size(), 4u);
            EXPECT_EQ(loud.at("REPLAYGAIN_ALBUM_GAIN"), soft.at("REPLAYGAIN_ALBUM_GAIN"));
            EXPECT_EQ(loud.at("REPLAYGAIN_ALBUM_PEAK"), loud.at("REPLAYGAIN_TRACK_PEAK"));
            EXPECT_EQ(soft.at("REPLAYGAIN_ALBUM_PEAK"), loud.at("REPLAYGAIN_TRACK_PEAK"));
            EXPECT_NEAR(std::atof(loud.at("REPLAYGAIN_ALBUM_GAIN").c_str()),
                        -18.0 - (oneAlbumText ? all : folderA), 0.006);
            if (type == std::string("mp3") && !oneAlbumText) {
                ExpectInfoFrameGains(Out(tree + "/a/loud.mp3"), loud);
            }
            if (oneAlbumText) {
                EXPECT_EQ(other.at("REPLAYGAIN_ALBUM_GAIN"), loud.at("REPLAYGAIN_ALBUM_GAIN"));
            } else {
                // A folder of one file is an album of one.
                EXPECT_EQ(other.at("REPLAYGAIN_ALBUM_GAIN"), other.at("REPLAYGAIN_TRACK_GAIN"));
                EXPECT_EQ(other.at("REPLAYGAIN_ALBUM_PEAK"), other.at("REPLAYGAIN_TRACK_PEAK"));
            }
        }
    }
}

// The first file of the album waits without a name for the others: killed, nothing is left;
// cancelled as a whole, the album is not complete and the first file has its track values alone.
TEST_F(WavpressCliTest, AnAlbumCutShortLeavesNoFileHalfWrittenAndNoAlbumValues) {
    const std::string first = Wave("first.wav");
    const std::string second = Wave("second.wav", 120.0);
    const std::string third = Wave("third.wav", 120.0);
    for (const int signal : {SIGKILL, SIGINT}) {
        ClearOut();
        clitest::CreationWatch created(out.Path());
        const CliRun run = Run({"-j", "1", "-t", "ogg", "--replaygain", "-o", out.Path(), first,
                                second, third},
                               [&](int pid) {
                                   ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
                                   ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
                                   ::kill(pid, signal);
                                   // The second interrupt, once the third file is being
                                   // written, cancels all.
                                   if (signal == SIGINT) {
                                       ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
                                       ::kill(pid, signal);
                                   }
                               });
        if (signal == SIGKILL) {
            EXPECT_EQ(run.exitCode, -1);
            EXPECT_EQ(clitest::FolderEntries(out.Path()), Names{});
            continue;
        }
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_EQ(VisibleEntries(out.Path()), (Names{"first.ogg"}));
        const auto values = ReplayGainTexts(Out("first.ogg"));
        EXPECT_EQ(values.size(), 2u);
        EXPECT_EQ(values.count("REPLAYGAIN_TRACK_GAIN"), 1u);
    }
}

// Every output of an album stays open until its end: more of them than the descriptors a
// process starts with.
TEST_F(WavpressCliTest, AnAlbumLargerThanTheStartingDescriptorLimitConverts) {
    constexpr std::size_t kFiles = 80;
    std::vector<std::string> arguments{"-t", "ogg", "--replaygain", "-o", out.Path()};
    for (std::size_t file = 0; file < kFiles; ++file) {
        arguments.push_back(Wave(std::to_string(file) + ".wav", 0.05));
    }
    const CliRun run = Run(arguments, {}, [] {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        limit.rlim_cur = 48;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(VisibleEntries(out.Path()).size(), kFiles);
}
