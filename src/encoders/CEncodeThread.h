// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "encoders/EncodeJobInput.h"
#include "encoders/INotifyTarget.h"
#include "encoders/IProgressBar.h"
#include "encoders/LoudnessMeter.h"
#include "encoders/ReplayGainWriter.h"
#include "encoders/WaveInput.h"
#include "platform/AtomicFileWriter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
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

/// Base of the encoding jobs. Runs one file on a worker thread of its own: opens the input,
/// creates the working output, has the job's encoder steps write it, reports a failure, then
/// discards the output or puts it in place; marks the job Finished and posts WM_ENCODE_END.
/// The output replaces an earlier file only once it is complete.
class CEncodeThread {
public:
    CEncodeThread() = default;
    /// Requests a stop and waits for a running thread. A derived job must call StopAndWait()
    /// in its own destructor, before its members go away.
    virtual ~CEncodeThread();
    CEncodeThread(const CEncodeThread&) = delete;
    CEncodeThread& operator=(const CEncodeThread&) = delete;

    /// Takes a copy of the input and starts the job on it, driving bar; false without doing
    /// anything while a run is in progress. When the job cannot run (its set-up refuses, or no
    /// thread can be started), its end is sent to notify at once so that a batch goes on, and
    /// false is returned. bar must outlive the run.
    bool BeginEncode(const EncodeJobInput& input, IProgressBar& bar, INotifyTarget* notify);
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

    /// While set, every start fails as if no thread could be created. Tests only: the batch
    /// must carry on past a job that cannot start.
    static void SetStartFailsForTests(bool fails);

protected:
    /// How the encoder steps ended. Failed: they have shown their own message.
    enum class JobEnd { Converted, Stopped, Failed, ReadFailed, WriteFailed };

    /// Set-up on the starting thread before the worker runs; false when the job cannot run,
    /// after its message. The base's accepts.
    virtual bool Prepare();
    /// Encodes the open input into the open output.
    virtual JobEnd Encode(WaveInput& input, platform::AtomicFileWriter& output) = 0;
    /// The job body on the worker thread: the sequence above around Encode.
    virtual void Run();
    /// From Encode, with ReplayGain: what measured the output and what writes its values, once
    /// the output is complete.
    void KeepReplayGain(std::unique_ptr<LoudnessMeter> meter,
                        std::unique_ptr<ReplayGainWriter> writer);

    bool StopWasRequested() const { return state_.load() == StopRequested; }
    const EncodeJobInput& Input() const { return input_; }
    IProgressBar& Bar() const { return *bar_; }
    void StopAndWait();

private:
    bool LaunchThread();
    void ThreadProc();
    /// The working file beside the output, which counts as unfinished until Run returns. An
    /// output that is an input of the batch, under any name, is refused.
    bool CreateOutput(platform::AtomicFileWriter& output);
    /// Makes the missing folders of the output's path: 0, or the system's error number.
    int HoldFolders();
    /// Lets the folders go that HoldFolders made: removed again when the output is not there.
    void ReleaseFolders();
    /// The input of the batch that outPath is, if it is one.
    std::optional<std::string> InputAt(const std::string& outPath) const;
    void EndAtOnce(INotifyTarget* notify);
    /// A converted output with ReplayGain: its track values go in and it takes its name, or it
    /// waits in its album. False after a failure's message.
    bool PlaceWithReplayGain(std::unique_ptr<platform::AtomicFileWriter>& output);
    void SetOutcome(EncodeOutcome outcome) { outcome_.store(outcome); }

    EncodeJobInput input_;
    IProgressBar* bar_ = nullptr;
    WaveInput wave_;
    std::unique_ptr<LoudnessMeter> replayGainMeter_;
    std::unique_ptr<ReplayGainWriter> replayGainWriter_;
    std::thread thread_;
    bool started_ = false;
    std::atomic<std::int32_t> state_{Idle};
    std::atomic<EncodeOutcome> outcome_{EncodeOutcome::None};
    INotifyTarget* notify_ = nullptr;
    std::mutex outputMutex_;
    std::string unfinishedOutput_;
    bool outputAbandoned_ = false;
    bool foldersHeld_ = false;
};
