// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

/// Everything the program writes to stderr, from any thread: plain lines, and on a terminal
/// a block of status lines that is redrawn in place and cleared before any other line. On a
/// terminal control characters are shown escaped, so that no text can drive the terminal. A write
/// that fails (a reader gone, a terminal hung up) is dropped: it never stops the program.
class TerminalOutput {
public:
    /// isTerminal: stderr is a terminal, so the status line may be redrawn in place.
    explicit TerminalOutput(bool isTerminal) : isTerminal_(isTerminal) {}

    bool IsTerminal() const { return isTerminal_; }
    /// The terminal's width in columns (80 when unknown).
    int Columns() const;

    /// A name (a path, a tag text) as it is to be shown: on a terminal with every control
    /// character escaped, line breaks included.
    std::string Shown(std::string_view name) const;

    /// Writes text and a line end, below the status line's place.
    void PrintLine(std::string_view text);
    /// Writes text with no line end, for a question's prompt.
    void Prompt(std::string_view text);
    /// Replaces the status line (a terminal only).
    void ShowStatus(std::string_view line);
    /// Replaces the status block with these lines (a terminal only); each must fit the width.
    void ShowStatus(const std::vector<std::string>& lines);
    /// Leaves the status block as it stands and goes to a new line.
    void EndStatus();

private:
    void ClearStatusLocked();
    /// Our own texts on a terminal: controls escaped, their line breaks and tabs kept.
    std::string Visible(std::string_view text) const;
    static void Write(std::string_view text);

    std::mutex mutex_;
    const bool isTerminal_;
    std::size_t statusLines_ = 0;
};

/// The width a terminal gives text: two columns for each character outside ASCII.
std::size_t DisplayWidth(std::string_view utf8);

/// The longest start of utf8 that is at most width columns wide, cut between characters.
std::string_view CutToWidth(std::string_view utf8, std::size_t width);

/// The line that gives the system's reason for a failure: "原因: " and its text.
std::string ReasonLine(int systemError);
