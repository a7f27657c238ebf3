#pragma once

#include <mutex>
#include <string>
#include <string_view>

/// Everything the program writes to stderr, from any thread: plain lines, and on a terminal
/// one status line that is redrawn in place and cleared before any other line.
class TerminalOutput {
public:
    /// isTerminal: stderr is a terminal, so the status line may be redrawn in place.
    explicit TerminalOutput(bool isTerminal) : isTerminal_(isTerminal) {}

    bool IsTerminal() const { return isTerminal_; }
    /// The terminal's width in columns (80 when unknown).
    int Columns() const;

    /// Writes text and a line end, below the status line's place.
    void PrintLine(std::string_view text);
    /// Writes text with no line end, for a question's prompt.
    void Prompt(std::string_view text);
    /// Replaces the status line (a terminal only).
    void ShowStatus(std::string_view line);
    /// Leaves the status line as it stands and goes to a new line.
    void EndStatus();

private:
    void ClearStatusLocked();
    static void Write(std::string_view text);

    std::mutex mutex_;
    const bool isTerminal_;
    bool statusShown_ = false;
};

/// The width a terminal gives text: two columns for each character outside ASCII.
std::size_t DisplayWidth(std::string_view utf8);
