// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

/// A batch on a terminal, with one job at a time or several: each file's input and output path
/// as its job starts, then its line (name, bar, percentage, elapsed time and time left) redrawn
/// in place while it runs and left as it ended; below the running files, when the batch has
/// more than one item, a line for the whole batch (files done of all, the percentage of all the
/// audio, elapsed time and time left). At most ten redraws a second; the times move on every
/// second. Without a terminal, one line per finished file. The questions are asked as
/// TerminalQuestions asks them, with the lines taken away meanwhile; the end event is carried by
/// the event loop.
class TerminalView : public IEncodeBatchView {
public:
    /// quiet: no progress at all. stdinIsTerminal: questions can be asked; without it an
    /// existing output is kept.
    TerminalView(TerminalOutput& output, EventLoop& loop, bool quiet, bool stdinIsTerminal);

    /// The batch whose jobs are shown and the audio bytes of each of its items. Set before the
    /// batch starts: the clock, the one-second timer and the redraws of the slots' bars start
    /// here, and end with the batch.
    void SetBatch(EncodeBatch& batch, std::vector<std::uint64_t> audioBytes);
    /// See TerminalQuestions::SetInterruptHandler.
    void SetInterruptHandler(std::function<void(EventLoop::Event)> handler) {
        questions_.SetInterruptHandler(std::move(handler));
    }
    /// The one-second tick: the times move on even while no bar does.
    void OnTimer();

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

private:
    using Clock = std::chrono::steady_clock;

    /// The view of one slot's bar, redrawn from its job's worker thread after every chunk.
    class SlotBar : public IBarView {
    public:
        explicit SlotBar(TerminalView& view) : view_(view) {}
        void Redraw() override;
        /// Set by the job's first change of the bar: until then its values are the last job's.
        std::atomic<bool> moved{false};

    private:
        TerminalView& view_;
    };

    /// What is shown of a slot's job.
    struct Running {
        bool active = false;
        std::size_t index = 0;
        std::string name; ///< the input's file name as shown
        std::string inPath;
        std::string outPath;
        Clock::time_point started;
    };

    /// The bytes the slot's job has done of its item, and of how many.
    std::pair<std::uint64_t, std::uint64_t> ProgressLocked(std::size_t slot);
    /// The bar, the percentage and the times of the slot's job.
    std::string FileStatusLocked(std::size_t slot, std::size_t barWidth);
    void DrawLocked();
    /// True when a redraw is due, claiming it: at most ten a second.
    bool TakeDrawTurn();
    void DrawIfDue();
    bool Shows() const;

    TerminalOutput& output_;
    EventLoop& loop_;
    const bool quiet_;
    TerminalQuestions questions_;
    EncodeBatch* batch_ = nullptr;
    std::vector<std::unique_ptr<SlotBar>> bars_;
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
};
