#pragma once

#include "encoders/INotifyTarget.h"
#include "platform/AtomicFileWriter.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

/// Job states; the numbers are those of the state word.
enum EncodeState : std::int32_t {
    Idle = 0,
    Running = 1,
    StopRequested = 3,
    Finished = 4,
};

/// How the last run of a job ended, for front ends that report it (the end event carries none).
enum class EncodeOutcome { None, Converted, Failed, Stopped };

/// Base of the encoding jobs: runs Run() on a worker thread of its own, then marks the job
/// Finished and posts WM_ENCODE_END to the notify target.
class CEncodeThread {
public:
    CEncodeThread() = default;
    /// Requests a stop and waits for a running thread. A derived job must call StopAndWait()
    /// in its own destructor, before its members go away.
    virtual ~CEncodeThread();
    CEncodeThread(const CEncodeThread&) = delete;
    CEncodeThread& operator=(const CEncodeThread&) = delete;

    /// Starts Run() on a new thread; false when a run is in progress or no thread could be
    /// created (the state is then Idle). The state reads Running before Run() begins.
    bool Start(INotifyTarget* notify);
    /// Asks a job that has been started to stop; does nothing before the first start.
    void RequestStop();
    std::int32_t GetState() const { return state_.load(); }
    EncodeOutcome Outcome() const { return outcome_.load(); }
    /// Removes the working file of the output the running job has not finished (an earlier
    /// output of that name stays), and keeps the job from creating another: for a front end that
    /// ends the process without waiting for the job.
    void AbandonOutput();

    /// While set, every Start fails as if no thread could be created. Tests only: the batch
    /// must carry on past a job that cannot start.
    static void SetStartFailsForTests(bool fails);

protected:
    /// The job body; the base's does nothing.
    virtual void Run();
    bool StopWasRequested() const { return state_.load() == StopRequested; }
    void SetOutcome(EncodeOutcome outcome) { outcome_.store(outcome); }
    /// Opens the job's output: a hidden working file beside outPath (see AtomicFileWriter), which
    /// counts as unfinished until Run returns. An output that is the input itself, under any
    /// name, is refused. False after the job's message when it is refused or cannot be created,
    /// and without one after AbandonOutput.
    bool CreateOutput(platform::AtomicFileWriter& output, const std::string& outPath,
                      const std::string& inPath);
    void StopAndWait();
    /// Starts the thread; when it cannot be started the job has failed and its end is sent to
    /// notify at once, so the batch goes on. Returns Start's result.
    bool StartOrEndAtOnce(INotifyTarget* notify);
    /// A job that cannot run at all: failed, and its end sent to notify at once.
    void EndAtOnce(INotifyTarget* notify);

private:
    bool LaunchThread();
    void ThreadProc();

    std::thread thread_;
    bool started_ = false;
    std::atomic<std::int32_t> state_{Idle};
    std::atomic<EncodeOutcome> outcome_{EncodeOutcome::None};
    INotifyTarget* notify_ = nullptr;
    std::mutex outputMutex_;
    std::string unfinishedOutput_;
    bool outputAbandoned_ = false;
};
