#include "BatchTerminalView.h"

#include "batch/CEncodeDlg.h"
#include "cli/TerminalView.h"
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

std::string Minutes(std::uint32_t seconds) {
    return platform::Format("%02u:%02u", seconds / 60, seconds % 60);
}

std::string PaddedTo(std::string_view text, std::size_t width) {
    std::string padded(CutToWidth(text, width));
    padded.append(width - DisplayWidth(padded), ' ');
    return padded;
}

} // namespace

BatchTerminalView::BatchTerminalView(TerminalOutput& output, EventLoop& loop, bool quiet,
                                     bool stdinIsTerminal)
    : output_(output), loop_(loop), quiet_(quiet), questions_(output, loop, stdinIsTerminal) {}

void BatchTerminalView::SetBatch(const EncodeBatch& batch, std::vector<std::uint64_t> audioBytes) {
    batch_ = &batch;
    audioBytes_ = std::move(audioBytes);
    totalBytes_ = std::accumulate(audioBytes_.begin(), audioBytes_.end(), std::uint64_t{0});
    running_.assign(batch.SlotCount(), Running{});
    started_ = Clock::now();
    loop_.StartTimer(std::chrono::seconds(1));
}

bool BatchTerminalView::Shows() const {
    return !quiet_ && output_.IsTerminal() && batch_ != nullptr;
}

// The paths are shown when a question names them and in the summary; a running file's line
// names its input.
void BatchTerminalView::ItemTaken(std::size_t, const std::string&, const std::string&) {}

void BatchTerminalView::OutputChosen(std::size_t, const std::string&) {}

void BatchTerminalView::JobStarted(std::size_t slot, std::size_t index) {
    const EncodeSlot& encodeSlot = batch_->Slot(slot);
    const CProgressBarEx& bar = encodeSlot.ProgressBar();
    std::lock_guard lock(mutex_);
    Running& running = running_[slot];
    running.active = true;
    running.index = index;
    running.inPath = encodeSlot.Item().InPath;
    running.outPath = encodeSlot.OutputPath();
    running.name = output_.Shown(platform::NameOf(running.inPath));
    running.started = Clock::now();
    running.startPos = bar.GetPos();
    running.startUpper = bar.GetUpper();
    running.fresh = false;
}

std::pair<std::uint64_t, std::uint64_t> BatchTerminalView::ProgressLocked(std::size_t slot) {
    Running& running = running_[slot];
    const std::uint64_t length =
        running.index < audioBytes_.size() ? audioBytes_[running.index] : 0;
    const CProgressBarEx& bar = batch_->Slot(slot).ProgressBar();
    const std::uint64_t pos = bar.GetPos();
    const std::uint64_t upper = bar.GetUpper();
    if (!running.fresh && (pos != running.startPos || upper != running.startUpper)) {
        running.fresh = true;
    }
    if (!running.fresh) {
        return {0, length};
    }
    return {std::min(pos, upper), upper};
}

void BatchTerminalView::ItemFinished(std::size_t index, std::optional<std::size_t> slot) {
    std::lock_guard lock(mutex_);
    ++itemsDone_;
    doneBytes_ += index < audioBytes_.size() ? audioBytes_[index] : 0;
    if (!slot || !running_[*slot].active) {
        if (TakeDrawTurn()) {
            DrawLocked();
        }
        return;
    }
    Running& running = running_[*slot];
    const auto [done, length] = ProgressLocked(*slot);
    encodedBytes_ += done;
    if (!quiet_) {
        if (output_.IsTerminal()) {
            output_.PrintLine(FileLineLocked(*slot, DisplayWidth(running.name), kFileBarWidth));
        } else {
            // Whole seconds, as the window's time label counts them.
            const auto elapsed = static_cast<std::uint32_t>(
                std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - running.started)
                    .count());
            const std::string time =
                CEncodeDlg::TimeText(elapsed, CEncodeDlg::EstimateSeconds(elapsed, done, length));
            output_.PrintLine(kInputCaption + running.inPath + "  " + kOutputCaption +
                              running.outPath + "  " +
                              TerminalView::StatusText(done, length, time, kFileBarWidth));
        }
    }
    running.active = false;
    // Many short files end in quick succession: the block comes back at the next due redraw.
    if (TakeDrawTurn()) {
        DrawLocked();
    }
}

void BatchTerminalView::EndBatch(int result) {
    result_ = result;
    loop_.StopTimer();
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

platform::MessageAnswer BatchTerminalView::Ask(const platform::MessageRequest& question) {
    {
        // No drawing starts from here on: the block would overwrite the prompt.
        std::lock_guard lock(mutex_);
        asking_ = true;
    }
    const platform::MessageAnswer answer = questions_.Ask(question);
    std::lock_guard lock(mutex_);
    asking_ = false;
    DrawLocked();
    return answer;
}

int BatchTerminalView::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
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

void BatchTerminalView::PostEncodeEnd() {
    loop_.Post(EventLoop::Event::EncodeEnd);
}

void BatchTerminalView::Redraw() {
    DrawIfDue();
}

void BatchTerminalView::OnTimer() {
    DrawIfDue();
}

bool BatchTerminalView::TakeDrawTurn() {
    const std::int64_t now = NowNs();
    std::int64_t last = lastDraw_.load();
    // One thread draws per interval, however many jobs ask.
    return now - last >= kRedrawIntervalNs && lastDraw_.compare_exchange_strong(last, now);
}

void BatchTerminalView::DrawIfDue() {
    if (!Shows() || !TakeDrawTurn()) {
        return;
    }
    std::lock_guard lock(mutex_);
    DrawLocked();
}

std::string BatchTerminalView::FileLineLocked(std::size_t slot, std::size_t nameWidth,
                                              std::size_t barWidth) {
    const auto [done, length] = ProgressLocked(slot);
    return PaddedTo(running_[slot].name, nameWidth) + "  " +
           TerminalView::BarText(done, length, barWidth);
}

void BatchTerminalView::DrawLocked() {
    if (!Shows() || asking_ || ended_) {
        return;
    }
    lastDraw_.store(NowNs());
    const auto columns = static_cast<std::size_t>(std::max(output_.Columns(), 2));
    // One column spare so that no line wraps, which would leave it behind at the next redraw.
    const std::size_t usable = columns - 1;
    const std::size_t barWidth = usable >= kWideColumns ? kFileBarWidth : kNarrowBarWidth;

    std::vector<std::size_t> shown;
    std::size_t nameWidth = 0;
    for (std::size_t slot = 0; slot < running_.size(); ++slot) {
        if (running_[slot].active) {
            shown.push_back(slot);
            nameWidth = std::max(nameWidth, DisplayWidth(running_[slot].name));
        }
    }
    std::sort(shown.begin(), shown.end(), [this](std::size_t a, std::size_t b) {
        return running_[a].index < running_[b].index;
    });
    // "  [" "] " and "100%" around the bar.
    const std::size_t fixed = barWidth + 9;
    nameWidth =
        std::min(nameWidth, usable > fixed + kMinNameWidth ? usable - fixed : kMinNameWidth);

    std::vector<std::string> lines;
    std::uint64_t runningBytes = 0;
    for (const std::size_t slot : shown) {
        runningBytes += ProgressLocked(slot).first;
        lines.emplace_back(CutToWidth(FileLineLocked(slot, nameWidth, barWidth), usable));
    }
    const auto elapsed = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started_).count());
    const std::uint64_t done = std::min(doneBytes_ + runningBytes, totalBytes_);
    const std::uint64_t encoded = encodedBytes_ + runningBytes;
    std::optional<std::uint32_t> left;
    if (elapsed > 0 && encoded > 0) {
        // Long double: bytes times seconds can pass 64 bits on a long batch.
        left = static_cast<std::uint32_t>(static_cast<long double>(totalBytes_ - done) * elapsed /
                                          static_cast<long double>(encoded));
    }
    lines.emplace_back(CutToWidth(
        BatchText(itemsDone_, audioBytes_.size(), done, totalBytes_, elapsed, left, barWidth),
        usable));
    output_.ShowStatus(lines);
}

std::string BatchTerminalView::BatchText(std::size_t done, std::size_t total,
                                         std::uint64_t doneBytes, std::uint64_t totalBytes,
                                         std::uint32_t elapsedSeconds,
                                         std::optional<std::uint32_t> leftSeconds,
                                         std::size_t barWidth) {
    return platform::Format("全体 %zu/%zu  %s  経過時間 %s  残り時間 %s", done, total,
                            TerminalView::BarText(doneBytes, totalBytes, barWidth).c_str(),
                            Minutes(elapsedSeconds).c_str(),
                            leftSeconds ? Minutes(*leftSeconds).c_str() : "--:--");
}
