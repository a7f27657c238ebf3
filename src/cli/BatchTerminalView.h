#pragma once

#include "batch/EncodeBatch.h"
#include "batch/IBarView.h"
#include "batch/IEncodeBatchView.h"
#include "cli/EventLoop.h"
#include "cli/TerminalOutput.h"
#include "cli/TerminalQuestions.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

/// A batch running several jobs at once, on a terminal: below what has been written, one line
/// per running file (its name, a bar and the percentage) and one line for the whole batch
/// (files done of all, the percentage of all the audio, the elapsed time and the time expected
/// to be left), redrawn in place at most ten times a second; a finished file leaves its last
/// line. Without a terminal, one line per finished file. The questions are asked as
/// TerminalQuestions asks them, with the lines taken away meanwhile; the end event is carried
/// by the event loop.
class BatchTerminalView : public IEncodeBatchView, public IBarView {
public:
    /// quiet: no progress at all. stdinIsTerminal: questions can be asked.
    BatchTerminalView(TerminalOutput& output, EventLoop& loop, bool quiet, bool stdinIsTerminal);

    /// The batch whose jobs are shown and the audio bytes of each of its items. Set before the
    /// batch starts: the clock and the one-second timer start here.
    void SetBatch(const EncodeBatch& batch, std::vector<std::uint64_t> audioBytes);
    /// See TerminalQuestions::SetInterruptHandler.
    void SetInterruptHandler(std::function<void(EventLoop::Event)> handler) {
        questions_.SetInterruptHandler(std::move(handler));
    }
    /// The one-second tick: the times move on even while no bar does.
    void OnTimer();
    /// The result the batch ended with; 0 while it runs.
    int Result() const { return result_; }

    void ItemTaken(std::size_t index, const std::string& inPath,
                   const std::string& outPath) override;
    void OutputChosen(std::size_t index, const std::string& outPath) override;
    void JobStarted(std::size_t slot, std::size_t index) override;
    void ItemFinished(std::size_t index, std::optional<std::size_t> slot) override;
    void EndBatch(int result) override;
    platform::MessageAnswer Ask(const platform::MessageRequest& question) override;
    int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                  std::string& chosenPath) override;
    void PostEncodeEnd() override;

    /// From the jobs' worker threads after every chunk.
    void Redraw() override;

    /// The batch line: "全体 done/total", the bar of doneBytes of totalBytes, the elapsed time
    /// and the time left ("--:--" while unknown).
    static std::string BatchText(std::size_t done, std::size_t total, std::uint64_t doneBytes,
                                 std::uint64_t totalBytes, std::uint32_t elapsedSeconds,
                                 std::optional<std::uint32_t> leftSeconds, std::size_t barWidth);

private:
    using Clock = std::chrono::steady_clock;

    /// What is shown of a slot's job.
    struct Running {
        bool active = false;
        std::size_t index = 0;
        std::string name; ///< the input's file name as shown
        std::string inPath;
        std::string outPath;
        Clock::time_point started;
        // The bar as the job found it: until it differs, the values are the last job's.
        std::uint64_t startPos = 0;
        std::uint64_t startUpper = 0;
        bool fresh = false;
    };

    /// The bytes the slot's job has done of its item, and of how many.
    std::pair<std::uint64_t, std::uint64_t> ProgressLocked(std::size_t slot);
    std::string FileLineLocked(std::size_t slot, std::size_t nameWidth, std::size_t barWidth);
    void DrawLocked();
    /// True when a redraw is due, claiming it: at most ten a second.
    bool TakeDrawTurn();
    void DrawIfDue();
    bool Shows() const;

    TerminalOutput& output_;
    EventLoop& loop_;
    const bool quiet_;
    TerminalQuestions questions_;
    const EncodeBatch* batch_ = nullptr;
    std::vector<std::uint64_t> audioBytes_;
    std::uint64_t totalBytes_ = 0;
    Clock::time_point started_;

    std::mutex mutex_;
    std::vector<Running> running_;
    std::size_t itemsDone_ = 0;
    std::uint64_t doneBytes_ = 0;    ///< audio of the finished items, whatever became of them
    std::uint64_t encodedBytes_ = 0; ///< audio the finished jobs went through
    bool asking_ = false;
    bool ended_ = false;
    std::atomic<std::int64_t> lastDraw_{0};
    int result_ = 0;
};
