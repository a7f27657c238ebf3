// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScriptedEncodeView.h"

#include <future>
#include <memory>

namespace batchtest {

void TestLoop::Post(std::function<void()> action) {
    {
        std::lock_guard lock(mutex_);
        actions_.push_back(std::move(action));
    }
    posted_.notify_all();
}

bool TestLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        std::function<void()> action;
        {
            std::unique_lock lock(mutex_);
            if (!posted_.wait_until(lock, deadline, [&] { return !actions_.empty(); })) {
                return false;
            }
            action = std::move(actions_.front());
            actions_.pop_front();
        }
        action();
    }
    return true;
}

void ScriptedEncodeView::Attach(EncodeBatch& batch) {
    batch_ = &batch;
    batch.Slot(0).ProgressBar().SetView(this);
}

void ScriptedEncodeView::InterveneWhen(std::function<bool(std::uint64_t, std::uint64_t)> when,
                                       std::function<void()> action) {
    interventions_.push_back({std::move(when), std::move(action)});
}

bool ScriptedEncodeView::RunToEnd(std::chrono::milliseconds timeout) {
    return loop_.RunUntil([this] { return result.has_value(); }, timeout);
}

void ScriptedEncodeView::StartTimer(unsigned periodMilliseconds) {
    ++timerStarts;
    timerRunning = true;
    timerPeriod = periodMilliseconds;
}

void ScriptedEncodeView::EndBatch(int code) {
    ++endCount;
    result = code;
}

platform::MessageAnswer ScriptedEncodeView::Ask(const platform::MessageRequest& question) {
    questions.push_back(question);
    if (questionAnswers_.empty()) {
        return platform::MessageAnswer::No;
    }
    const platform::MessageAnswer answer = questionAnswers_.front();
    questionAnswers_.pop_front();
    return answer;
}

int ScriptedEncodeView::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                                  std::string& chosenPath) {
    saveAsRequests.push_back({initialPath, filter.Filter, filter.DefaultExtension});
    std::optional<std::string> answer;
    if (!saveAsAnswers_.empty()) {
        answer = saveAsAnswers_.front();
        saveAsAnswers_.pop_front();
    }
    if (!answer) {
        return 2;
    }
    chosenPath = *answer;
    return kSaveAsOk;
}

void ScriptedEncodeView::PostEncodeEnd() {
    if (beforeEnd_) {
        loop_.Post(beforeEnd_);
    }
    loop_.Post([this] { batch_->OnEncodeEnd(); });
}

void ScriptedEncodeView::Redraw() {
    const std::size_t next = nextIntervention_.load();
    if (next >= interventions_.size() || batch_ == nullptr) {
        return;
    }
    const CProgressBarEx& bar = batch_->Slot(0).ProgressBar();
    if (!interventions_[next].when(bar.GetPos(), bar.GetUpper())) {
        return;
    }
    nextIntervention_.store(next + 1);
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    loop_.Post([this, next, done] {
        interventions_[next].action();
        done->set_value();
    });
    // The job waits here as it waits for a window's paint; bounded, so a fault cannot hang it.
    finished.wait_for(std::chrono::seconds(30));
}

} // namespace batchtest
