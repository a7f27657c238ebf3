#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/ConversionStart.h"
#include "batch/IEncodeDlgView.h"
#include "encoders/CMP3EncodeThread.h"
#include "encoders/COggEncodeThread.h"
#include "encoders/INotifyTarget.h"
#include "platform/File.h"
#include "tags/EncodeItem.h"

#include <cstdint>
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

/// The conversion progress dialog's logic: takes the items of a batch one after another,
/// derives their output paths, asks before replacing (always before replacing an output this
/// batch has written), runs one job at a time, and follows the two cancel buttons. The jobs
/// write the whole output themselves, the MP3 job its ID3v2 tag and ID3v1 record from the
/// current item too.
/// Every handler runs on the front end's event thread; the view does what the window system
/// would.
class CEncodeDlg : public INotifyTarget {
public:
    static constexpr unsigned kTimerPeriodMilliseconds = 1000;
    static constexpr const char* kTimeFormat =
        "　　　経過時間：%02u:%02u　　　　　　予想時間：%02u:%02u";
    static constexpr const char* kOverwriteText =
        "保存先に同一ファイル名が存在します\n上書きしてもよろしいでしょうか？";
    static constexpr const char* kOverwriteTitleFormat = "保存確認(%s)";
    static constexpr SaveAsFilter kMp3SaveAsFilter{"MP3ファイル(*.mp3)|*.mp3||", "mp3"};
    static constexpr SaveAsFilter kOggSaveAsFilter{"OggVorbisファイル(*.ogg)|*.ogg||", "ogg"};

    explicit CEncodeDlg(IEncodeDlgView& view);
    ~CEncodeDlg() override;
    CEncodeDlg(const CEncodeDlg&) = delete;
    CEncodeDlg& operator=(const CEncodeDlg&) = delete;

    /// The batch to run; it must outlive the dialog's run. Set before Start.
    void SetBatch(const ConversionBatch& batch);

    /// The dialog's initialisation: shows zero times and takes the first item, so questions,
    /// messages and even the end may come before Start returns.
    void Start();

    /// Takes the next item and starts its job, skipping kept outputs and jobs that ended at
    /// once, or ends the dialog when the list is done or everything was cancelled.
    void StartNextFile();

    /// The output path of an input: its file name cut after the last dot, "mp3" or "ogg"
    /// appended, placed in folder (relative when folder is empty).
    static std::string OutputPathOf(const std::string& inPath, const std::string& folder,
                                    std::int32_t encodeType);

    /// True when path exists and the user chose to keep it.
    bool ConfirmOverwrite(const std::string& path);
    /// True when path is a file an item of this batch was converted to.
    bool WrittenByThisBatch(const std::string& path) const;
    /// The save dialog for the encoder kind; see IEncodeDlgView::AskSaveAs.
    int AskSaveAs(const std::string& initialPath, std::string& chosenPath);

    /// The end of the current job, on the event thread.
    void OnEncodeEnd();
    /// One tick of the 1000 ms timer.
    void OnTimer();
    void OnCancelFile();
    void OnCancelAll();

    /// The expected total seconds of the current file at its present rate; 0 while nothing can
    /// be told yet.
    std::uint32_t EstimateSeconds() const;

    /// The bar the jobs drive; the front end gives it a view.
    CProgressBarEx& ProgressBar() { return bar_; }
    const std::string& OutputPath() const { return outPath_; }
    const std::string& InputPath() const { return current_.InPath; }
    /// One result per item of the batch, in order.
    const std::vector<BatchItemReport>& Results() const { return results_; }
    /// True once the dialog has ended.
    bool HasEnded() const { return ended_; }
    /// Removes the running job's unfinished output and keeps the jobs from creating another,
    /// for a front end that ends the process without waiting (see CEncodeThread::AbandonOutput).
    void AbandonOutput();

    void PostEncodeEnd() override;
    void SendEncodeEnd() override;

private:
    bool BeginJob();
    /// The end processing of the current item; true when the batch goes on.
    bool FinishItem(bool jobRan);
    void End(int result);
    void RequestCancel(int request);
    bool IsMp3() const;

    IEncodeDlgView& view_;
    // The bar and the current item are read by the running job: they are declared before the
    // jobs so that the jobs (which wait for their thread) go first.
    CProgressBarEx bar_;
    EncodeItem current_;
    std::string outPath_;
    const ConversionBatch* batch_ = nullptr;
    std::vector<BatchItemReport> results_;
    std::vector<platform::FileIdentity> written_;
    std::size_t nextIndex_ = 0;
    std::size_t currentIndex_ = 0;
    int cancelRequest_ = 0;
    std::uint32_t elapsedSeconds_ = 0;
    bool jobRunning_ = false;
    bool beginning_ = false;
    bool endedAtOnce_ = false;
    bool ended_ = false;
    CMP3EncodeThread mp3Job_;
    COggEncodeThread oggJob_;
};
