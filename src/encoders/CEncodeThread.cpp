// SPDX-License-Identifier: GPL-3.0-or-later
#include "CEncodeThread.h"

#include "encoders/JobMessages.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "platform/VectorState.h"

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

bool CEncodeThread::BeginEncode(const EncodeJobInput& input, IProgressBar& bar,
                                INotifyTarget* notify) {
    if (GetState() == Running) {
        return false;
    }
    // A stopped run may still be winding down; its input must not change under it.
    StopAndWait();
    input_ = input;
    bar_ = &bar;
    if (!Prepare()) {
        EndAtOnce(notify);
        return false;
    }
    if (Start(notify)) {
        return true;
    }
    EndAtOnce(notify);
    return false;
}

bool CEncodeThread::Prepare() {
    return true;
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

void CEncodeThread::Run() {
    SetOutcome(EncodeOutcome::Failed);
    const std::string& inPath = input_.Item.InPath;
    const std::string& outPath = input_.OutPath;
    if (!wave_.Open(inPath)) {
        return;
    }
    ResetProgress(*bar_, wave_.AudioBytes());
    auto output = std::make_unique<platform::AtomicFileWriter>(outPath);
    if (!CreateOutput(*output)) {
        wave_.Close();
        return;
    }
    replayGainMeter_.reset();
    replayGainWriter_.reset();
    const JobEnd end = Encode(wave_, *output);
    wave_.Close();
    switch (end) {
    case JobEnd::Converted:
        if (replayGainWriter_ != nullptr) {
            if (PlaceWithReplayGain(output)) {
                SetOutcome(EncodeOutcome::Converted);
            }
            return;
        }
        if (output->Commit()) {
            SetOutcome(EncodeOutcome::Converted);
            return;
        }
        ShowJobError(platform::Format(kOutputWriteFailed, outPath.c_str()), output->LastError());
        return;
    case JobEnd::Stopped:
        SetOutcome(EncodeOutcome::Stopped);
        break;
    case JobEnd::Failed:
        break;
    case JobEnd::ReadFailed:
        ShowJobError(platform::Format(kInputReadFailed, inPath.c_str()), wave_.Error());
        break;
    case JobEnd::WriteFailed:
        ShowJobError(platform::Format(kOutputWriteFailed, outPath.c_str()), output->LastError());
        break;
    }
    output->Discard();
}

void CEncodeThread::KeepReplayGain(std::unique_ptr<LoudnessMeter> meter,
                                   std::unique_ptr<ReplayGainWriter> writer) {
    replayGainMeter_ = std::move(meter);
    replayGainWriter_ = std::move(writer);
}

bool CEncodeThread::PlaceWithReplayGain(std::unique_ptr<platform::AtomicFileWriter>& output) {
    // Without an album the file is an album of its own that will not be complete.
    ReplayGainAlbum alone(1);
    ReplayGainAlbum& album = input_.Album != nullptr ? *input_.Album : alone;
    // An album places its outputs on the front end's thread: the audio goes to disk here.
    if (&album != &alone && !output->Sync()) {
        ShowJobError(platform::Format(kOutputWriteFailed, input_.OutPath.c_str()),
                     output->LastError());
        output->Discard();
        return false;
    }
    // The folders made for the output stay until it has its name.
    std::shared_ptr<OutputFolders> folders;
    if (foldersHeld_) {
        std::lock_guard lock(outputMutex_);
        foldersHeld_ = false;
        folders = input_.Folders;
    }
    album.Hold({std::move(output), input_.OutPath, std::move(replayGainMeter_),
                std::move(replayGainWriter_), std::move(folders)});
    return &album != &alone || alone.Settle().front().Written;
}

std::optional<std::string> CEncodeThread::InputAt(const std::string& outPath) const {
    const auto existing = platform::IdentifyFile(outPath);
    if (!existing) {
        return std::nullopt;
    }
    if (existing == platform::IdentifyFile(input_.Item.InPath)) {
        return input_.Item.InPath;
    }
    if (input_.BatchInputs != nullptr) {
        for (const BatchInput& input : *input_.BatchInputs) {
            if (input.Identity == *existing) {
                return input.Path;
            }
        }
    }
    return std::nullopt;
}

bool CEncodeThread::CreateOutput(platform::AtomicFileWriter& output) {
    const std::string& outPath = input_.OutPath;
    std::optional<std::string> input;
    int folderError = 0;
    {
        // One step with the record, so that no file can be created that AbandonOutput misses.
        std::lock_guard lock(outputMutex_);
        if (outputAbandoned_) {
            return false;
        }
        // The finished file would take the place of the file the output names: an input linked
        // under the output's name would be lost.
        input = InputAt(outPath);
        if (!input) {
            folderError = HoldFolders();
        }
        if (!input && folderError == 0 && output.Open()) {
            // Empty for a working file without a name: the process's end frees that.
            unfinishedOutput_ = output.LeftoverPath();
            return true;
        }
    }
    // Shown outside the lock: a message waits for the front end, which may be abandoning.
    if (input) {
        ShowJobError(platform::Format(kOutputIsInput, outPath.c_str(), input->c_str()));
    } else {
        ShowJobError(platform::Format(kOutputOpenFailed, outPath.c_str()),
                     folderError != 0 ? folderError : output.LastError());
    }
    return false;
}

int CEncodeThread::HoldFolders() {
    if (input_.Folders == nullptr) {
        return 0;
    }
    const int error = input_.Folders->Hold(input_.OutPath);
    foldersHeld_ = error == 0;
    return error;
}

void CEncodeThread::ReleaseFolders() {
    if (foldersHeld_) {
        foldersHeld_ = false;
        input_.Folders->Release(input_.OutPath);
    }
}

void CEncodeThread::AbandonOutput() {
    std::lock_guard lock(outputMutex_);
    outputAbandoned_ = true;
    if (!unfinishedOutput_.empty()) {
        platform::DeleteFile(unfinishedOutput_);
        unfinishedOutput_.clear();
    }
    if (input_.Folders != nullptr) {
        input_.Folders->Abandon();
    }
}

void CEncodeThread::ThreadProc() {
    // The thread has the vector registers of the one that started it, and a window's event
    // thread leaves their upper halves in use: that would slow every SSE step of the job.
    platform::ClearUpperVectorState();
    Run();
    {
        // Kept or removed by now, whatever the outcome.
        std::lock_guard lock(outputMutex_);
        unfinishedOutput_.clear();
        ReleaseFolders();
    }
    state_.store(Finished);
    if (notify_ != nullptr) {
        notify_->PostEncodeEnd();
    }
}
