#include "CliProcess.h"

#include "platform/CodePage.h"
#include "platform/File.h"
#include "platform/Paths.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLifecycle.h"
#include "support/Mp3Decoder.h"
#include "support/OggDecoder.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace {

using clitest::CliRun;
using testsupport::ReadFileBytes;

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
               const std::function<void(int)>& whileRunning = {}) {
        return clitest::RunProgram(app.File("wavpress-cli"), arguments, whileRunning);
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
}

TEST_F(WavpressCliTest, UsageErrorsExitWithTwoAndConvertNothing) {
    const std::string wave = Wave("a.wav");
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus", wave},           {"-x", wave},
        {"-t", "wav", wave},         {"-t"},
        {"--genre", "rock", wave},   {"-p", "one", wave},
        {"-p", "99999999999", wave}, {"-o", in.File("missing/"), wave},
        {"--quiet=1", wave},         {"-o", out.Path()},
    };
    for (const auto& arguments : cases) {
        const CliRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments[0];
        EXPECT_EQ(run.err.rfind("wavpress-cli: ", 0), 0u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
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

TEST_F(WavpressCliTest, Mp3GetsTheTagWithTextsCutToTheirFields) {
    const std::string a = Wave("a.wav");
    const std::string longTitle = "あいうえおかきくけこさしすせそた"; // 16 characters, 32 bytes
    const CliRun run = Run({"-t", "mp3", "-o", out.Path(), "--title", longTitle, "--year", "20245",
                            "--genre", "Synthpop", a});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("--title"), std::string::npos);
    EXPECT_NE(run.err.find("--year"), std::string::npos);

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

TEST_F(WavpressCliTest, RefusedFilesAreReportedSkippedAndCounted) {
    const std::string good = Wave("good.wav");
    const std::string upper = Wave("UPPER.WAV");
    const std::string mono = Wave("mono.wav", 0.3, 1);
    const std::string missing = in.File("missing.wav");
    const CliRun run = Run({"-t", "ogg", "-o", out.Path(), upper, good, mono, missing});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("wavpress-cli: " + upper + ": 拡張子が .wav (小文字) ではありません\n"),
              std::string::npos);
    EXPECT_NE(
        run.err.find("wavpress-cli: " + mono +
                     ": 16bit ステレオ 32000Hz/44100Hz/48000Hz の WAVE ファイルとして読めません\n"),
        std::string::npos);
    EXPECT_NE(run.err.find("wavpress-cli: " + missing + ": ファイルがありません\n"),
              std::string::npos);
    EXPECT_EQ(run.out, "スキップ: " + upper + "\n変換済み: " + good + " -> " + Out("good.ogg") +
                           "\nスキップ: " + mono + "\nスキップ: " + missing +
                           "\n変換済み 1, スキップ 3, 失敗 0, キャンセル 0\n");
}

TEST_F(WavpressCliTest, NoUsableFileIsARefusedStart) {
    const CliRun run = Run({"-o", out.Path(), Wave("a.WAV")});
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

TEST_F(WavpressCliTest, InterruptCancelsTheCurrentFileAndTheBatchGoesOn) {
    const std::string longWave = Wave("long.wav", 120.0);
    const std::string shortWave = Wave("short.wav");
    clitest::CreationWatch created(out.Path());
    const CliRun run = Run({"-t", "ogg", "-o", out.Path(), longWave, shortWave}, [&](int pid) {
        ASSERT_TRUE(created.Wait(std::chrono::seconds(30)));
        ::kill(pid, SIGINT);
    });
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "キャンセル: " + longWave + "\n変換済み: " + shortWave + " -> " +
                           Out("short.ogg") + "\n変換済み 1, スキップ 0, 失敗 0, キャンセル 1\n");
    EXPECT_FALSE(platform::FileExists(Out("long.ogg")));
}

TEST_F(WavpressCliTest, SecondInterruptWithinTwoSecondsCancelsAll) {
    const std::string first = Wave("first.wav", 120.0);
    const std::string second = Wave("second.wav", 120.0);
    const std::string third = Wave("third.wav");
    clitest::CreationWatch created(out.Path());
    const CliRun run = Run({"-t", "ogg", "-o", out.Path(), first, second, third}, [&](int pid) {
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

} // namespace
