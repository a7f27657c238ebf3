#include "CEncodeDlg.h"

#include "platform/File.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "settings/OutFolderParm.h"

#include <algorithm>

CEncodeDlg::CEncodeDlg(IEncodeDlgView& view) : view_(view) {}

CEncodeDlg::~CEncodeDlg() = default;

void CEncodeDlg::SetBatch(const ConversionBatch& batch) {
    batch_ = &batch;
}

void CEncodeDlg::Start() {
    view_.SetTimeText(platform::Format(kTimeFormat, 0u, 0u, 0u, 0u));
    results_.assign(batch_ != nullptr ? batch_->Paths.size() : 0, BatchItemReport{});
    written_.clear();
    nextIndex_ = 0;
    StartNextFile();
}

bool CEncodeDlg::IsMp3() const {
    return batch_ == nullptr || batch_->EncodeType != kEncodeTypeOgg;
}

void CEncodeDlg::StartNextFile() {
    // A loop rather than the recursion of "skip and take the next": a long batch whose items
    // all end at once must not grow the stack.
    while (!ended_) {
        const std::size_t count = batch_ != nullptr ? batch_->Paths.size() : 0;
        if (nextIndex_ >= count || cancelRequest_ == 2) {
            End(IEncodeDlgView::kResultOk);
            return;
        }
        cancelRequest_ = 0;
        currentIndex_ = nextIndex_;
        current_ = batch_->Items[currentIndex_];
        outPath_ = OutputPathOf(current_.InPath, batch_->OutFolder, batch_->EncodeType);
        view_.SetInputText(current_.InPath);
        view_.SetOutputText(outPath_);
        ++nextIndex_;

        // An output this batch has written is asked about even with the question switched
        // off: replacing it silently would lose an item converted moments ago.
        const bool asks = (batch_->IdentityOutFile != nullptr && *batch_->IdentityOutFile != 0) ||
                          WrittenByThisBatch(outPath_);
        if (asks && ConfirmOverwrite(outPath_)) {
            std::string chosen;
            if (AskSaveAs(outPath_, chosen) != IEncodeDlgView::kSaveAsOk) {
                results_[currentIndex_].Result = BatchItemResult::Skipped;
                continue;
            }
            outPath_ = chosen;
            view_.SetOutputText(outPath_);
        }

        if (BeginJob()) {
            view_.StopTimer();
            elapsedSeconds_ = 0;
            view_.StartTimer(kTimerPeriodMilliseconds);
            return;
        }
        // The job ended before it began (no engine library, no thread): its end is handled here
        // so that the batch goes on and the dialog can never wait for an end that never comes.
        if (!FinishItem(false)) {
            return;
        }
    }
}

bool CEncodeDlg::BeginJob() {
    beginning_ = true;
    endedAtOnce_ = false;
    bool started = false;
    if (IsMp3()) {
        started = mp3Job_.BeginEncode(this, batch_->LameParm, &current_, &bar_, current_.InPath,
                                      outPath_, batch_->Id3v2);
    } else {
        started =
            oggJob_.BeginEncode(this, batch_->Ogg, &current_, &bar_, current_.InPath, outPath_);
    }
    beginning_ = false;
    jobRunning_ = started && !endedAtOnce_;
    return jobRunning_;
}

std::string CEncodeDlg::OutputPathOf(const std::string& inPath, const std::string& folder,
                                     std::int32_t encodeType) {
    std::string name(platform::NameOf(inPath));
    const std::size_t dot = platform::LastDot(name);
    if (dot != std::string::npos) {
        name.resize(dot + 1);
    }
    name += encodeType == kEncodeTypeOgg ? "ogg" : "mp3";
    return platform::JoinFolder(folder, name);
}

bool CEncodeDlg::WrittenByThisBatch(const std::string& path) const {
    const auto identity = platform::IdentifyFile(path);
    return identity && std::find(written_.begin(), written_.end(), *identity) != written_.end();
}

bool CEncodeDlg::ConfirmOverwrite(const std::string& path) {
    if (!platform::FileExists(path)) {
        return false;
    }
    const platform::MessageRequest question{
        kOverwriteText, platform::Format(kOverwriteTitleFormat, path.c_str()),
        platform::MessageIcon::None, platform::MessageButtons::YesNo};
    return view_.Ask(question) != platform::MessageAnswer::Yes;
}

int CEncodeDlg::AskSaveAs(const std::string& initialPath, std::string& chosenPath) {
    return view_.AskSaveAs(initialPath, IsMp3() ? kMp3SaveAsFilter : kOggSaveAsFilter, chosenPath);
}

void CEncodeDlg::OnEncodeEnd() {
    // Only the end of the job that runs counts: a late or repeated event finds none.
    if (ended_ || !jobRunning_) {
        return;
    }
    jobRunning_ = false;
    if (FinishItem(true)) {
        StartNextFile();
    }
}

bool CEncodeDlg::FinishItem(bool jobRan) {
    const CEncodeThread& job = IsMp3() ? static_cast<const CEncodeThread&>(mp3Job_) : oggJob_;
    // A job that never ran has no state of this item to read.
    const bool stopped = jobRan && job.GetState() == StopRequested;
    view_.StopTimer();
    elapsedSeconds_ = 0;

    BatchItemResult result = BatchItemResult::Failed;
    if (jobRan) {
        switch (job.Outcome()) {
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
    if (result == BatchItemResult::Converted) {
        if (const auto written = platform::IdentifyFile(outPath_)) {
            written_.push_back(*written);
        }
    }
    results_[currentIndex_].Result = result;
    if (jobRan) {
        results_[currentIndex_].OutPath = outPath_;
    }

    if (stopped) {
        End(IEncodeDlgView::kResultCancel);
        return false;
    }
    return true;
}

void CEncodeDlg::End(int result) {
    ended_ = true;
    view_.EndDialog(result);
}

void CEncodeDlg::AbandonOutput() {
    mp3Job_.AbandonOutput();
    oggJob_.AbandonOutput();
}

void CEncodeDlg::OnTimer() {
    if (!jobRunning_) {
        return;
    }
    ++elapsedSeconds_;
    const std::uint32_t estimate = EstimateSeconds();
    view_.SetTimeText(platform::Format(kTimeFormat, elapsedSeconds_ / 60, elapsedSeconds_ % 60,
                                       estimate / 60, estimate % 60));
}

std::uint32_t CEncodeDlg::EstimateSeconds() const {
    if (elapsedSeconds_ == 0) {
        return 0;
    }
    const auto position = static_cast<std::uint32_t>(bar_.GetPos());
    const std::uint32_t rate = position / elapsedSeconds_;
    if (rate == 0) {
        return 0;
    }
    return static_cast<std::uint32_t>(bar_.GetUpper()) / rate;
}

void CEncodeDlg::OnCancelFile() {
    RequestCancel(1);
}

void CEncodeDlg::OnCancelAll() {
    RequestCancel(2);
}

void CEncodeDlg::RequestCancel(int request) {
    if (ended_) {
        return;
    }
    // The last button pressed counts: cancel after cancel all lets the batch go on.
    cancelRequest_ = request;
    if (IsMp3()) {
        mp3Job_.RequestStop();
    } else {
        oggJob_.RequestStop();
    }
}

void CEncodeDlg::PostEncodeEnd() {
    view_.PostEncodeEnd();
}

void CEncodeDlg::SendEncodeEnd() {
    if (beginning_) {
        endedAtOnce_ = true;
        return;
    }
    OnEncodeEnd();
}
