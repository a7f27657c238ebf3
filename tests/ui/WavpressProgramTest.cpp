// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Paths.h"
#include "settings/PresetFile.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsFolder.h"
#include "settings/SettingsLifecycle.h"
#include "support/ScopedVariable.h"
#include "support/TempDir.h"
#include "support/WaveWriter.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kTimeoutMs = 30000;

/// Events on the files of one folder, by file name.
class FolderWatch {
public:
    FolderWatch(const std::string& folder, std::uint32_t mask)
        : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
        ::inotify_add_watch(fd_, folder.c_str(), mask);
    }
    ~FolderWatch() { ::close(fd_); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    /// Waits until name has had the event; false after the timeout.
    bool WaitFor(const std::string& name, std::uint32_t event) {
        while (Count(name, event) == 0) {
            pollfd readable{fd_, POLLIN, 0};
            if (::poll(&readable, 1, kTimeoutMs) <= 0) {
                return false;
            }
            Read();
        }
        return true;
    }

    int Count(const std::string& name, std::uint32_t event) {
        Read();
        return seen_[{name, event}];
    }

private:
    void Read() {
        alignas(inotify_event) char buffer[4096];
        ssize_t length = 0;
        while ((length = ::read(fd_, buffer, sizeof buffer)) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                if (event->len > 0) {
                    for (std::uint32_t bit = 1; bit != 0; bit <<= 1) {
                        if ((event->mask & bit) != 0) {
                            ++seen_[{std::string(event->name), bit}];
                        }
                    }
                }
                at += sizeof(inotify_event) + event->len;
            }
        }
    }

    int fd_;
    std::map<std::pair<std::string, std::uint32_t>, int> seen_;
};

// The settings as the program wrote them on its way out: the three sections as loaded, then
// the shown window's place and size.
void ExpectSettingsAndWindow(const std::string& path, const EncodeSettings& expected) {
    const std::string written = testsupport::ReadFileBytes(path);
    const std::string settings = RenderSettings(expected);
    EXPECT_EQ(written.substr(0, settings.size()), settings);
    EXPECT_EQ(written.substr(settings.size()).rfind("[Window]\r\n", 0), 0u) << written;
}

/// The window program copied into a folder of its own, which is then its settings folder.
class WavpressProgramTest : public ::testing::Test {
protected:
    WavpressProgramTest() {
        for (const char* name : {"wavpress", "lame_enc.so"}) {
            std::filesystem::copy_file(platform::ExecutableFolder() + name, app.File(name));
        }
    }

    /// Starts the program with its output thrown away; -1 when it could not be started.
    pid_t Start(std::vector<std::string> arguments = {}) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::string program = app.File("wavpress");
        std::vector<char*> argv{program.data()};
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    /// The exit status, or -1 when it did not exit by itself in time (it is then killed).
    static int AwaitExit(pid_t pid) {
        const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        pollfd ended{pidFd, POLLIN, 0};
        const bool exited = pidFd >= 0 && ::poll(&ended, 1, kTimeoutMs) > 0;
        if (!exited) {
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(pidFd);
        return exited && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    testsupport::TempDir app;
};

class EndSignalTest : public WavpressProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(EndSignalTest, EndsOnTheSignalWithItsSettingsWrittenOnce) {
    // Files as written by hand: the program writes them back whole, in its own form.
    ASSERT_TRUE(testsupport::WriteFileBytes(app.File("opt.ini"),
                                            "[OutFolder]\n\tOutFolder=/music\n\tEncodeType=1\n"));
    ASSERT_TRUE(
        testsupport::WriteFileBytes(app.File("preset.ini"), "[Preset1]\nName=FM\nBitrate=96\n"));
    EncodeSettings expected;
    LoadStartupSettings(app.Path(), expected);

    FolderWatch watch(app.Path(), IN_CLOSE_NOWRITE | IN_MOVED_TO);
    const pid_t pid = Start();
    ASSERT_GT(pid, 0);
    // Once it has read its settings it is running, with the signals caught.
    ASSERT_TRUE(watch.WaitFor("opt.ini", IN_CLOSE_NOWRITE));
    ::kill(pid, GetParam());
    ::kill(pid, GetParam() == SIGTERM ? SIGHUP : SIGTERM);
    EXPECT_EQ(AwaitExit(pid), 0);

    EXPECT_EQ(watch.Count("opt.ini", IN_MOVED_TO), 1);
    EXPECT_EQ(watch.Count("preset.ini", IN_MOVED_TO), 1);
    ExpectSettingsAndWindow(app.File("opt.ini"), expected);
    EXPECT_EQ(testsupport::ReadFileBytes(app.File("preset.ini")), RenderPresets(expected.Presets));
}

INSTANTIATE_TEST_SUITE_P(EndSignals, EndSignalTest, ::testing::Values(SIGTERM, SIGHUP, SIGINT),
                         [](const ::testing::TestParamInfo<int>& signal) {
                             return std::string(sigabbrev_np(signal.param));
                         });

TEST_F(WavpressProgramTest, InstalledItTakesItsFileArgumentsAndKeepsSettingsInTheUserFolder) {
    const testsupport::TempDir config;
    const testsupport::ScopedVariable configHome("XDG_CONFIG_HOME", config.Path().c_str());
    ASSERT_TRUE(testsupport::WriteFileBytes(app.File(kInstalledMarkerName), ""));
    ASSERT_TRUE(testsupport::WriteWave(app.File("take.wav"), {}, std::vector<std::int16_t>(64)));
    EncodeSettings expected;
    expected.ApplyFirstStartDefaults();

    FolderWatch watch(app.Path(), IN_CLOSE_NOWRITE);
    const pid_t pid = Start({app.File("take.wav")});
    ASSERT_GT(pid, 0);
    // The list reads the file named on the command line once the window is built.
    ASSERT_TRUE(watch.WaitFor("take.wav", IN_CLOSE_NOWRITE));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(AwaitExit(pid), 0);

    ExpectSettingsAndWindow(config.File("wavpress/opt.ini"), expected);
    EXPECT_FALSE(std::filesystem::exists(app.File("opt.ini")));
}

} // namespace
