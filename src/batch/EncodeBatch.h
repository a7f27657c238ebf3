// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchAlbums.h"
#include "batch/ConversionStart.h"
#include "batch/EncodeSlot.h"
#include "batch/IEncodeBatchView.h"
#include "platform/File.h"
#include "tags/EncodeItem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

/// What became of one item of a batch.
enum class BatchItemResult {
    Converted,
    Skipped,   ///< the existing output was kept
    Failed,    ///< the job reported its failure, or could not start
    Cancelled, ///< stopped by a cancel button, or never taken after a cancel of all
};

/// One item's result and the output path its job wrote to (empty when no job ran).
struct BatchItemReport {
    BatchItemResult Result = BatchItemResult::Cancelled;
    std::string OutPath;
};

/// The rules of a batch, whether it runs one job at a time (the progress dialog) or several
/// (the terminal's -j): takes the items in list order, derives their output paths, asks before
/// replacing (always before replacing an output this batch has written), starts each item's job
/// in a free slot, records every item's result, follows the cancels, and ends once. The jobs
/// write the whole output themselves, the MP3 job its ID3v2 tag and ID3v1 record from the item
/// too; with ReplayGain a converted output waits in its album until the album's last item has
/// its result, or the batch ends.
/// Questions come one at a time, in list order, before their item's job starts, while the other
/// jobs go on; two jobs never write one output at the same time, and items sharing an output run
/// in list order. The time display counts from the 1000 ms timer: with one slot the running
/// file's elapsed and expected time, with several the whole batch's. Every handler runs on the
/// front end's event thread.
class EncodeBatch {
public:
    static constexpr unsigned kTimerPeriodMilliseconds = 1000;
    static constexpr const char* kTimeFormat =
        "　　　経過時間：%02u:%02u　　　　　　予想時間：%02u:%02u";
    static constexpr const char* kOverwriteText =
        "保存先に同一ファイル名が存在します\n上書きしてもよろしいでしょうか？";
    static constexpr const char* kOverwriteTitleFormat = "保存確認(%s)";
    /// The overwrite question's answers for every further existing output of the batch.
    static constexpr const char* kReplaceAllText = "全て上書き";
    static constexpr const char* kSkipAllText = "全てスキップ";
    static constexpr SaveAsFilter kMp3SaveAsFilter{"MP3ファイル(*.mp3)|*.mp3||", "mp3"};
    static constexpr SaveAsFilter kOggSaveAsFilter{"OggVorbisファイル(*.ogg)|*.ogg||", "ogg"};

    /// A batch that runs at most slots jobs at once (at least one).
    EncodeBatch(IEncodeBatchView& view, std::size_t slots);
    ~EncodeBatch();
    EncodeBatch(const EncodeBatch&) = delete;
    EncodeBatch& operator=(const EncodeBatch&) = delete;

    /// The batch to run; it must outlive the run. Set before Start.
    void SetBatch(const ConversionBatch& batch);

    /// Takes the first items, so questions, messages and even the end may come before Start
    /// returns.
    void Start();

    /// Fills the free slots with the next items, skipping kept outputs and jobs that ended at
    /// once, or ends the batch when the list is done or everything was cancelled and no job
    /// runs any more.
    void StartNextFile();

    /// The end of one or more jobs, on the event thread.
    void OnEncodeEnd();
    /// Stops the jobs running now; the batch goes on with the next items.
    void OnCancelFile();
    /// Stops the job running in the slot only; the batch goes on.
    void OnCancelSlot(std::size_t slot);
    /// Stops the jobs running now and takes no further item.
    void OnCancelAll();
    /// One tick of the 1000 ms timer: the times move on and the view shows them.
    void OnTimer();

    /// The expected total seconds: with one slot of the running file at its present rate, with
    /// several of the whole batch (by the audio bytes of its items); 0 while nothing can be told.
    std::uint32_t EstimateSeconds() const;
    /// The same for a file at position of upper bytes after elapsedSeconds.
    static std::uint32_t EstimateSeconds(std::uint32_t elapsedSeconds, std::uint64_t position,
                                         std::uint64_t upper);
    /// The time display's text.
    static std::string TimeText(std::uint32_t elapsedSeconds, std::uint32_t estimateSeconds);

    /// Items that have their result, and the audio time (microseconds) of the batch they and
    /// the running jobs stand for, of all.
    std::size_t DoneCount() const { return doneCount_; }
    std::uint64_t DoneAudio() const;
    std::uint64_t TotalAudio() const { return totalAudio_; }

    std::size_t SlotCount() const { return slots_.size(); }
    EncodeSlot& Slot(std::size_t slot) { return *slots_[slot]; }
    const EncodeSlot& Slot(std::size_t slot) const { return *slots_[slot]; }

    /// The item taken last (being asked about, or running) and its output path.
    const EncodeItem& TakenItem() const { return taken_; }
    const std::string& TakenOutputPath() const { return takenOut_; }
    /// One result per item of the batch, in order.
    const std::vector<BatchItemReport>& Results() const { return results_; }
    /// True once the batch has ended.
    bool HasEnded() const { return ended_; }
    /// Removes the running jobs' unfinished outputs and keeps the jobs from creating others,
    /// for a front end that ends the process without waiting (see CEncodeThread::AbandonOutput).
    void AbandonOutput();

private:
    /// The item taken and not yet started: its questions may still be ahead.
    struct Pending {
        std::size_t index = 0;
        bool asked = false;
    };

    enum class Overwrite { Replace, ChooseOther, Skip };

    /// What becomes of path: replaced when it does not exist; else the user's answer, or the
    /// answer given for the whole batch.
    Overwrite AskOverwrite(const std::string& path);
    /// True when path is a file an item of this batch was converted to.
    bool WrittenByThisBatch(const std::string& path) const;
    /// The save dialog for the encoder kind.
    int AskSaveAs(const std::string& initialPath, std::string& chosenPath);
    /// StartNextFile's work, outside a question's event loop.
    void TakeItems();
    /// The end processing of the slot's item.
    void FinishItem(EncodeSlot& slot, bool jobRan);
    /// Outputs an album put in place count as written by the batch; one that failed makes its
    /// item's result a failure.
    void TakePlaced(const BatchAlbums::Placed& placed);
    void End(int result);
    void RequestCancel(int request);
    bool IsMp3() const;
    EncodeSlot* FreeSlot();
    std::size_t SlotNumber(const EncodeSlot& slot) const;
    /// An item's audio time in microseconds, from its probe.
    std::uint64_t AudioOf(std::size_t index) const;
    /// The audio time a running slot's job has gone through: its bar counts bytes.
    std::uint64_t RunningAudio(const EncodeSlot& slot) const;
    bool AnySlotBusy() const;
    /// True while a running job writes the file at path.
    bool OutputBusy(const std::string& path) const;

    IEncodeBatchView& view_;
    const ConversionBatch* batch_ = nullptr;
    std::vector<BatchItemReport> results_;
    std::vector<platform::FileIdentity> written_;
    BatchAlbums albums_;
    EncodeItem taken_;
    std::string takenOut_;
    std::optional<Pending> pending_;
    /// "全て上書き" or "全てスキップ": the answer to every further question of the batch.
    std::optional<Overwrite> overwriteAll_;
    std::size_t nextIndex_ = 0;
    int cancelRequest_ = 0;
    bool stoppedAfterFinish_ = false;
    bool ended_ = false;
    // Set while the items are being taken: a question's own event loop may deliver job ends,
    // whose items are finished at once, but the taking goes on only in the outer call.
    bool taking_ = false;
    std::uint32_t elapsedSeconds_ = 0;
    std::size_t doneCount_ = 0;
    // Audio time in microseconds.
    std::uint64_t totalAudio_ = 0;
    std::uint64_t doneAudio_ = 0;    ///< audio of the items with their result
    std::uint64_t encodedAudio_ = 0; ///< audio the finished jobs went through
    // Last: the slots' jobs wait for their threads before anything they read goes away.
    std::vector<std::unique_ptr<EncodeSlot>> slots_;
};
