#include "ui/EncodeProgressWindow.h"

#include "platform/File.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "ui/DialogFont.h"
#include "ui/ElidedLabel.h"
#include "ui/ProgressBarWidget.h"
#include "ui/QtMessageBackend.h"
#include "ui/QtText.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>
#include <string_view>

namespace {

ElidedLabel* PathLabel(const char* placeholder, QWidget* parent) {
    auto* label = new ElidedLabel(ToQString(placeholder), parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

} // namespace

EncodeProgressWindow::EncodeProgressWindow(const ConversionBatch& batch, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      dialog_(std::make_unique<CEncodeDlg>(*this)) {
    dialog_->SetBatch(batch);
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);

    input_ = PathLabel(kInputPlaceholder, this);
    input_->setObjectName(QStringLiteral("inputPath"));
    output_ = PathLabel(kOutputPlaceholder, this);
    output_->setObjectName(QStringLiteral("outputPath"));
    time_ = new ElidedLabel(ToQString(kTimePlaceholder), this);
    time_->setObjectName(QStringLiteral("time"));
    bar_ = new ProgressBarWidget(dialog_->ProgressBar(), this);
    bar_->setObjectName(QStringLiteral("progressBar"));

    // The template's OK: hidden and disabled, so that Enter presses nothing.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setEnabled(false);
    ok->hide();
    auto* cancel = new QPushButton(ToQString(kCancelText), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* cancelAll = new QPushButton(ToQString(kCancelAllText), this);
    cancelAll->setObjectName(QStringLiteral("cancelAllButton"));
    for (QPushButton* button : {cancel, cancelAll}) {
        button->setAutoDefault(false);
    }
    connect(cancel, &QPushButton::clicked, this, &EncodeProgressWindow::CancelFile);
    connect(cancelAll, &QPushButton::clicked, this, &EncodeProgressWindow::CancelAll);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { dialog_->OnTimer(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(ToQString(kInputCaption), this));
    layout->addWidget(input_);
    layout->addWidget(new QLabel(ToQString(kOutputCaption), this));
    layout->addWidget(output_);
    layout->addSpacing(6);
    layout->addWidget(time_);
    layout->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(cancelAll);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

EncodeProgressWindow::~EncodeProgressWindow() {
    timer_->stop();
    // The GUI thread is about to wait for a running job: no wait of its worker may be left for
    // this thread to answer, neither a paint nor a message box.
    std::optional<QtMessageBackend::WorkersUnanswered> unanswered;
    if (!ended_) {
        unanswered.emplace();
    }
    bar_->HandOff().Release();
    dialog_.reset();
    // The bar it showed is gone with the dialog.
    delete bar_;
}

int EncodeProgressWindow::Run() {
    dialog_->Start();
    if (ended_) {
        return result();
    }
    return exec();
}

void EncodeProgressWindow::CancelAll() {
    bar_->HandOff().Release();
    dialog_->OnCancelAll();
}

void EncodeProgressWindow::CancelFile() {
    bar_->HandOff().Release();
    dialog_->OnCancelFile();
}

void EncodeProgressWindow::EndBatch() {
    ending_ = true;
    for (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr && modal != this;
         modal = QApplication::activeModalWidget()) {
        if (!modal->close()) {
            break;
        }
    }
    CancelAll();
}

void EncodeProgressWindow::reject() {
    CancelFile();
}

void EncodeProgressWindow::SetInputText(const std::string& text) {
    // An item is taken only while no job runs: its job's redraws wait for their paint again.
    bar_->HandOff().Arm();
    input_->SetText(ToQString(text));
}

void EncodeProgressWindow::SetOutputText(const std::string& text) {
    output_->SetText(ToQString(text));
}

void EncodeProgressWindow::SetTimeText(const std::string& text) {
    time_->SetText(ToQString(text));
}

void EncodeProgressWindow::StartTimer(unsigned periodMilliseconds) {
    timer_->start(static_cast<int>(periodMilliseconds));
}

void EncodeProgressWindow::StopTimer() {
    timer_->stop();
}

void EncodeProgressWindow::EndDialog(int code) {
    ended_ = true;
    done(code);
}

platform::MessageAnswer EncodeProgressWindow::Ask(const platform::MessageRequest& question) {
    if (ending_) {
        return platform::MessageAnswer::No;
    }
    return QtMessageBackend::ShowBox(question, this);
}

QString EncodeProgressWindow::FilterText(const SaveAsFilter& filter) {
    // "name|pattern||": Qt reads the pattern from the parentheses of the name.
    const std::string_view text(filter.Filter);
    const std::size_t bar = text.find('|');
    const std::string_view name = text.substr(0, bar);
    std::string_view pattern;
    if (bar != std::string_view::npos) {
        pattern = text.substr(bar + 1, text.find('|', bar + 1) - bar - 1);
    }
    QString shown = ToQString(name);
    if (!pattern.empty() &&
        !shown.endsWith(QLatin1Char('(') + ToQString(pattern) + QLatin1Char(')'))) {
        shown += QLatin1String(" (") + ToQString(pattern) + QLatin1Char(')');
    }
    return shown;
}

std::string EncodeProgressWindow::WithDefaultExtension(const std::string& path,
                                                       const SaveAsFilter& filter) {
    if (platform::LastDot(platform::NameOf(path)) != std::string::npos) {
        return path;
    }
    return path + "." + filter.DefaultExtension;
}

int EncodeProgressWindow::AskSaveAs(const std::string& initialPath, const SaveAsFilter& filter,
                                    std::string& chosenPath) {
    // No file name is proposed; the dialog opens in the proposed output's folder.
    QString folder = ToQString(platform::FolderOf(initialPath));
    while (!ending_) {
        QFileDialog chooser(this, ToQString(kSaveAsTitle), folder, FilterText(filter));
        chooser.setAcceptMode(QFileDialog::AcceptSave);
        chooser.setFileMode(QFileDialog::AnyFile);
        // The default extension comes first, then the question about the file it names.
        chooser.setOption(QFileDialog::DontConfirmOverwrite);
        UseDialogFont(&chooser);
        if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
            return QDialog::Rejected;
        }
        const std::string path =
            WithDefaultExtension(ToUtf8(chooser.selectedFiles().constFirst()), filter);
        if (platform::FileExists(path)) {
            const platform::MessageRequest again{
                CEncodeDlg::kOverwriteText,
                platform::Format(CEncodeDlg::kOverwriteTitleFormat, path.c_str()),
                platform::MessageIcon::None, platform::MessageButtons::YesNo};
            if (Ask(again) != platform::MessageAnswer::Yes) {
                folder = ToQString(platform::FolderOf(path));
                continue;
            }
        }
        chosenPath = path;
        return kSaveAsOk;
    }
    return QDialog::Rejected;
}

void EncodeProgressWindow::PostEncodeEnd() {
    // From the worker: the end is handled on the GUI thread, after what is already queued.
    QMetaObject::invokeMethod(
        this, [this] { dialog_->OnEncodeEnd(); }, Qt::QueuedConnection);
}
