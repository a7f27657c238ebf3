#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/IBarView.h"
#include "batch/IEncodeDlgView.h"
#include "cli/EventLoop.h"
#include "cli/TerminalOutput.h"
#include "cli/TerminalQuestions.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

/// The conversion progress dialog on a terminal: the paths as lines, the bar and the time
/// label as one status line (redrawn in place on a terminal, one line per file otherwise),
/// the questions asked on the terminal, and the end event carried by the event loop.
class TerminalView : public IEncodeDlgView, public IBarView {
public:
    /// quiet: no progress at all. stdinIsTerminal: questions can be asked; without it an
    /// existing output is kept.
    TerminalView(TerminalOutput& output, EventLoop& loop, bool quiet, bool stdinIsTerminal);

    /// The bar whose values are drawn; set before the first job.
    void SetBar(const CProgressBarEx* bar) { bar_ = bar; }
    /// See TerminalQuestions::SetInterruptHandler.
    void SetInterruptHandler(std::function<void(EventLoop::Event)> handler) {
        questions_.SetInterruptHandler(std::move(handler));
    }
    /// The result the dialog ended with; 0 while it runs.
    int Result() const { return result_; }

    void SetInputText(const std::string& text) override;
    void SetOutputText(const std::string& text) override;
    void SetTimeText(const std::string& text) override;
    void StartTimer(unsigned periodMilliseconds) override;
    void StopTimer() override;
    void EndDialog(int result) override;
    platform::MessageAnswer Ask(const platform::MessageRequest& question) override;
    int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                  std::string& chosenPath) override;
    void PostEncodeEnd() override;

    /// From the job's worker thread after every chunk; at most ten redraws a second reach the
    /// terminal, and the last chunk's always does.
    void Redraw() override;

    /// The status line's text for a bar of the given width: "[###...] nn%  " and the time.
    static std::string StatusText(std::uint64_t position, std::uint64_t upper,
                                  const std::string& time, std::size_t barWidth);
    /// The bar alone: "[###...] nn%", the percentage right-aligned in three columns.
    static std::string BarText(std::uint64_t position, std::uint64_t upper, std::size_t barWidth);

private:
    void DrawStatus();

    TerminalOutput& output_;
    EventLoop& loop_;
    const bool quiet_;
    TerminalQuestions questions_;
    const CProgressBarEx* bar_ = nullptr;
    std::string input_;
    bool inputShown_ = false;
    std::string outputPath_;
    std::mutex timeMutex_;
    std::string time_;
    std::atomic<bool> jobShown_{false};
    std::atomic<std::int64_t> lastDraw_{0};
    std::atomic<bool> fullShown_{false};
    int result_ = 0;
};
