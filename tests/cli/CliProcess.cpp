#include "CliProcess.h"

#include "support/TempDir.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace clitest {

CliRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::function<void(int)>& whileRunning, std::chrono::seconds timeout) {
    CliRun run;
    testsupport::TempDir captures;
    const std::string outPath = captures.File("out");
    const std::string errPath = captures.File("err");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return run;
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

CreationWatch::CreationWatch(const std::string& folder)
    : fd_(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
    if (fd_ >= 0) {
        ::inotify_add_watch(fd_, folder.c_str(), IN_CREATE);
    }
}

CreationWatch::~CreationWatch() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool CreationWatch::Wait(std::chrono::milliseconds timeout) {
    pollfd watched{fd_, POLLIN, 0};
    if (fd_ < 0 || ::poll(&watched, 1, static_cast<int>(timeout.count())) <= 0) {
        return false;
    }
    // Consumed, so that the next Wait waits for the next file.
    alignas(inotify_event) char events[4096];
    while (::read(fd_, events, sizeof events) > 0) {
    }
    return true;
}

} // namespace clitest
