#pragma once

#include "batch/CEncodeDlg.h"
#include "cli/CommandLine.h"
#include "cli/EventLoop.h"
#include "cli/TerminalOutput.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

/// wavpress-cli: the settings beside the program, the options over them, the files taken as
/// the file list takes them, and the batch run by CEncodeDlg on a terminal.
class CliApp : public EventLoop::Handler {
public:
    /// Exit statuses.
    static constexpr int kExitConverted = 0;
    static constexpr int kExitNotAllConverted = 1;
    static constexpr int kExitUsage = 2;

    CliApp();

    int Run(int argc, char** argv);

    void OnEvent(EventLoop::Event event) override;
    void OnTimer() override;

private:
    /// One file named on the command line and the item it became, if any.
    struct Argument {
        std::string Path;
        std::optional<std::size_t> Item;
    };

    int Convert(const CliOptions& options, EncodeSettings& settings);
    void PrintSummary(const std::vector<Argument>& arguments,
                      const std::vector<BatchItemReport>& reports) const;

    TerminalOutput output_;
    EventLoop loop_;
    CEncodeDlg* dialog_ = nullptr;
    std::optional<std::chrono::steady_clock::time_point> lastInterrupt_;
};
