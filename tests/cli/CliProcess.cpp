// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliProcess.h"

#include "support/TempDir.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace clitest {
namespace {

void Redirect(const char* path, int flags, int fd) {
    const int opened = ::open(path, flags, 0600);
    if (opened != fd) {
        ::dup2(opened, fd);
        ::close(opened);
    }
}

int MillisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<std::int64_t>(0, left.count()));
}

} // namespace

CliRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::function<void(int)>& whileRunning,
                  const std::function<void()>& inChild, std::chrono::seconds timeout) {
    CliRun run;
    testsupport::TempDir captures;
    const std::string outPath = captures.File("out");
    const std::string errPath = captures.File("err");
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid < 0) {
        return run;
    }
    if (pid == 0) {
        Redirect("/dev/null", O_RDONLY, STDIN_FILENO);
        Redirect(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        Redirect(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        // As a shell would start it, whatever the test runner ignores.
        ::signal(SIGPIPE, SIG_DFL);
        if (inChild) {
            inChild();
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (whileRunning) {
        whileRunning(pid);
    }
    pollfd ended{pidFd, POLLIN, 0};
    const int timeoutMs =
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(timeout).count());
    if (pidFd < 0 || ::poll(&ended, 1, timeoutMs) <= 0) {
        run.timedOut = true;
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (pidFd >= 0) {
        ::close(pidFd);
    }
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    run.out = testsupport::ReadFileBytes(outPath);
    run.err = testsupport::ReadFileBytes(errPath);
    return run;
}

CreationWatch::CreationWatch(const std::string& folder, bool arrivals)
    : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    if (fd_ >= 0) {
        ::inotify_add_watch(fd_, folder.c_str(), arrivals ? IN_MOVED_TO : IN_OPEN);
    }
}

CreationWatch::~CreationWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool CreationWatch::Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (unclaimed_ == 0) {
        pollfd watched{fd_, POLLIN, 0};
        if (fd_ < 0 || ::poll(&watched, 1, MillisecondsUntil(deadline)) <= 0) {
            return false;
        }
        alignas(inotify_event) char events[4096];
        const ssize_t count = ::read(fd_, events, sizeof events);
        for (ssize_t at = 0; at < count;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events + at);
            // The folder's own openings carry no name.
            if (event->len > 0 && (event->mask & IN_ISDIR) == 0) {
                ++unclaimed_;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    --unclaimed_;
    return true;
}

Pipe::Pipe() {
    ::pipe2(ends_, O_CLOEXEC);
}

Pipe::~Pipe() {
    CloseReadEnd();
    CloseWriteEnd();
}

void Pipe::CloseReadEnd() {
    if (ends_[0] >= 0) {
        ::close(ends_[0]);
        ends_[0] = -1;
    }
}

void Pipe::CloseWriteEnd() {
    if (ends_[1] >= 0) {
        ::close(ends_[1]);
        ends_[1] = -1;
    }
}

PseudoTerminal::PseudoTerminal() {
    if (::openpty(&test_, &program_, nullptr, nullptr, nullptr) == 0) {
        ::fcntl(test_, F_SETFD, FD_CLOEXEC);
        ::fcntl(program_, F_SETFD, FD_CLOEXEC);
    }
}

PseudoTerminal::~PseudoTerminal() {
    CloseProgramSide();
    if (test_ >= 0) {
        ::close(test_);
    }
}

void PseudoTerminal::Attach(std::initializer_list<int> fds) const {
    ::setsid();
    ::ioctl(program_, TIOCSCTTY, 0);
    for (const int fd : fds) {
        ::dup2(program_, fd);
    }
}

void PseudoTerminal::CloseProgramSide() {
    if (program_ >= 0) {
        ::close(program_);
        program_ = -1;
    }
}

void PseudoTerminal::Type(std::string_view text) const {
    [[maybe_unused]] const ssize_t written = ::write(test_, text.data(), text.size());
}

bool Transcript::ReadSome(std::chrono::steady_clock::time_point deadline) {
    pollfd readable{fd_, POLLIN, 0};
    if (::poll(&readable, 1, MillisecondsUntil(deadline)) <= 0) {
        return false;
    }
    char bytes[4096];
    const ssize_t count = ::read(fd_, bytes, sizeof bytes);
    // A terminal whose program side is closed reads EIO: the end, as a pipe's 0.
    if (count <= 0) {
        return false;
    }
    text_.append(bytes, static_cast<std::size_t>(count));
    return true;
}

bool Transcript::WaitFor(std::string_view text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const std::size_t found = text_.find(text, searchFrom_); found != std::string::npos) {
            searchFrom_ = found + text.size();
            return true;
        }
        if (!ReadSome(deadline)) {
            return false;
        }
    }
}

bool Transcript::ReadToEnd(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ReadSome(deadline)) {
    }
    return std::chrono::steady_clock::now() < deadline;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> VisibleEntries(const std::string& folder) {
    std::vector<std::string> names = FolderEntries(folder);
    std::erase_if(names, [](const std::string& name) { return name.starts_with('.'); });
    return names;
}

} // namespace clitest
