// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/EncodeBatch.h"
#include "batch/IBarView.h"
#include "batch/IEncodeBatchView.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace batchtest {

/// The test's own event loop: actions posted from any thread run on the test thread.
class TestLoop {
public:
    void Post(std::function<void()> action);
    /// Runs posted actions until done() holds; false when timeout passes first.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> actions_;
};

/// A view that records what the batch shows, answers its questions from a script, carries the
/// end event through the TestLoop, and can act on the test thread at a chosen moment of a job.
class ScriptedEncodeView : public IEncodeBatchView, public IBarView {
public:
    struct SaveAsRequest {
        std::string initialPath;
        std::string filter;
        std::string defaultExtension;
    };

    explicit ScriptedEncodeView(TestLoop& loop) : loop_(loop) {}

    /// Connects a batch of one slot: its end events and its bar's redraws come here.
    void Attach(EncodeBatch& batch);

    void ScriptQuestion(platform::MessageAnswer answer) { questionAnswers_.push_back(answer); }
    /// A path to choose in the save dialog, or nullopt to cancel it.
    void ScriptSaveAs(std::optional<std::string> path) { saveAsAnswers_.push_back(path); }

    /// Adds a step, set up before the batch starts: when a job's bar first satisfies
    /// when(position, upper), action runs on the test thread while the job waits in its
    /// redraw. The steps are taken in the order they were added.
    void InterveneWhen(std::function<bool(std::uint64_t, std::uint64_t)> when,
                       std::function<void()> action);
    /// Runs action on the test thread after a job has ended but before its end is handled.
    void BeforeEachEnd(std::function<void()> action) { beforeEnd_ = std::move(action); }

    /// Runs the loop until the batch has ended; false on timeout.
    bool RunToEnd(std::chrono::milliseconds timeout = std::chrono::seconds(60));

    // What the batch did, in order.
    std::vector<std::string> inputs;
    std::vector<std::string> outputs;
    std::vector<std::string> times;
    std::vector<platform::MessageRequest> questions;
    std::vector<SaveAsRequest> saveAsRequests;
    int timerStarts = 0;
    bool timerRunning = false;
    unsigned timerPeriod = 0;
    std::optional<int> result;
    int endCount = 0;

    void ItemTaken(std::size_t, const std::string& inPath, const std::string& outPath) override {
        inputs.push_back(inPath);
        outputs.push_back(outPath);
    }
    void OutputChosen(std::size_t, const std::string& outPath) override {
        outputs.push_back(outPath);
    }
    void JobStarted(std::size_t, std::size_t) override {}
    void ItemFinished(std::size_t, std::optional<std::size_t>) override {}
    void SetTimeText(const std::string& text) override { times.push_back(text); }
    void StartTimer(unsigned periodMilliseconds) override;
    void StopTimer() override { timerRunning = false; }
    void EndBatch(int code) override;
    platform::MessageAnswer Ask(const platform::MessageRequest& question) override;
    int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                  std::string& chosenPath) override;
    void PostEncodeEnd() override;
    void Redraw() override;

private:
    TestLoop& loop_;
    EncodeBatch* batch_ = nullptr;
    std::deque<platform::MessageAnswer> questionAnswers_;
    std::deque<std::optional<std::string>> saveAsAnswers_;
    struct Intervention {
        std::function<bool(std::uint64_t, std::uint64_t)> when;
        std::function<void()> action;
    };
    std::vector<Intervention> interventions_;
    std::atomic<std::size_t> nextIntervention_{0};
    std::function<void()> beforeEnd_;
};

} // namespace batchtest
