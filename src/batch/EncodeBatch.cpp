// SPDX-License-Identifier: GPL-3.0-or-later
#include "EncodeBatch.h"

#include "batch/OutputLayout.h"
#include "platform/File.h"
#include "platform/Format.h"
#include "settings/OutFolderParm.h"

#include <algorithm>
#include <filesystem>
#include <limits>

EncodeBatch::EncodeBatch(IEncodeBatchView& view, std::size_t slots) : view_(view) {
    slots_.resize(std::max<std::size_t>(slots, 1));
    for (std::unique_ptr<EncodeSlot>& slot : slots_) {
        slot = std::make_unique<EncodeSlot>(view);
    }
}

EncodeBatch::~EncodeBatch() = default;

void EncodeBatch::SetBatch(const ConversionBatch& batch) {
    batch_ = &batch;
}

void EncodeBatch::Start() {
    results_.assign(batch_ != nullptr ? batch_->Paths.size() : 0, BatchItemReport{});
    written_.clear();
    albums_.Reset(batch_ != nullptr ? batch_->Albums
                                    : std::vector<std::shared_ptr<ReplayGainAlbum>>{});
    overwriteAll_.reset();
    nextIndex_ = 0;
    totalAudio_ = 0;
    if (batch_ != nullptr) {
        for (const WaveProbe& probe : batch_->Probes) {
            totalAudio_ += probe.Microseconds();
        }
    }
    view_.SetTimeText(TimeText(0, 0));
    // With several slots the time is the batch's: it runs from the start to the end.
    if (slots_.size() > 1) {
        view_.StartTimer(kTimerPeriodMilliseconds);
    }
    StartNextFile();
}

void EncodeBatch::OnTimer() {
    if (ended_) {
        return;
    }
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        slot->Tick();
    }
    if (slots_.size() == 1) {
        if (!slots_[0]->IsBusy()) {
            return;
        }
        view_.SetTimeText(TimeText(slots_[0]->ElapsedSeconds(), EstimateSeconds()));
        return;
    }
    ++elapsedSeconds_;
    view_.SetTimeText(TimeText(elapsedSeconds_, EstimateSeconds()));
}

std::uint32_t EncodeBatch::EstimateSeconds() const {
    if (slots_.size() == 1) {
        const EncodeSlot& slot = *slots_[0];
        return EstimateSeconds(slot.ElapsedSeconds(), slot.ProgressBar().GetPos(),
                               slot.ProgressBar().GetUpper());
    }
    std::uint64_t running = 0;
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        running += slot->IsBusy() ? RunningAudio(*slot) : 0;
    }
    // The rate is that of the audio the jobs went through; what was skipped or failed early
    // counts as done without costing time.
    const std::uint64_t encoded = encodedAudio_ + running;
    if (elapsedSeconds_ == 0 || encoded == 0) {
        return 0;
    }
    const std::uint64_t left = totalAudio_ - std::min(DoneAudio(), totalAudio_);
    // Long double: microseconds times seconds can pass 64 bits on a long batch.
    return elapsedSeconds_ +
           static_cast<std::uint32_t>(static_cast<long double>(left) * elapsedSeconds_ /
                                      static_cast<long double>(encoded));
}

std::uint32_t EncodeBatch::EstimateSeconds(std::uint32_t elapsedSeconds, std::uint64_t position,
                                           std::uint64_t upper) {
    if (elapsedSeconds == 0) {
        return 0;
    }
    // In 64 bits: a file beyond 4 GiB has positions that 32 bits would wrap.
    const std::uint64_t rate = position / elapsedSeconds;
    if (rate == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(upper / rate, std::numeric_limits<std::uint32_t>::max()));
}

std::string EncodeBatch::TimeText(std::uint32_t elapsedSeconds, std::uint32_t estimateSeconds) {
    return platform::Format(kTimeFormat, elapsedSeconds / 60, elapsedSeconds % 60,
                            estimateSeconds / 60, estimateSeconds % 60);
}

std::uint64_t EncodeBatch::DoneAudio() const {
    std::uint64_t done = doneAudio_;
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        done += slot->IsBusy() ? RunningAudio(*slot) : 0;
    }
    return std::min(done, totalAudio_);
}

std::uint64_t EncodeBatch::AudioOf(std::size_t index) const {
    return batch_ != nullptr && index < batch_->Probes.size() ? batch_->Probes[index].Microseconds()
                                                              : 0;
}

std::uint64_t EncodeBatch::RunningAudio(const EncodeSlot& slot) const {
    const std::size_t index = slot.Index();
    if (batch_ == nullptr || index >= batch_->Probes.size()) {
        return 0;
    }
    const WaveProbe& probe = batch_->Probes[index];
    if (probe.AudioBytes == 0) {
        return 0;
    }
    const std::uint64_t bytes = std::min(slot.DoneBytes(), probe.AudioBytes);
    return static_cast<std::uint64_t>(static_cast<long double>(bytes) * probe.Microseconds() /
                                      static_cast<long double>(probe.AudioBytes));
}

bool EncodeBatch::IsMp3() const {
    return batch_ == nullptr || batch_->EncodeType != kEncodeTypeOgg;
}

void EncodeBatch::StartNextFile() {
    if (taking_) {
        return;
    }
    taking_ = true;
    TakeItems();
    taking_ = false;
}

void EncodeBatch::TakeItems() {
    // A loop rather than the recursion of "skip and take the next": a long batch whose items
    // all end at once must not grow the stack.
    while (!ended_) {
        const std::size_t count = batch_ != nullptr ? batch_->Paths.size() : 0;
        if (stoppedAfterFinish_ || cancelRequest_ == 2 || (!pending_ && nextIndex_ >= count)) {
            // The batch ends once, when its last job has ended.
            if (!AnySlotBusy()) {
                TakePlaced(albums_.Settle());
                End(stoppedAfterFinish_ ? IEncodeBatchView::kResultCancel
                                        : IEncodeBatchView::kResultOk);
            }
            return;
        }
        EncodeSlot* slot = FreeSlot();
        if (slot == nullptr) {
            return;
        }
        if (!pending_) {
            cancelRequest_ = 0;
            pending_ = Pending{nextIndex_};
            taken_ = batch_->Items[nextIndex_];
            takenOut_ = batch_->OutPaths[nextIndex_];
            view_.ItemTaken(nextIndex_, taken_.InPath, takenOut_);
            ++nextIndex_;
        }
        // The item waits for the job that writes its output: asked after that job, it is
        // asked about that job's file, and the files left are those of one job at a time.
        if (OutputBusy(takenOut_)) {
            return;
        }
        const std::size_t index = pending_->index;
        if (!pending_->asked) {
            pending_->asked = true;
            // An output still held by its album would come to replace this one unasked.
            TakePlaced(albums_.Release(takenOut_));
            // An output this batch has written is asked about even with the question switched
            // off: replacing it silently would lose an item converted moments ago.
            const bool asks =
                (batch_->IdentityOutFile != nullptr && *batch_->IdentityOutFile != 0) ||
                WrittenByThisBatch(takenOut_);
            const Overwrite choice = asks ? AskOverwrite(takenOut_) : Overwrite::Replace;
            if (choice != Overwrite::Replace) {
                std::string chosen;
                if (choice == Overwrite::Skip ||
                    AskSaveAs(takenOut_, chosen) != IEncodeBatchView::kSaveAsOk) {
                    pending_.reset();
                    results_[index].Result = BatchItemResult::Skipped;
                    TakePlaced(albums_.ItemEnded(index, false, takenOut_));
                    ++doneCount_;
                    doneAudio_ += AudioOf(index);
                    view_.ItemFinished(index, std::nullopt);
                    continue;
                }
                takenOut_ = chosen;
                view_.OutputChosen(index, takenOut_);
                if (OutputBusy(takenOut_)) {
                    // Asked about again once that job has ended: the file changes meanwhile.
                    pending_->asked = false;
                    return;
                }
            }
        }
        pending_.reset();
        if (slot->Begin(*batch_, index, taken_, takenOut_)) {
            if (slots_.size() == 1) {
                // The running file's time: counted afresh from its start.
                view_.StopTimer();
                view_.StartTimer(kTimerPeriodMilliseconds);
            }
            view_.JobStarted(SlotNumber(*slot), index);
            continue;
        }
        // The job ended before it began (no engine library, no thread): its end is handled here
        // so that the batch goes on and can never wait for an end that never comes.
        FinishItem(*slot, false);
    }
}

bool EncodeBatch::WrittenByThisBatch(const std::string& path) const {
    const auto identity = platform::IdentifyFile(path);
    return identity && std::find(written_.begin(), written_.end(), *identity) != written_.end();
}

EncodeBatch::Overwrite EncodeBatch::AskOverwrite(const std::string& path) {
    if (!platform::NameExists(path)) {
        return Overwrite::Replace;
    }
    if (overwriteAll_) {
        return *overwriteAll_;
    }
    platform::MessageRequest question{
        kOverwriteText, platform::Format(kOverwriteTitleFormat, path.c_str()),
        platform::MessageIcon::None, platform::MessageButtons::YesNoAll};
    question.yesToAllText = kReplaceAllText;
    question.noToAllText = kSkipAllText;
    switch (view_.Ask(question)) {
    case platform::MessageAnswer::Yes:
        return Overwrite::Replace;
    case platform::MessageAnswer::YesToAll:
        overwriteAll_ = Overwrite::Replace;
        return Overwrite::Replace;
    case platform::MessageAnswer::NoToAll:
        overwriteAll_ = Overwrite::Skip;
        return Overwrite::Skip;
    case platform::MessageAnswer::Ok:
    case platform::MessageAnswer::No:
        break;
    }
    return Overwrite::ChooseOther;
}

int EncodeBatch::AskSaveAs(const std::string& initialPath, std::string& chosenPath) {
    return view_.AskSaveAs(initialPath, IsMp3() ? kMp3SaveAsFilter : kOggSaveAsFilter, chosenPath);
}

void EncodeBatch::OnEncodeEnd() {
    if (ended_) {
        return;
    }
    bool taken = false;
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        if (slot->TakeEnd()) {
            FinishItem(*slot, true);
            taken = true;
        }
    }
    if (taken) {
        StartNextFile();
    }
}

void EncodeBatch::FinishItem(EncodeSlot& slot, bool jobRan) {
    // A job that never ran has no state of this item to read.
    const bool stopped = jobRan && slot.JobState() == StopRequested;
    BatchItemResult result = BatchItemResult::Failed;
    if (jobRan) {
        switch (slot.JobOutcome()) {
        case EncodeOutcome::Converted:
            result = BatchItemResult::Converted;
            break;
        case EncodeOutcome::Stopped:
            result = BatchItemResult::Cancelled;
            break;
        case EncodeOutcome::Failed:
        case EncodeOutcome::None:
            break;
        }
    }
    if (result == BatchItemResult::Converted && !albums_.Holds(slot.Index())) {
        if (const auto written = platform::IdentifyFile(slot.OutputPath())) {
            written_.push_back(*written);
        }
    }
    ++doneCount_;
    doneAudio_ += AudioOf(slot.Index());
    encodedAudio_ += jobRan ? RunningAudio(slot) : 0;
    if (slots_.size() == 1) {
        view_.StopTimer();
    }
    BatchItemReport& report = results_[slot.Index()];
    report.Result = result;
    if (jobRan) {
        report.OutPath = slot.OutputPath();
    }
    // Under a cancel of all, the item's album will not be complete: the batch's end places
    // what it holds without album values.
    if (cancelRequest_ != 2) {
        TakePlaced(albums_.ItemEnded(slot.Index(), result == BatchItemResult::Converted,
                                     slot.OutputPath()));
    }
    view_.ItemFinished(slot.Index(), SlotNumber(slot));
    // A stop that came after the job had finished: no further item is taken, and the batch
    // ends with the cancel result once no job runs.
    if (stopped) {
        stoppedAfterFinish_ = true;
    }
}

void EncodeBatch::TakePlaced(const BatchAlbums::Placed& placed) {
    for (const ReplayGainAlbum::Placed& output : placed) {
        if (output.Written) {
            if (const auto written = platform::IdentifyFile(output.Path)) {
                written_.push_back(*written);
            }
            continue;
        }
        for (BatchItemReport& report : results_) {
            if (report.Result == BatchItemResult::Converted && report.OutPath == output.Path) {
                report.Result = BatchItemResult::Failed;
            }
        }
    }
}

void EncodeBatch::End(int result) {
    ended_ = true;
    view_.StopTimer();
    view_.EndBatch(result);
}

void EncodeBatch::AbandonOutput() {
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        slot->AbandonOutput();
    }
    albums_.Abandon();
}

void EncodeBatch::OnCancelFile() {
    RequestCancel(1);
}

void EncodeBatch::OnCancelAll() {
    RequestCancel(2);
}

void EncodeBatch::OnCancelSlot(std::size_t slot) {
    if (ended_ || slot >= slots_.size() || !slots_[slot]->IsBusy()) {
        return;
    }
    // A cancel of all stays: only this job is stopped besides.
    slots_[slot]->RequestStop();
}

void EncodeBatch::RequestCancel(int request) {
    if (ended_) {
        return;
    }
    // The last request counts: cancel after cancel all lets the batch go on.
    cancelRequest_ = request;
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        if (slot->IsBusy()) {
            slot->RequestStop();
        }
    }
}

EncodeSlot* EncodeBatch::FreeSlot() {
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        if (!slot->IsBusy()) {
            return slot.get();
        }
    }
    return nullptr;
}

std::size_t EncodeBatch::SlotNumber(const EncodeSlot& slot) const {
    for (std::size_t number = 0; number < slots_.size(); ++number) {
        if (slots_[number].get() == &slot) {
            return number;
        }
    }
    return 0;
}

bool EncodeBatch::AnySlotBusy() const {
    return std::any_of(slots_.begin(), slots_.end(),
                       [](const std::unique_ptr<EncodeSlot>& slot) { return slot->IsBusy(); });
}

bool EncodeBatch::OutputBusy(const std::string& path) const {
    std::optional<std::filesystem::path> place;
    for (const std::unique_ptr<EncodeSlot>& slot : slots_) {
        if (!slot->IsBusy()) {
            continue;
        }
        if (!place) {
            place = PlaceOf(path);
        }
        if (PlaceOf(slot->OutputPath()) == *place) {
            return true;
        }
    }
    return false;
}
