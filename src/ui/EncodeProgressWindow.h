#pragma once

#include "batch/CEncodeDlg.h"
#include "batch/ConversionStart.h"
#include "batch/IEncodeDlgView.h"

#include <QDialog>

#include <memory>

class ElidedLabel;
class ProgressBarWidget;
class QTimer;

/// The conversion progress window "エンコード処理": the window of CEncodeDlg. Shows the input and
/// output paths, the times and the bar; "キャンセル", Escape and the close box cancel the current
/// file, "全てキャンセル" the whole batch; asks before an output is replaced and offers the save
/// dialog. Only the batch itself closes it.
class EncodeProgressWindow : public QDialog, public IEncodeDlgView {
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
    static constexpr const char* kSaveAsTitle = "名前を付けて保存";

    /// A window over owner for batch, which must outlive it.
    EncodeProgressWindow(const ConversionBatch& batch, QWidget* owner);
    /// Gone before its batch has ended (the program is ending): the running job is stopped and
    /// its partial output removed first.
    ~EncodeProgressWindow() override;

    /// Takes the first item, then shows the window modally until the batch has ended; a batch
    /// that ends while the window initialises (every item kept or failing at once) never shows
    /// it. Returns the dialog's result.
    int Run();
    /// "全てキャンセル": the running job stops and removes its output, no further item is taken.
    void CancelAll();
    /// "キャンセル", Escape and the close box: the running job stops, the batch goes on.
    void CancelFile();
    /// The program is ending: a box or dialog open over the window closes as by its cancel,
    /// the batch is cancelled as by CancelAll, and nothing more is asked.
    void EndBatch();

    CEncodeDlg& Dialog() { return *dialog_; }

    // IEncodeDlgView
    void SetInputText(const std::string& text) override;
    void SetOutputText(const std::string& text) override;
    void SetTimeText(const std::string& text) override;
    void StartTimer(unsigned periodMilliseconds) override;
    void StopTimer() override;
    void EndDialog(int result) override;
    platform::MessageAnswer Ask(const platform::MessageRequest& question) override;
    int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                  std::string& chosenPath) override;
    void PostEncodeEnd() override;

    /// The save dialog's filter for Qt: "MP3ファイル(*.mp3)" from "MP3ファイル(*.mp3)|*.mp3||".
    static QString FilterText(const SaveAsFilter& filter);
    /// A chosen path with the default extension added when its name has none.
    static std::string WithDefaultExtension(const std::string& path, const SaveAsFilter& filter);

protected:
    /// Escape and the close box end up here; the window stays.
    void reject() override;

private:
    std::unique_ptr<CEncodeDlg> dialog_;
    ElidedLabel* input_;
    ElidedLabel* output_;
    ElidedLabel* time_;
    ProgressBarWidget* bar_;
    QTimer* timer_;
    bool ended_ = false;
    bool ending_ = false;
};
