#include "CEncodeThread.h"

#include "encoders/JobMessages.h"
#include "platform/File.h"
#include "platform/Format.h"

#include <system_error>

namespace {

std::atomic<bool> startFailsForTests{false};

} // namespace

void CEncodeThread::SetStartFailsForTests(bool fails) {
    startFailsForTests.store(fails);
}

CEncodeThread::~CEncodeThread() {
    StopAndWait();
}

bool CEncodeThread::Start(INotifyTarget* notify) {
    if (state_.load() == Running) {
        return false;
    }
    // The last thread has run to its end (its end event brought us here); collect it.
    if (thread_.joinable()) {
        thread_.join();
    }
    notify_ = notify;
    outcome_.store(EncodeOutcome::None);
    // Running before the thread exists, so Run() can never see an older state.
    state_.store(Running);
    if (!LaunchThread()) {
        state_.store(Idle);
        started_ = false;
        return false;
    }
    started_ = true;
    return true;
}

bool CEncodeThread::LaunchThread() {
    if (startFailsForTests.load()) {
        return false;
    }
    try {
        thread_ = std::thread(&CEncodeThread::ThreadProc, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CEncodeThread::RequestStop() {
    if (started_) {
        state_.store(StopRequested);
    }
}

void CEncodeThread::Run() {}

bool CEncodeThread::StartOrEndAtOnce(INotifyTarget* notify) {
    if (Start(notify)) {
        return true;
    }
    EndAtOnce(notify);
    return false;
}

void CEncodeThread::EndAtOnce(INotifyTarget* notify) {
    SetOutcome(EncodeOutcome::Failed);
    if (notify != nullptr) {
        notify->SendEncodeEnd();
    }
}

void CEncodeThread::StopAndWait() {
    if (thread_.joinable()) {
        RequestStop();
        thread_.join();
    }
}

bool CEncodeThread::CreateOutput(platform::AtomicFileWriter& output, const std::string& outPath,
                                 const std::string& inPath) {
    bool isInput = false;
    {
        // One step with the record, so that no file can be created that AbandonOutput misses.
        std::lock_guard lock(outputMutex_);
        if (outputAbandoned_) {
            return false;
        }
        // The finished file would take the input's place: an input linked under the output's
        // name would be lost.
        const auto existing = platform::IdentifyFile(outPath);
        isInput = existing && existing == platform::IdentifyFile(inPath);
        if (!isInput && output.Open()) {
            unfinishedOutput_ = output.TemporaryPath();
            return true;
        }
    }
    // Shown outside the lock: a message waits for the front end, which may be abandoning.
    if (isInput) {
        ShowJobError(platform::Format(kOutputIsInput, outPath.c_str(), inPath.c_str()));
    } else {
        ShowJobError(platform::Format(kOutputOpenFailed, outPath.c_str()), output.LastError());
    }
    return false;
}

void CEncodeThread::AbandonOutput() {
    std::lock_guard lock(outputMutex_);
    outputAbandoned_ = true;
    if (!unfinishedOutput_.empty()) {
        platform::DeleteFile(unfinishedOutput_);
        unfinishedOutput_.clear();
    }
}

void CEncodeThread::ThreadProc() {
    Run();
    {
        // Kept or removed by now, whatever the outcome.
        std::lock_guard lock(outputMutex_);
        unfinishedOutput_.clear();
    }
    state_.store(Finished);
    if (notify_ != nullptr) {
        notify_->PostEncodeEnd();
    }
}
