#pragma once

#include "batch/IEncodeBatchView.h"

#include <string>

/// The window-system side of the conversion progress dialog: a window, a terminal or a test.
/// Everything here is called on the front end's event thread, except PostEncodeEnd.
class IEncodeDlgView {
public:
    static constexpr int kResultOk = IEncodeBatchView::kResultOk;
    static constexpr int kResultCancel = IEncodeBatchView::kResultCancel;
    static constexpr int kSaveAsOk = IEncodeBatchView::kSaveAsOk;

    virtual ~IEncodeDlgView() = default;

    virtual void SetInputText(const std::string& text) = 0;
    virtual void SetOutputText(const std::string& text) = 0;
    virtual void SetTimeText(const std::string& text) = 0;

    /// Starts (or restarts) the time display's timer; each period the front end calls
    /// CEncodeDlg::OnTimer on its event thread.
    virtual void StartTimer(unsigned periodMilliseconds) = 0;
    virtual void StopTimer() = 0;

    /// Ends the dialog with kResultOk or kResultCancel; called exactly once per run.
    virtual void EndDialog(int result) = 0;

    /// A modal Yes/No question owned by the dialog.
    virtual platform::MessageAnswer Ask(const platform::MessageRequest& question) = 0;

    /// A save-file dialog started at initialPath, asking itself before it lets an existing file
    /// be chosen. kSaveAsOk with chosenPath set, anything else leaving it unchanged.
    virtual int AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                          std::string& chosenPath) = 0;

    /// Called on a worker thread when a job has ended: queue the end onto the event loop and
    /// from there call CEncodeDlg::OnEncodeEnd.
    virtual void PostEncodeEnd() = 0;
};
