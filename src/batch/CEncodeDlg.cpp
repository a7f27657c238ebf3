#include "CEncodeDlg.h"

#include "platform/Format.h"

CEncodeDlg::CEncodeDlg(IEncodeDlgView& view) : view_(view), batch_(*this, 1) {}

CEncodeDlg::~CEncodeDlg() = default;

void CEncodeDlg::Start() {
    view_.SetTimeText(TimeText(0, 0));
    batch_.Start();
}

void CEncodeDlg::OnTimer() {
    if (!batch_.Slot(0).IsBusy()) {
        return;
    }
    ++elapsedSeconds_;
    view_.SetTimeText(TimeText(elapsedSeconds_, EstimateSeconds()));
}

std::uint32_t CEncodeDlg::EstimateSeconds() const {
    const CProgressBarEx& bar = batch_.Slot(0).ProgressBar();
    return EstimateSeconds(elapsedSeconds_, bar.GetPos(), bar.GetUpper());
}

std::uint32_t CEncodeDlg::EstimateSeconds(std::uint32_t elapsedSeconds, std::uint64_t position,
                                          std::uint64_t upper) {
    if (elapsedSeconds == 0) {
        return 0;
    }
    const std::uint32_t rate = static_cast<std::uint32_t>(position) / elapsedSeconds;
    if (rate == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(upper) / rate;
}

std::string CEncodeDlg::TimeText(std::uint32_t elapsedSeconds, std::uint32_t estimateSeconds) {
    return platform::Format(kTimeFormat, elapsedSeconds / 60, elapsedSeconds % 60,
                            estimateSeconds / 60, estimateSeconds % 60);
}

void CEncodeDlg::ItemTaken(std::size_t, const std::string& inPath, const std::string& outPath) {
    view_.SetInputText(inPath);
    view_.SetOutputText(outPath);
}

void CEncodeDlg::OutputChosen(std::size_t, const std::string& outPath) {
    view_.SetOutputText(outPath);
}

void CEncodeDlg::JobStarted(std::size_t, std::size_t) {
    view_.StopTimer();
    elapsedSeconds_ = 0;
    view_.StartTimer(kTimerPeriodMilliseconds);
}

void CEncodeDlg::ItemFinished(std::size_t, std::optional<std::size_t> slot) {
    // A skipped item had no job and no timer.
    if (slot) {
        view_.StopTimer();
        elapsedSeconds_ = 0;
    }
}

void CEncodeDlg::EndBatch(int result) {
    view_.EndDialog(result);
}

platform::MessageAnswer CEncodeDlg::Ask(const platform::MessageRequest& question) {
    return view_.Ask(question);
}

int CEncodeDlg::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                          std::string& chosenPath) {
    return view_.AskSaveAs(initialPath, filter, chosenPath);
}

void CEncodeDlg::PostEncodeEnd() {
    view_.PostEncodeEnd();
}
