// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliApp.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A standard descriptor the caller closed would be handed to the next file we open (the event
// loop's pipe, an output), and our own messages would be written into it.
bool OpenClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free descriptor: every one below fd is open by now.
        if (::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY) != fd) {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (!OpenClosedStandardDescriptors()) {
        return CliApp::kExitUsage;
    }
    // A reader that went away, or a file-size limit, makes the write fail instead of killing the
    // process half-way through a file; the failure is handled where the write was.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    CliApp app;
    return app.Run(argc, argv);
}
