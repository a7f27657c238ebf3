// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/EncodeBatch.h"
#include "batch/IBarView.h"
#include "batch/IEncodeBatchView.h"
#include "cli/EventLoop.h"
#include "cli/TerminalOutput.h"
#include "cli/TerminalQuestions.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/// A batch on a terminal, with one job at a time or several: each file's input and output path
/// as its job starts, then its line (name, bar, percentage, elapsed and expected time) redrawn in
/// place while it runs and left as it ended; with several jobs, below the running files a line
/// for the whole batch (files done of all, the bar of all the audio, the batch's times). At most
/// ten redraws a second, all on the event thread. Without a terminal, one line per finished
/// file. The questions are asked as TerminalQuestions asks them, with the lines taken away
/// meanwhile; the end event and the timer are carried by the event loop.
class TerminalView : public IEncodeBatchView {
public:
    /// quiet: no progress at all. stdinIsTerminal: questions can be asked; without it an
    /// existing output is kept.
    TerminalView(TerminalOutput& output, EventLoop& loop, bool quiet, bool stdinIsTerminal);

    /// The batch whose jobs are shown, before it starts: its bars redraw through the view until
    /// it ends.
    void SetBatch(EncodeBatch& batch);
    /// See TerminalQuestions::SetInterruptHandler.
    void SetInterruptHandler(std::function<void(EventLoop::Event)> handler) {
        questions_.SetInterruptHandler(std::move(handler));
    }
    /// The redraw a job asked for, on the event thread.
    void OnRedraw();

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
    void StartTimer(unsigned periodMilliseconds) override;
    void StopTimer() override;
    void SetTimeText(const std::string& text) override;

private:
    /// The view of one slot's bar, redrawn from its job's worker thread after every change.
    class SlotBar : public IBarView {
    public:
        explicit SlotBar(TerminalView& view) : view_(view) {}
        /// Queues a redraw for the event thread when one is due and none is queued yet.
        void Redraw() override;

    private:
        TerminalView& view_;
    };

    /// The slot's bar, percentage and times.
    std::string FileStatus(std::size_t slot, std::size_t barWidth) const;
    void Draw();
    void DrawIfDue();
    bool Shows() const;

    TerminalOutput& output_;
    EventLoop& loop_;
    const bool quiet_;
    TerminalQuestions questions_;
    EncodeBatch* batch_ = nullptr;
    std::vector<std::unique_ptr<SlotBar>> bars_;
    /// The batch's time display, shown on the batch line.
    std::string timeText_;
    bool asking_ = false;
    bool ended_ = false;
    std::atomic<std::int64_t> lastDraw_{0};
    std::atomic<bool> redrawQueued_{false};
};
