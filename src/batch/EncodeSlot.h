// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/ConversionStart.h"
#include "batch/IEncodeBatchView.h"
#include "encoders/CMP3EncodeThread.h"
#include "encoders/COggEncodeThread.h"
#include "encoders/INotifyTarget.h"
#include "tags/EncodeItem.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

/// One place of a batch where a job runs: a job object of each kind (reused for every item the
/// slot runs), the bar they drive, and the item and output path it runs.
class EncodeSlot : public INotifyTarget {
public:
    explicit EncodeSlot(IEncodeBatchView& view) : view_(view) {}
    ~EncodeSlot() override;
    EncodeSlot(const EncodeSlot&) = delete;
    EncodeSlot& operator=(const EncodeSlot&) = delete;

    CProgressBarEx& ProgressBar() { return bar_; }
    const CProgressBarEx& ProgressBar() const { return bar_; }
    /// True from the start of a job until its end has been taken.
    bool IsBusy() const { return busy_; }
    /// The item the slot runs, or ran last.
    std::size_t Index() const { return index_; }
    const EncodeItem& Item() const { return item_; }
    const std::string& OutputPath() const { return outPath_; }

    /// Starts the job of the batch's kind on the item; false when it ended at once (no engine
    /// library, no thread) or could not be set up, and the slot is free again.
    bool Begin(const ConversionBatch& batch, std::size_t index, const EncodeItem& item,
               const std::string& outPath);
    /// The seconds the slot's job has run, counted by Tick; 0 again at each Begin.
    std::uint32_t ElapsedSeconds() const { return elapsedSeconds_; }
    /// One tick of the batch's timer: counts a second while a job runs.
    void Tick();
    /// The audio bytes the slot's last job has gone through: 0 until that job has set its bar.
    std::uint64_t DoneBytes() const;

    /// True, once, when the running job has posted its end; the slot is free from then on.
    bool TakeEnd();
    void RequestStop();
    /// The state and outcome of the job the slot ran last.
    std::int32_t JobState() const { return Job().GetState(); }
    EncodeOutcome JobOutcome() const { return Job().Outcome(); }
    /// See CEncodeThread::AbandonOutput.
    void AbandonOutput();

    void PostEncodeEnd() override;
    void SendEncodeEnd() override;

private:
    const CEncodeThread& Job() const;
    CEncodeThread& Job();

    IEncodeBatchView& view_;
    // Driven by the running job: declared before the jobs, which wait for their thread, so that
    // the jobs go first.
    CProgressBarEx bar_;
    EncodeItem item_;
    std::string outPath_;
    std::size_t index_ = 0;
    std::uint32_t elapsedSeconds_ = 0;
    std::uint64_t startChanges_ = 0;
    bool mp3_ = true;
    bool busy_ = false;
    bool endedAtOnce_ = false;
    std::atomic<bool> endPosted_{false};
    CMP3EncodeThread mp3Job_;
    COggEncodeThread oggJob_;
};
