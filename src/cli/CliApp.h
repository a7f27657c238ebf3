// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/EncodeBatch.h"
#include "cli/CommandLine.h"
#include "cli/EventLoop.h"
#include "cli/TerminalOutput.h"
#include "cli/TerminalView.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

/// wavpress-cli: the settings beside the program, the options over them, the files taken as
/// the file list takes them, and the batch run on a terminal.
class CliApp : public EventLoop::Handler {
public:
    /// Exit statuses.
    static constexpr int kExitConverted = 0;
    static constexpr int kExitNotAllConverted = 1;
    static constexpr int kExitUsage = 2;
    /// The text asked for (help, version, settings) could not be written to stdout.
    static constexpr int kExitNotWritten = 1;

    CliApp();

    int Run(int argc, char** argv);

    void OnEvent(EventLoop::Event event) override;
    void OnTimer() override;

private:
    /// One input (a file named on the command line or found in a folder named there) and the
    /// item it became, if any.
    struct Argument {
        std::string Path;
        std::optional<std::size_t> Item;
    };

    int Convert(const CliOptions& options, EncodeSettings& settings);
    /// Runs the batch with up to jobs jobs at once.
    void RunBatch(const ConversionBatch& batch, std::size_t jobs);
    /// Ctrl-C, SIGTERM or SIGHUP, at a question or while jobs run.
    void OnSignal(EventLoop::Event event, bool atQuestion);
    /// Says why an input was not taken: the test it failed, as TakeWaveFile found it.
    void ReportRefusal(const std::string& path, const WaveFileCheck& check);
    /// Says why a folder gave no input, and counts it as an input not converted.
    void ReportFolder(const std::string& folder, const char* reason, int error);
    void PrintSummary(const std::vector<BatchItemReport>& reports) const;
    void CancelAll();
    /// Ends the process without waiting for a job that may never return.
    [[noreturn]] void EndAtOnce();
    /// Writes text to stdout (escaped on a terminal); false, with errno set, when it failed.
    bool WriteStdout(const std::string& text) const;
    int ReportStdoutFailure();

    TerminalOutput output_;
    const bool stdoutIsTerminal_;
    EventLoop loop_;
    /// The batch that runs and its view.
    EncodeBatch* batch_ = nullptr;
    TerminalView* view_ = nullptr;
    bool quiet_ = false;
    std::vector<Argument> arguments_;
    std::vector<BatchItemReport> results_;
    std::optional<std::chrono::steady_clock::time_point> lastInterrupt_;
    bool allCancelled_ = false;
};
