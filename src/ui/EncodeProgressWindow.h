// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/CProgressBarEx.h"
#include "batch/ConversionStart.h"
#include "batch/EncodeBatch.h"
#include "batch/IEncodeBatchView.h"

#include <QDialog>

#include <cstddef>
#include <memory>
#include <vector>

class ElidedLabel;
class ProgressBarWidget;
class QLabel;
class QPushButton;
class QTimer;

/// The conversion progress window "エンコード処理": the window of an EncodeBatch. With one slot it
/// shows the input and output paths, the file's times and the bar; with several, a block per
/// running file (its input and output paths, its bar and its own "中止") above one line for the
/// whole batch (files done of all, the bar of all the audio, the batch's times); a file's block
/// leaves once the file has its result. "キャンセル", Escape and the close box cancel the files
/// being converted, "全てキャンセル" the whole batch. Asks, over itself, before an output is
/// replaced and offers the save dialog. Only the batch itself closes it.
class EncodeProgressWindow : public QDialog, public IEncodeBatchView {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "エンコード処理";
    static constexpr const char* kInputCaption = "入力ファイル";
    static constexpr const char* kOutputCaption = "出力ファイル";
    static constexpr const char* kInputPlaceholder = "入力ファイルをここに表示";
    static constexpr const char* kOutputPlaceholder = "出力ファイルをここに表示";
    static constexpr const char* kTimePlaceholder = "ここに経過時間を表示";
    static constexpr const char* kCancelText = "キャンセル";
    static constexpr const char* kCancelAllText = "全てキャンセル";
    static constexpr const char* kCancelTip =
        "変換中のファイルをキャンセルし、次のファイルに進みます";
    static constexpr const char* kCancelSeveralTip =
        "変換中のファイルをすべてキャンセルし、次のファイルに進みます。1 つのファイルだけを止める"
        "には、そのファイルの「中止」を押してください";
    static constexpr const char* kCancelAllTip =
        "変換中のファイルをすべてキャンセルし、残りのファイルも変換しません";
    static constexpr const char* kCancelBlockText = "中止";
    static constexpr const char* kCancelBlockTip =
        "このファイルの変換だけを中止します。ほかのファイルの変換は続きます";
    static constexpr const char* kCancelBlockName = "このファイルの変換を中止";
    static constexpr const char* kCancelBlockNameFormat = "%s の変換を中止";
    static constexpr const char* kSaveAsTitle = "名前を付けて保存";
    static constexpr const char* kDoneFormat = "全体　%zu / %zu ファイル";

    /// A window over owner for batch, which must outlive it, converting up to jobs files at
    /// once.
    EncodeProgressWindow(const ConversionBatch& batch, std::size_t jobs, QWidget* owner);
    /// Gone before its batch has ended (the program is ending): the running jobs are stopped
    /// and their partial outputs removed first.
    ~EncodeProgressWindow() override;

    /// Takes the first items, then shows the window modally until the batch has ended; a batch
    /// that ends while the window initialises (every item kept or failing at once) never shows
    /// it. Returns the batch's result.
    int Run();
    /// "全てキャンセル": the running jobs stop and remove their outputs, no further item is
    /// taken.
    void CancelAll();
    /// "キャンセル", Escape and the close box: the running jobs stop, the batch goes on.
    void CancelFile();
    /// A block's "中止": the job of that slot stops, the others go on.
    void CancelSlot(std::size_t slot);
    /// The program is ending: a box or dialog open over the window closes as by its cancel,
    /// the batch is cancelled as by CancelAll, and nothing more is asked.
    void EndProgram();

    EncodeBatch& Batch() { return *batch_; }
    /// The input path shown for the slot ("" while it is idle).
    QString InputText(std::size_t slot) const;
    /// True when no window of the program was active as the batch ended: the user was elsewhere.
    bool EndedUnseen() const { return endedUnseen_; }

    // IEncodeBatchView
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
    void StartTimer(unsigned periodMilliseconds) override;
    void StopTimer() override;
    void SetTimeText(const std::string& text) override;

    /// The save dialog's filter for Qt: "MP3ファイル(*.mp3)" from "MP3ファイル(*.mp3)|*.mp3||".
    static QString FilterText(const SaveAsFilter& filter);
    /// A chosen path with the default extension added when its name has none.
    static std::string WithDefaultExtension(const std::string& path, const SaveAsFilter& filter);

protected:
    /// Escape and the close box end up here; the window stays.
    void reject() override;

private:
    /// What the window shows of one slot.
    struct FileBlock {
        QWidget* frame; ///< the block as a whole, with several slots
        ElidedLabel* input;
        ElidedLabel* output;
        ProgressBarWidget* bar;
        QPushButton* cancel; ///< with several slots
    };

    /// The block of one slot among several, hidden until its first job starts.
    FileBlock NewSlotBlock(std::size_t slot, QWidget* parent);
    /// Questions come over the window: it is shown, modal, before the first.
    void ShowForQuestions();

    void SetPath(ElidedLabel* label, const char* caption, const std::string& path);
    /// The batch line's count and bar of all the audio.
    void ShowBatchProgress();

    std::unique_ptr<EncodeBatch> batch_;
    std::vector<FileBlock> blocks_;
    ElidedLabel* time_;
    QLabel* doneCount_ = nullptr;
    CProgressBarEx batchBar_;
    ProgressBarWidget* batchBarWidget_ = nullptr;
    QTimer* timer_;
    bool ended_ = false;
    bool ending_ = false;
    bool endedUnseen_ = false;
};
