// SPDX-License-Identifier: GPL-3.0-or-later
#include "TerminalView.h"

#include "platform/Format.h"
#include "platform/Paths.h"

#include <algorithm>
#include <chrono>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kInputCaption = "入力ファイル: ";
constexpr const char* kOutputCaption = "出力ファイル: ";
constexpr std::string_view kIdeographicSpace = "\u3000";
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

std::string PaddedTo(std::string_view text, std::size_t width) {
    std::string padded(CutToWidth(text, width));
    padded.append(width - DisplayWidth(padded), ' ');
    return padded;
}

// The time display with its runs of full-width spaces folded to one space each: a terminal line
// has no room for the layout of the window's label.
std::string CompactTime(std::string_view time) {
    std::string compact;
    bool pendingSpace = false;
    while (!time.empty()) {
        if (time.starts_with(kIdeographicSpace)) {
            pendingSpace = !compact.empty();
            time.remove_prefix(kIdeographicSpace.size());
            continue;
        }
        if (pendingSpace) {
            compact.push_back(' ');
            pendingSpace = false;
        }
        compact.push_back(time.front());
        time.remove_prefix(1);
    }
    return compact;
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

void TerminalView::SetBatch(EncodeBatch& batch) {
    batch_ = &batch;
    bars_.clear();
    for (std::size_t slot = 0; slot < batch.SlotCount(); ++slot) {
        bars_.push_back(std::make_unique<SlotBar>(*this));
        batch.Slot(slot).ProgressBar().SetView(bars_.back().get());
    }
}

bool TerminalView::Shows() const {
    return !quiet_ && output_.IsTerminal() && batch_ != nullptr;
}

// The paths are shown once a job starts with them: a question names the output it asks about.
void TerminalView::ItemTaken(std::size_t, const std::string&, const std::string&) {}

void TerminalView::OutputChosen(std::size_t, const std::string&) {}

void TerminalView::JobStarted(std::size_t slot, std::size_t) {
    if (Shows()) {
        const EncodeSlot& encodeSlot = batch_->Slot(slot);
        // One write: no redraw comes between the two.
        output_.PrintLine(kInputCaption + output_.Shown(encodeSlot.Item().InPath) + "\n" +
                          kOutputCaption + output_.Shown(encodeSlot.OutputPath()));
    }
    DrawIfDue();
}

std::string TerminalView::FileStatus(std::size_t slot, std::size_t barWidth) const {
    const EncodeSlot& encodeSlot = batch_->Slot(slot);
    const std::uint64_t upper = encodeSlot.ProgressBar().GetUpper();
    const std::uint64_t done = encodeSlot.DoneBytes();
    const std::uint32_t elapsed = encodeSlot.ElapsedSeconds();
    return BarText(done, upper, barWidth) + "  " +
           CompactTime(
               EncodeBatch::TimeText(elapsed, EncodeBatch::EstimateSeconds(elapsed, done, upper)));
}

void TerminalView::ItemFinished(std::size_t index, std::optional<std::size_t> slot) {
    // A skipped item, or a job that could not begin, has no line.
    if (!quiet_ && slot && !batch_->Results()[index].OutPath.empty()) {
        const EncodeSlot& encodeSlot = batch_->Slot(*slot);
        const std::string status = FileStatus(*slot, kFileBarWidth);
        output_.PrintLine(output_.IsTerminal()
                              ? output_.Shown(platform::NameOf(encodeSlot.Item().InPath)) + "  " +
                                    status
                              : kInputCaption + encodeSlot.Item().InPath + "  " + kOutputCaption +
                                    encodeSlot.OutputPath() + "  " + status);
    }
    // Many short files end in quick succession: the lines come back at the next due redraw.
    DrawIfDue();
}

void TerminalView::EndBatch(int) {
    // No job runs any more.
    for (std::size_t slot = 0; slot < batch_->SlotCount(); ++slot) {
        batch_->Slot(slot).ProgressBar().SetView(nullptr);
    }
    Draw();
    ended_ = true;
    if (Shows()) {
        output_.EndStatus();
    }
    loop_.Quit();
}

platform::MessageAnswer TerminalView::Ask(const platform::MessageRequest& question) {
    // No drawing meanwhile: the lines would overwrite the prompt.
    asking_ = true;
    const platform::MessageAnswer answer = questions_.Ask(question);
    asking_ = false;
    Draw();
    return answer;
}

int TerminalView::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                            std::string& chosenPath) {
    asking_ = true;
    const int result = questions_.AskSaveAs(initialPath, filter, chosenPath);
    asking_ = false;
    Draw();
    return result;
}

void TerminalView::PostEncodeEnd() {
    loop_.Post(EventLoop::Event::EncodeEnd);
}

void TerminalView::StartTimer(unsigned periodMilliseconds) {
    loop_.StartTimer(std::chrono::milliseconds(periodMilliseconds));
}

void TerminalView::StopTimer() {
    loop_.StopTimer();
}

void TerminalView::SetTimeText(const std::string& text) {
    timeText_ = CompactTime(text);
    // A tick: the times move on even while no bar does.
    DrawIfDue();
}

void TerminalView::SlotBar::Redraw() {
    if (view_.Shows() && NowNs() - view_.lastDraw_.load() >= kRedrawIntervalNs &&
        !view_.redrawQueued_.exchange(true)) {
        view_.loop_.Post(EventLoop::Event::Redraw);
    }
}

void TerminalView::OnRedraw() {
    redrawQueued_.store(false);
    Draw();
}

void TerminalView::DrawIfDue() {
    if (NowNs() - lastDraw_.load() >= kRedrawIntervalNs) {
        Draw();
    }
}

void TerminalView::Draw() {
    if (!Shows() || asking_ || ended_) {
        return;
    }
    lastDraw_.store(NowNs());
    const auto columns = static_cast<std::size_t>(std::max(output_.Columns(), 2));
    // One column spare so that no line wraps, which would leave it behind at the next redraw.
    const std::size_t usable = columns - 1;
    const std::size_t barWidth = usable >= kWideColumns ? kFileBarWidth : kNarrowBarWidth;

    std::vector<std::size_t> running;
    for (std::size_t slot = 0; slot < batch_->SlotCount(); ++slot) {
        if (batch_->Slot(slot).IsBusy()) {
            running.push_back(slot);
        }
    }
    std::sort(running.begin(), running.end(), [this](std::size_t a, std::size_t b) {
        return batch_->Slot(a).Index() < batch_->Slot(b).Index();
    });
    std::vector<std::string> names;
    std::vector<std::string> statuses;
    std::size_t nameWidth = 0;
    std::size_t statusWidth = 0;
    for (const std::size_t slot : running) {
        names.push_back(output_.Shown(platform::NameOf(batch_->Slot(slot).Item().InPath)));
        statuses.push_back(FileStatus(slot, barWidth));
        nameWidth = std::max(nameWidth, DisplayWidth(names.back()));
        statusWidth = std::max(statusWidth, DisplayWidth(statuses.back()));
    }
    const std::size_t fixed = statusWidth + 2;
    nameWidth =
        std::min(nameWidth, usable > fixed + kMinNameWidth ? usable - fixed : kMinNameWidth);

    std::vector<std::string> lines;
    for (std::size_t at = 0; at < running.size(); ++at) {
        lines.emplace_back(
            CutToWidth(PaddedTo(names[at], nameWidth) + "  " + statuses[at], usable));
    }
    if (batch_->SlotCount() > 1) {
        lines.emplace_back(CutToWidth(
            platform::Format("全体 %zu/%zu  %s  %s", batch_->DoneCount(), batch_->Results().size(),
                             BarText(batch_->DoneAudio(), batch_->TotalAudio(), barWidth).c_str(),
                             timeText_.c_str()),
            usable));
    }
    output_.ShowStatus(lines);
}
