#include "TerminalView.h"

#include <algorithm>
#include <chrono>
#include <string_view>

namespace {

constexpr const char* kInputCaption = "入力ファイル: ";
constexpr const char* kOutputCaption = "出力ファイル: ";
constexpr std::string_view kIdeographicSpace = "\u3000";
constexpr std::size_t kMinBarWidth = 10;
constexpr std::size_t kMaxBarWidth = 40;
constexpr std::int64_t kRedrawIntervalNs = 100'000'000;

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The time label with its runs of full-width spaces folded to one space each, for a terminal
// too narrow for the label as the dialog lays it out.
std::string CompactTime(const std::string& time) {
    std::string compact;
    std::string_view rest(time);
    bool pendingSpace = false;
    while (!rest.empty()) {
        if (rest.starts_with(kIdeographicSpace)) {
            pendingSpace = !compact.empty();
            rest.remove_prefix(kIdeographicSpace.size());
            continue;
        }
        if (pendingSpace) {
            compact.push_back(' ');
            pendingSpace = false;
        }
        compact.push_back(rest.front());
        rest.remove_prefix(1);
    }
    return compact;
}

} // namespace

TerminalView::TerminalView(TerminalOutput& output, EventLoop& loop, bool quiet,
                           bool stdinIsTerminal)
    : output_(output), loop_(loop), quiet_(quiet), questions_(output, loop, stdinIsTerminal) {}

void TerminalView::SetInputText(const std::string& text) {
    input_ = text;
    inputShown_ = false;
}

void TerminalView::SetOutputText(const std::string& text) {
    outputPath_ = text;
    if (quiet_ || !output_.IsTerminal()) {
        return;
    }
    if (!inputShown_) {
        output_.PrintLine(kInputCaption + output_.Shown(input_));
        inputShown_ = true;
    }
    output_.PrintLine(kOutputCaption + output_.Shown(outputPath_));
}

void TerminalView::SetTimeText(const std::string& text) {
    {
        std::lock_guard lock(timeMutex_);
        time_ = text;
    }
    if (jobShown_.load()) {
        DrawStatus();
    }
}

void TerminalView::StartTimer(unsigned periodMilliseconds) {
    loop_.StartTimer(std::chrono::milliseconds(periodMilliseconds));
    lastDraw_.store(0);
    fullShown_.store(false);
    // The first redraw of the new job draws the line: until then the bar holds the last job's.
    jobShown_.store(true);
}

void TerminalView::StopTimer() {
    loop_.StopTimer();
    if (!jobShown_.exchange(false) || quiet_ || bar_ == nullptr) {
        return;
    }
    if (output_.IsTerminal()) {
        if (!fullShown_.load()) {
            DrawStatus();
        }
        output_.EndStatus();
        return;
    }
    std::string time;
    {
        std::lock_guard lock(timeMutex_);
        time = time_;
    }
    output_.PrintLine(kInputCaption + input_ + "  " + kOutputCaption + outputPath_ + "  " +
                      StatusText(bar_->GetPos(), bar_->GetUpper(), time, 20));
}

void TerminalView::EndDialog(int result) {
    result_ = result;
    loop_.Quit();
}

void TerminalView::PostEncodeEnd() {
    loop_.Post(EventLoop::Event::EncodeEnd);
}

void TerminalView::Redraw() {
    if (!jobShown_.load() || quiet_ || !output_.IsTerminal() || bar_ == nullptr) {
        return;
    }
    const std::int64_t now = NowNs();
    if (bar_->GetPos() >= bar_->GetUpper()) {
        // The full bar is drawn once, whatever the throttle says.
        if (fullShown_.exchange(true)) {
            return;
        }
    } else if (now - lastDraw_.load() < kRedrawIntervalNs) {
        return;
    }
    lastDraw_.store(now);
    DrawStatus();
}

void TerminalView::DrawStatus() {
    if (quiet_ || !output_.IsTerminal() || bar_ == nullptr) {
        return;
    }
    std::string time;
    {
        std::lock_guard lock(timeMutex_);
        time = time_;
    }
    // "[" "] " and "100%  " around the bar; one column spare so the line never wraps.
    constexpr std::size_t kFixedWidth = 2 + 1 + 6 + 1;
    const auto columns = static_cast<std::size_t>(output_.Columns());
    std::size_t room =
        columns > kFixedWidth + DisplayWidth(time) ? columns - kFixedWidth - DisplayWidth(time) : 0;
    if (room < kMinBarWidth) {
        time = CompactTime(time);
        room = columns > kFixedWidth + DisplayWidth(time)
                   ? columns - kFixedWidth - DisplayWidth(time)
                   : 0;
    }
    const std::size_t barWidth = std::clamp(room, kMinBarWidth, kMaxBarWidth);
    output_.ShowStatus(StatusText(bar_->GetPos(), bar_->GetUpper(), time, barWidth));
}

std::string TerminalView::StatusText(std::uint64_t position, std::uint64_t upper,
                                     const std::string& time, std::size_t barWidth) {
    return BarText(position, upper, barWidth) + "  " + time;
}

std::string TerminalView::BarText(std::uint64_t position, std::uint64_t upper,
                                  std::size_t barWidth) {
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

platform::MessageAnswer TerminalView::Ask(const platform::MessageRequest& question) {
    return questions_.Ask(question);
}

int TerminalView::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                            std::string& chosenPath) {
    return questions_.AskSaveAs(initialPath, filter, chosenPath);
}
