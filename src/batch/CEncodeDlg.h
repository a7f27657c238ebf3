#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/ConversionStart.h"
#include "batch/EncodeBatch.h"
#include "batch/IEncodeBatchView.h"
#include "batch/IEncodeDlgView.h"
#include "tags/EncodeItem.h"

#include <cstdint>
#include <string>
#include <vector>

/// The conversion progress dialog's logic: a batch that runs one job at a time (the rules are
/// EncodeBatch's), with the dialog's labels, its time display and its two cancel buttons.
/// Every handler runs on the front end's event thread; the view does what the window system
/// would.
class CEncodeDlg : private IEncodeBatchView {
public:
    static constexpr unsigned kTimerPeriodMilliseconds = 1000;
    static constexpr const char* kTimeFormat =
        "　　　経過時間：%02u:%02u　　　　　　予想時間：%02u:%02u";
    static constexpr const char* kOverwriteText = EncodeBatch::kOverwriteText;
    static constexpr const char* kOverwriteTitleFormat = EncodeBatch::kOverwriteTitleFormat;
    static constexpr SaveAsFilter kMp3SaveAsFilter = EncodeBatch::kMp3SaveAsFilter;
    static constexpr SaveAsFilter kOggSaveAsFilter = EncodeBatch::kOggSaveAsFilter;

    explicit CEncodeDlg(IEncodeDlgView& view);
    ~CEncodeDlg() override;
    CEncodeDlg(const CEncodeDlg&) = delete;
    CEncodeDlg& operator=(const CEncodeDlg&) = delete;

    /// The batch to run; it must outlive the dialog's run. Set before Start.
    void SetBatch(const ConversionBatch& batch) { batch_.SetBatch(batch); }

    /// The dialog's initialisation: shows zero times and takes the first item, so questions,
    /// messages and even the end may come before Start returns.
    void Start();

    /// Takes the next item and starts its job, skipping kept outputs and jobs that ended at
    /// once, or ends the dialog when the list is done or everything was cancelled.
    void StartNextFile() { batch_.StartNextFile(); }

    /// See EncodeBatch::OutputPathOf.
    static std::string OutputPathOf(const std::string& inPath, const std::string& folder,
                                    std::int32_t encodeType) {
        return EncodeBatch::OutputPathOf(inPath, folder, encodeType);
    }

    /// The end of the current job, on the event thread.
    void OnEncodeEnd() { batch_.OnEncodeEnd(); }
    /// One tick of the 1000 ms timer.
    void OnTimer();
    void OnCancelFile() { batch_.OnCancelFile(); }
    void OnCancelAll() { batch_.OnCancelAll(); }

    /// The expected total seconds of the current file at its present rate; 0 while nothing can
    /// be told yet.
    std::uint32_t EstimateSeconds() const;
    /// The same for a file at position of upper bytes after elapsedSeconds.
    static std::uint32_t EstimateSeconds(std::uint32_t elapsedSeconds, std::uint64_t position,
                                         std::uint64_t upper);
    /// The time label's text.
    static std::string TimeText(std::uint32_t elapsedSeconds, std::uint32_t estimateSeconds);

    /// The bar the jobs drive; the front end gives it a view.
    CProgressBarEx& ProgressBar() { return batch_.Slot(0).ProgressBar(); }
    const std::string& OutputPath() const { return batch_.TakenOutputPath(); }
    const std::string& InputPath() const { return batch_.TakenItem().InPath; }
    /// One result per item of the batch, in order.
    const std::vector<BatchItemReport>& Results() const { return batch_.Results(); }
    /// True once the dialog has ended.
    bool HasEnded() const { return batch_.HasEnded(); }
    /// See EncodeBatch::AbandonOutput.
    void AbandonOutput() { batch_.AbandonOutput(); }
    /// The batch behind the dialog.
    EncodeBatch& Batch() { return batch_; }

private:
    void ItemTaken(std::size_t index, const std::string& inPath,
                   const std::string& outPath) override;
    void OutputChosen(std::size_t index, const std::string& outPath) override;
    void JobStarted(std::size_t slot, std::size_t index) override;
    void ItemFinished(std::size_t index, std::optional<std::size_t> slot) override;
    void EndBatch(int result) override;
    platform::MessageAnswer Ask(const platform::MessageRequest& question) override;
    int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                  std::string& chosenPath) override;
    void PostEncodeEnd() override;

    IEncodeDlgView& view_;
    std::uint32_t elapsedSeconds_ = 0;
    // Last: its jobs wait for their threads, which may still tell this dialog of their end.
    EncodeBatch batch_;
};
