#include "TerminalOutput.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

int TerminalOutput::Columns() const {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

void TerminalOutput::Write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

void TerminalOutput::ClearStatusLocked() {
    if (statusShown_) {
        Write("\r\033[K");
        statusShown_ = false;
    }
}

void TerminalOutput::PrintLine(std::string_view text) {
    std::lock_guard lock(mutex_);
    ClearStatusLocked();
    std::string line(text);
    line.push_back('\n');
    Write(line);
}

void TerminalOutput::Prompt(std::string_view text) {
    std::lock_guard lock(mutex_);
    ClearStatusLocked();
    Write(text);
}

void TerminalOutput::ShowStatus(std::string_view line) {
    if (!isTerminal_) {
        return;
    }
    std::lock_guard lock(mutex_);
    std::string text("\r");
    text.append(line);
    text.append("\033[K");
    Write(text);
    statusShown_ = true;
}

void TerminalOutput::EndStatus() {
    std::lock_guard lock(mutex_);
    if (statusShown_) {
        Write("\n");
        statusShown_ = false;
    }
}

std::size_t DisplayWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            ++width;
        } else if ((byte & 0xC0) != 0x80) {
            width += 2;
        }
    }
    return width;
}
