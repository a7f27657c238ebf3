// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EndSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

std::atomic<int> signalPipe{-1};

extern "C" void PostEndSignal(int) {
    const int savedErrno = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const char byte = 'e';
        // A full pipe already holds an unread request.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    signalPipe.store(writeFd_);
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndSignals::OnReadable);

    struct sigaction action {};
    action.sa_handler = PostEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int endSignal : kEndSignals) {
        sigaction(endSignal, &action, nullptr);
    }
}

EndSignals::~EndSignals() {
    if (readFd_ < 0) {
        return;
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (const int endSignal : kEndSignals) {
        sigaction(endSignal, &ignore, nullptr);
    }
    signalPipe.store(-1);
    ::close(readFd_);
    ::close(writeFd_);
}

void EndSignals::OnReadable() {
    // Several signals that arrived together are one request.
    char bytes[64];
    while (::read(readFd_, bytes, sizeof bytes) > 0) {
    }
    Q_EMIT EndRequested();
}
