// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProcess.h"

#include "encoders/JobMessages.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "support/Mp3Decoder.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

using clitest::CliRun;
using testsupport::ReadFileBytes;
using Names = std::vector<std::string>;

constexpr std::uint32_t kRate = 44100;
constexpr std::uint64_t kHeaderBytes = 44;

// The read position of pid's descriptor on path while it is under way in the audio (past the
// header, short of the end), or 0: the probe that checks the file first reads only the header.
std::uint64_t AudioReadPosition(int pid, const std::string& path, std::uint64_t size) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
        if (std::filesystem::read_symlink(entry.path(), error) != path) {
            continue;
        }
        std::ifstream info("/proc/" + std::to_string(pid) + "/fdinfo/" +
                           entry.path().filename().string());
        std::string key;
        std::uint64_t position = 0;
        if (info >> key >> position && key == "pos:" && position > kHeaderBytes &&
            position < size) {
            return position;
        }
    }
    return 0;
}

// Changes path while pid reads its audio: on each read of it, pid is held and looked at; once
// its job is reading the audio, change(position) runs before pid goes on. False when that did
// not happen before the deadline.
bool ChangeWhileRead(int pid, const std::string& path,
                     const std::function<void(std::uint64_t)>& change, int watch) {
    const std::uint64_t size = std::filesystem::file_size(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd watched{watch, POLLIN, 0};
        if (::poll(&watched, 1, 1000) <= 0) {
            continue;
        }
        alignas(inotify_event) char events[4096];
        if (::read(watch, events, sizeof events) <= 0) {
            continue;
        }
        ::kill(pid, SIGSTOP);
        const std::uint64_t position = AudioReadPosition(pid, path, size);
        if (position != 0) {
            change(position);
        }
        ::kill(pid, SIGCONT);
        if (position != 0) {
            return true;
        }
    }
    return false;
}

/// The program copied into a folder of its own with the engine library.
class ChangingAndLinkedInputsTest : public ::testing::Test {
protected:
    ChangingAndLinkedInputsTest() {
        for (const char* name : {"wavpress-cli", "lame_enc.so"}) {
            const std::filesystem::path to = app.File(name);
            std::filesystem::copy_file(platform::ExecutableFolder() + name, to);
            std::filesystem::permissions(to, std::filesystem::perms::owner_all);
        }
    }

    CliRun Run(const std::vector<std::string>& arguments,
               const std::function<void(int)>& whileRunning = {}) {
        return clitest::RunProgram(app.File("wavpress-cli"), arguments, whileRunning);
    }

    std::string Wave(const std::string& name, std::size_t frames) {
        const std::string path = in.File(name);
        EXPECT_TRUE(testsupport::WriteWave(path, {}, SwellingStereo(kRate, frames)));
        return path;
    }

    testsupport::TempDir app;
    testsupport::TempDir in;
    testsupport::TempDir out;
};

// A job encodes the audio the input held when it was opened: a file cut short meanwhile is a
// read failure that leaves no output; one that grows is converted to its first length.
TEST_F(ChangingAndLinkedInputsTest, AnInputChangedWhileReadIsReadToItsFirstLengthOrFails) {
    constexpr std::size_t kFrames = 10 * kRate;
    const struct {
        const char* name;
        bool shrinks;
    } cases[] = {{"shrinks", true}, {"grows", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string input = Wave(std::string(c.name) + ".wav", kFrames);
        const std::string output = out.File(std::string(c.name) + ".mp3");
        const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        ASSERT_GE(watch, 0);
        ::inotify_add_watch(watch, input.c_str(), IN_OPEN | IN_ACCESS);
        bool changed = false;
        const auto change = [&](std::uint64_t position) {
            if (c.shrinks) {
                std::filesystem::resize_file(input, position);
            } else {
                std::ofstream(input, std::ios::app | std::ios::binary)
                    << std::string(4 * kRate, '\x40');
            }
        };
        const CliRun run =
            Run({"-j", "1", "--no-wave-tags", "-o", out.Path(), input},
                [&](int pid) { changed = ChangeWhileRead(pid, input, change, watch); });
        ::close(watch);
        ASSERT_TRUE(changed) << "the job was never seen reading the audio";
        if (c.shrinks) {
            EXPECT_EQ(run.exitCode, 1) << run.err;
            EXPECT_EQ(run.out,
                      "失敗: " + input + "\n変換済み 0, スキップ 0, 失敗 1, キャンセル 0\n");
            EXPECT_NE(run.err.find("エラー: " + platform::Format(kInputReadFailed, input.c_str())),
                      std::string::npos)
                << run.err;
            EXPECT_FALSE(std::filesystem::exists(output));
        } else {
            EXPECT_EQ(run.exitCode, 0) << run.err;
            const DecodedMp3 decoded = DecodeMp3(output);
            ASSERT_TRUE(decoded.opened);
            EXPECT_EQ(decoded.samples[0].size(), kFrames);
        }
    }
    EXPECT_EQ(clitest::FolderEntries(out.Path()), (Names{"grows.mp3"}));
}

// An output linked to another input of the batch is refused before anything is written; that
// input keeps its bytes and converts in its turn. Beside the inputs the link lies among them.
TEST_F(ChangingAndLinkedInputsTest, AnOutputLinkedToAnotherInputIsRefused) {
    const std::string first = Wave("a.wav", kRate / 2);
    const std::string second = Wave("b.wav", kRate / 2);
    const std::string bytes = ReadFileBytes(second);
    const std::string inFolder = std::filesystem::path(first).parent_path().string() + "/";
    for (const char* layout : {"flat", "beside"}) {
        SCOPED_TRACE(layout);
        const std::string outFolder = layout == std::string("flat") ? out.Path() : inFolder;
        const std::string linked = outFolder + "a.mp3";
        std::filesystem::create_symlink(second, linked);
        const CliRun run = Run({"-y", "-j", "1", "-l", layout, "-o", out.Path(), first, second});
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_EQ(run.out, "失敗: " + first + "\n変換済み: " + second + " -> " + outFolder +
                               "b.mp3\n変換済み 1, スキップ 0, 失敗 1, キャンセル 0\n");
        EXPECT_NE(run.err.find("エラー: " +
                               platform::Format(kOutputIsInput, linked.c_str(), second.c_str())),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(ReadFileBytes(second), bytes);
        EXPECT_TRUE(std::filesystem::is_symlink(linked));
        EXPECT_TRUE(DecodeMp3(outFolder + "b.mp3").opened);
        std::filesystem::remove(linked);
        std::filesystem::remove(outFolder + "b.mp3");
    }
}

} // namespace
