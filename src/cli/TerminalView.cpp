// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalView.h"

#include "platform/Format.h"
#include "platform/Paths.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr const char* kInputCaption = "入力ファイル: ";
constexpr const char* kOutputCaption = "出力ファイル: ";
constexpr std::int64_t kRedrawIntervalNs = 100'000'000;
constexpr std::size_t kFileBarWidth = 20;
constexpr std::size_t kNarrowBarWidth = 10;
// Below this many columns the bars get narrower.
constexpr std::size_t kWideColumns = 72;
// A name column narrower than this leaves the name cut.
constexpr std::size_t kMinNameWidth = 8;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::uint32_t SecondsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count());
}

std::string Minutes(std::uint32_t seconds) {
    return platform::Format("%02u:%02u", seconds / 60, seconds % 60);
}

std::string PaddedTo(std::string_view text, std::size_t width) {
    std::string padded(CutToWidth(text, width));
    padded.append(width - DisplayWidth(padded), ' ');
    return padded;
}

// The time left at the rate of done bytes in elapsed seconds; nothing while it cannot be told.
std::optional<std::uint32_t> SecondsLeft(std::uint32_t elapsedSeconds, std::uint64_t done,
                                         std::uint64_t left) {
    if (left == 0) {
        return 0;
    }
    if (elapsedSeconds == 0 || done == 0) {
        return std::nullopt;
    }
    // Long double: bytes times seconds can pass 64 bits on a long batch.
    return static_cast<std::uint32_t>(static_cast<long double>(left) * elapsedSeconds /
                                      static_cast<long double>(done));
}

std::string TimeText(std::uint32_t elapsedSeconds, std::optional<std::uint32_t> leftSeconds) {
    return platform::Format("経過時間 %s  残り時間 %s", Minutes(elapsedSeconds).c_str(),
                            leftSeconds ? Minutes(*leftSeconds).c_str() : "--:--");
}

// "[###...] nn%", the percentage right-aligned in three columns.
std::string BarText(std::uint64_t position, std::uint64_t upper, std::size_t barWidth) {
    // The window's bar rule: a whole percentage while the position is below the range.
    const std::uint64_t percent = upper > position ? position * 100 / upper : 100;
    const auto filled = static_cast<std::size_t>(percent * barWidth / 100);
    std::string text("[");
    text.append(filled, '#');
    text.append(barWidth - filled, '.');
    text.append("] ");
    const std::string number = std::to_string(percent);
    text.append(3 - std::min<std::size_t>(3, number.size()), ' ');
    text.append(number);
    text.append("%");
    return text;
}

} // namespace

TerminalView::TerminalView(TerminalOutput& output, EventLoop& loop, bool quiet,
                           bool stdinIsTerminal)
    : output_(output), loop_(loop), quiet_(quiet), questions_(output, loop, stdinIsTerminal) {}

void TerminalView::SetBatch(EncodeBatch& batch, std::vector<std::uint64_t> audioBytes) {
    batch_ = &batch;
    bars_.clear();
    for (std::size_t slot = 0; slot < batch.SlotCount(); ++slot) {
        bars_.push_back(std::make_unique<SlotBar>(*this));
        batch.Slot(slot).ProgressBar().SetView(bars_.back().get());
    }
    audioBytes_ = std::move(audioBytes);
    totalBytes_ = std::accumulate(audioBytes_.begin(), audioBytes_.end(), std::uint64_t{0});
    running_.assign(batch.SlotCount(), Running{});
    started_ = Clock::now();
    loop_.StartTimer(std::chrono::seconds(1));
}

bool TerminalView::Shows() const {
    return !quiet_ && output_.IsTerminal() && batch_ != nullptr;
}

// The paths are shown once a job starts with them: a question names the output it asks about.
void TerminalView::ItemTaken(std::size_t, const std::string&, const std::string&) {}

void TerminalView::OutputChosen(std::size_t, const std::string&) {}

void TerminalView::JobStarted(std::size_t slot, std::size_t index) {
    const EncodeSlot& encodeSlot = batch_->Slot(slot);
    if (Shows()) {
        // One write: a redraw of the running jobs never comes between the two.
        output_.PrintLine(kInputCaption + output_.Shown(encodeSlot.Item().InPath) + "\n" +
                          kOutputCaption + output_.Shown(encodeSlot.OutputPath()));
    }
    std::lock_guard lock(mutex_);
    Running& running = running_[slot];
    running.active = true;
    running.index = index;
    running.inPath = encodeSlot.Item().InPath;
    running.outPath = encodeSlot.OutputPath();
    running.name = output_.Shown(platform::NameOf(running.inPath));
    running.started = Clock::now();
    if (TakeDrawTurn()) {
        DrawLocked();
    }
}

std::pair<std::uint64_t, std::uint64_t> TerminalView::ProgressLocked(std::size_t slot) {
    const std::size_t index = running_[slot].index;
    if (!bars_[slot]->moved.load()) {
        return {0, index < audioBytes_.size() ? audioBytes_[index] : 0};
    }
    const CProgressBarEx& bar = batch_->Slot(slot).ProgressBar();
    const std::uint64_t upper = bar.GetUpper();
    return {std::min(bar.GetPos(), upper), upper};
}

std::string TerminalView::FileStatusLocked(std::size_t slot, std::size_t barWidth) {
    const auto [done, length] = ProgressLocked(slot);
    const std::uint32_t elapsed = SecondsSince(running_[slot].started);
    return BarText(done, length, barWidth) + "  " +
           TimeText(elapsed, SecondsLeft(elapsed, done, length - done));
}

void TerminalView::ItemFinished(std::size_t index, std::optional<std::size_t> slot) {
    std::lock_guard lock(mutex_);
    ++itemsDone_;
    doneBytes_ += index < audioBytes_.size() ? audioBytes_[index] : 0;
    if (slot && running_[*slot].active) {
        Running& running = running_[*slot];
        encodedBytes_ += ProgressLocked(*slot).first;
        if (!quiet_) {
            const std::string status = FileStatusLocked(*slot, kFileBarWidth);
            output_.PrintLine(output_.IsTerminal()
                                  ? running.name + "  " + status
                                  : kInputCaption + running.inPath + "  " + kOutputCaption +
                                        running.outPath + "  " + status);
        }
        running.active = false;
    }
    if (slot) {
        // The slot's job has ended: a change of the bar from now on is the next job's.
        bars_[*slot]->moved.store(false);
    }
    // Many short files end in quick succession: the lines come back at the next due redraw.
    if (TakeDrawTurn()) {
        DrawLocked();
    }
}

void TerminalView::EndBatch(int) {
    loop_.StopTimer();
    // No job runs any more.
    for (std::size_t slot = 0; slot < batch_->SlotCount(); ++slot) {
        batch_->Slot(slot).ProgressBar().SetView(nullptr);
    }
    {
        std::lock_guard lock(mutex_);
        DrawLocked();
        ended_ = true;
    }
    if (Shows()) {
        output_.EndStatus();
    }
    loop_.Quit();
}

platform::MessageAnswer TerminalView::Ask(const platform::MessageRequest& question) {
    {
        // No drawing starts from here on: the lines would overwrite the prompt.
        std::lock_guard lock(mutex_);
        asking_ = true;
    }
    const platform::MessageAnswer answer = questions_.Ask(question);
    std::lock_guard lock(mutex_);
    asking_ = false;
    DrawLocked();
    return answer;
}

int TerminalView::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                            std::string& chosenPath) {
    {
        std::lock_guard lock(mutex_);
        asking_ = true;
    }
    const int result = questions_.AskSaveAs(initialPath, filter, chosenPath);
    std::lock_guard lock(mutex_);
    asking_ = false;
    DrawLocked();
    return result;
}

void TerminalView::PostEncodeEnd() {
    loop_.Post(EventLoop::Event::EncodeEnd);
}

void TerminalView::SlotBar::Redraw() {
    moved.store(true);
    view_.DrawIfDue();
}

void TerminalView::OnTimer() {
    DrawIfDue();
}

bool TerminalView::TakeDrawTurn() {
    const std::int64_t now = NowNs();
    std::int64_t last = lastDraw_.load();
    // One thread draws per interval, however many jobs ask.
    return now - last >= kRedrawIntervalNs && lastDraw_.compare_exchange_strong(last, now);
}

void TerminalView::DrawIfDue() {
    if (!Shows() || !TakeDrawTurn()) {
        return;
    }
    std::lock_guard lock(mutex_);
    DrawLocked();
}

void TerminalView::DrawLocked() {
    if (!Shows() || asking_ || ended_) {
        return;
    }
    lastDraw_.store(NowNs());
    const auto columns = static_cast<std::size_t>(std::max(output_.Columns(), 2));
    // One column spare so that no line wraps, which would leave it behind at the next redraw.
    const std::size_t usable = columns - 1;
    const std::size_t barWidth = usable >= kWideColumns ? kFileBarWidth : kNarrowBarWidth;

    std::vector<std::size_t> shown;
    for (std::size_t slot = 0; slot < running_.size(); ++slot) {
        if (running_[slot].active) {
            shown.push_back(slot);
        }
    }
    std::sort(shown.begin(), shown.end(), [this](std::size_t a, std::size_t b) {
        return running_[a].index < running_[b].index;
    });
    std::vector<std::string> statuses;
    std::size_t nameWidth = 0;
    std::size_t statusWidth = 0;
    std::uint64_t runningBytes = 0;
    for (const std::size_t slot : shown) {
        runningBytes += ProgressLocked(slot).first;
        statuses.push_back(FileStatusLocked(slot, barWidth));
        statusWidth = std::max(statusWidth, DisplayWidth(statuses.back()));
        nameWidth = std::max(nameWidth, DisplayWidth(running_[slot].name));
    }
    const std::size_t fixed = statusWidth + 2;
    nameWidth =
        std::min(nameWidth, usable > fixed + kMinNameWidth ? usable - fixed : kMinNameWidth);

    std::vector<std::string> lines;
    for (std::size_t at = 0; at < shown.size(); ++at) {
        lines.emplace_back(CutToWidth(
            PaddedTo(running_[shown[at]].name, nameWidth) + "  " + statuses[at], usable));
    }
    if (audioBytes_.size() > 1) {
        const std::uint32_t elapsed = SecondsSince(started_);
        const std::uint64_t done = std::min(doneBytes_ + runningBytes, totalBytes_);
        const std::string batchLine =
            platform::Format("全体 %zu/%zu  %s  %s", itemsDone_, audioBytes_.size(),
                             BarText(done, totalBytes_, barWidth).c_str(),
                             TimeText(elapsed, SecondsLeft(elapsed, encodedBytes_ + runningBytes,
                                                           totalBytes_ - done))
                                 .c_str());
        lines.emplace_back(CutToWidth(batchLine, usable));
    }
    output_.ShowStatus(lines);
}
