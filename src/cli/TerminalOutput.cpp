// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalOutput.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
#include <unistd.h>

int TerminalOutput::Columns() const {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
}

std::string TerminalOutput::Shown(std::string_view name) const {
    return isTerminal_ ? platform::EscapeControls(name, false) : std::string(name);
}

std::string TerminalOutput::Visible(std::string_view text) const {
    return isTerminal_ ? platform::EscapeControls(text, true) : std::string(text);
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
    if (statusLines_ == 0) {
        return;
    }
    // From the end of the block's last line up to the start of its first, clearing each.
    std::string clear("\r\033[K");
    for (std::size_t line = 1; line < statusLines_; ++line) {
        clear.append("\033[A\033[K");
    }
    Write(clear);
    statusLines_ = 0;
}

void TerminalOutput::PrintLine(std::string_view text) {
    std::string line = Visible(text);
    line.push_back('\n');
    std::lock_guard lock(mutex_);
    ClearStatusLocked();
    Write(line);
}

void TerminalOutput::Prompt(std::string_view text) {
    const std::string prompt = Visible(text);
    std::lock_guard lock(mutex_);
    ClearStatusLocked();
    Write(prompt);
}

void TerminalOutput::ShowStatus(std::string_view line) {
    if (!isTerminal_) {
        return;
    }
    std::string text("\r");
    text.append(platform::EscapeControls(line, false));
    text.append("\033[K");
    std::lock_guard lock(mutex_);
    if (statusLines_ > 1) {
        ClearStatusLocked();
    }
    Write(text);
    statusLines_ = 1;
}

void TerminalOutput::ShowStatus(const std::vector<std::string>& lines) {
    if (!isTerminal_ || lines.empty()) {
        return;
    }
    std::string text;
    for (const std::string& line : lines) {
        text.append(text.empty() ? "" : "\n");
        text.append(platform::EscapeControls(line, false));
    }
    std::lock_guard lock(mutex_);
    ClearStatusLocked();
    Write(text);
    statusLines_ = lines.size();
}

void TerminalOutput::EndStatus() {
    std::lock_guard lock(mutex_);
    if (statusLines_ > 0) {
        Write("\n");
        statusLines_ = 0;
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

std::string_view CutToWidth(std::string_view utf8, std::size_t width) {
    std::size_t used = 0;
    std::size_t end = 0;
    while (end < utf8.size()) {
        const std::size_t length =
            std::max<std::size_t>(1, platform::Utf8CharLength(utf8.substr(end)));
        const std::size_t columns = static_cast<unsigned char>(utf8[end]) < 0x80 ? 1 : 2;
        if (used + columns > width) {
            break;
        }
        used += columns;
        end += length;
    }
    return utf8.substr(0, end);
}

std::string ReasonLine(int systemError) {
    char buffer[256];
    // The GNU strerror_r: thread-safe, and it may return a static text instead of the buffer.
    return std::string("原因: ") + ::strerror_r(systemError, buffer, sizeof buffer);
}
