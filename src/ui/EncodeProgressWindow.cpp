// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/EncodeProgressWindow.h"

#include "platform/File.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "ui/Caption.h"
#include "ui/DialogFont.h"
#include "ui/ElidedLabel.h"
#include "ui/ProgressBarWidget.h"
#include "ui/QtMessageBackend.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

constexpr int kBlocksShown = 4;
constexpr int kBlockGap = 8;
constexpr const char* kProgressName = "進捗";
constexpr const char* kBatchProgressName = "全体の進捗";
constexpr const char* kBlocksName = "変換中のファイル";

ElidedLabel* PathLabel(const char* placeholder, QWidget* parent) {
    auto* label = new ElidedLabel(ToQString(placeholder), parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

} // namespace

EncodeProgressWindow::EncodeProgressWindow(const ConversionBatch& batch, std::size_t jobs,
                                           QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      batch_(std::make_unique<EncodeBatch>(*this, jobs)) {
    batch_->SetBatch(batch);
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);
    const bool several = batch_->SlotCount() > 1;

    auto* layout = new QVBoxLayout(this);
    // Several slots: a block each, scrolled when there are more than a few.
    auto* blocksWidget = several ? new QWidget : nullptr;
    auto* blocksLayout = several ? new QVBoxLayout(blocksWidget) : nullptr;
    if (several) {
        blocksLayout->setContentsMargins(0, 0, 0, 0);
        blocksLayout->setSpacing(kBlockGap);
        for (std::size_t slot = 0; slot < batch_->SlotCount(); ++slot) {
            blocks_.push_back(NewSlotBlock(slot, blocksWidget));
            blocksLayout->addWidget(blocks_.back().frame);
        }
        // The blocks that remain close up at the top.
        blocksLayout->addStretch();
    } else {
        FileBlock block{};
        block.input = PathLabel(kInputPlaceholder, this);
        block.output = PathLabel(kOutputPlaceholder, this);
        block.bar = new ProgressBarWidget(batch_->Slot(0).ProgressBar(), this);
        NameControl(block.input, kInputCaption);
        NameControl(block.output, kOutputCaption);
        NameControl(block.bar, kProgressName);
        block.input->setObjectName(QStringLiteral("inputPath"));
        block.output->setObjectName(QStringLiteral("outputPath"));
        block.bar->setObjectName(QStringLiteral("progressBar"));
        layout->addWidget(new QLabel(ToQString(kInputCaption), this));
        layout->addWidget(block.input);
        layout->addWidget(new QLabel(ToQString(kOutputCaption), this));
        layout->addWidget(block.output);
        blocks_.push_back(block);
    }
    if (several) {
        auto* scroll = new QScrollArea(this);
        scroll->setObjectName(QStringLiteral("fileBlocks"));
        NameControl(scroll, kBlocksName);
        scroll->setWidget(blocksWidget);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        const QSize blocksSize = blocksWidget->sizeHint();
        const auto slots = static_cast<int>(batch_->SlotCount());
        const int shown = std::min(slots, kBlocksShown);
        scroll->setFixedHeight((blocksSize.height() - kBlockGap * (slots - 1)) * shown / slots +
                               kBlockGap * (shown - 1));
        scroll->setMinimumWidth(
            blocksSize.width() +
            (shown < slots ? scroll->verticalScrollBar()->sizeHint().width() : 0));
        // Measured with every block in: the window keeps its size as files come and go.
        for (const FileBlock& block : blocks_) {
            block.frame->hide();
        }
        layout->addWidget(scroll);
        layout->addSpacing(10);
        doneCount_ = new QLabel(this);
        doneCount_->setObjectName(QStringLiteral("doneCount"));
        layout->addWidget(doneCount_);
        batchBarWidget_ = new ProgressBarWidget(batchBar_, this);
        batchBarWidget_->setObjectName(QStringLiteral("batchBar"));
        NameControl(batchBarWidget_, kBatchProgressName);
        ShowBatchProgress();
    } else {
        layout->addSpacing(6);
    }

    time_ = new ElidedLabel(ToQString(kTimePlaceholder), this);
    time_->setObjectName(QStringLiteral("time"));
    layout->addWidget(time_);
    layout->addWidget(several ? static_cast<QWidget*>(batchBarWidget_) : blocks_[0].bar);

    // The template's OK: hidden and disabled, so that Enter presses nothing.
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setEnabled(false);
    ok->hide();
    auto* cancel = new QPushButton(ToQString(kCancelText), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* cancelAll = new QPushButton(ToQString(kCancelAllText), this);
    cancelAll->setObjectName(QStringLiteral("cancelAllButton"));
    SetToolTip(cancel, several ? kCancelSeveralTip : kCancelTip);
    SetToolTip(cancelAll, kCancelAllTip);
    for (QPushButton* button : {cancel, cancelAll}) {
        button->setAutoDefault(false);
        // The style's own hint leaves a long caption no margin on one side.
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) +
                                2 * margin);
    }
    connect(cancel, &QPushButton::clicked, this, &EncodeProgressWindow::CancelFile);
    connect(cancelAll, &QPushButton::clicked, this, &EncodeProgressWindow::CancelAll);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] {
        batch_->OnTimer();
        ShowBatchProgress();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(cancelAll);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

EncodeProgressWindow::FileBlock EncodeProgressWindow::NewSlotBlock(std::size_t slot,
                                                                   QWidget* parent) {
    FileBlock block{};
    block.frame = new QWidget(parent);
    block.frame->setObjectName(QStringLiteral("fileBlock%1").arg(slot));
    block.input = PathLabel("", block.frame);
    block.output = PathLabel("", block.frame);
    block.bar = new ProgressBarWidget(batch_->Slot(slot).ProgressBar(), block.frame);
    block.cancel = new QPushButton(ToQString(kCancelBlockText), block.frame);
    block.cancel->setAutoDefault(false);
    if (slot == 0) {
        block.input->setObjectName(QStringLiteral("inputPath"));
        block.output->setObjectName(QStringLiteral("outputPath"));
        block.bar->setObjectName(QStringLiteral("progressBar"));
    }
    NameControl(block.input, kInputCaption);
    NameControl(block.output, kOutputCaption);
    NameControl(block.bar, kProgressName);
    NameControl(block.cancel, kCancelBlockName);
    SetToolTip(block.cancel, kCancelBlockTip);
    connect(block.cancel, &QPushButton::clicked, this, [this, slot] { CancelSlot(slot); });
    auto* frameLayout = new QVBoxLayout(block.frame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->addWidget(new QLabel(ToQString(kInputCaption), block.frame));
    frameLayout->addWidget(block.input);
    frameLayout->addWidget(new QLabel(ToQString(kOutputCaption), block.frame));
    frameLayout->addWidget(block.output);
    auto* barLine = new QHBoxLayout;
    barLine->addWidget(block.bar, 1);
    barLine->addWidget(block.cancel);
    frameLayout->addLayout(barLine);
    return block;
}

EncodeProgressWindow::~EncodeProgressWindow() {
    timer_->stop();
    // The GUI thread is about to wait for the running jobs: no message box of their workers may
    // be left for this thread to answer.
    std::optional<QtMessageBackend::WorkersUnanswered> unanswered;
    if (!ended_) {
        unanswered.emplace();
    }
    batch_.reset();
    // The bars they showed are gone with the batch.
    for (const FileBlock& block : blocks_) {
        delete block.bar;
    }
}

int EncodeProgressWindow::Run() {
    batch_->Start();
    if (ended_) {
        return result();
    }
    return exec();
}

void EncodeProgressWindow::CancelAll() {
    batch_->OnCancelAll();
}

void EncodeProgressWindow::CancelFile() {
    batch_->OnCancelFile();
}

void EncodeProgressWindow::CancelSlot(std::size_t slot) {
    batch_->OnCancelSlot(slot);
}

void EncodeProgressWindow::EndProgram() {
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

QString EncodeProgressWindow::InputText(std::size_t slot) const {
    return blocks_[slot].input->Text();
}

void EncodeProgressWindow::SetPath(ElidedLabel* label, const char* caption,
                                   const std::string& path) {
    label->SetText(ToShownName(path));
    // The label may show the path cut short: the reader hears it whole, after its caption.
    label->setAccessibleName(ToQString(caption) + QStringLiteral("：") + ToShownName(path));
}

void EncodeProgressWindow::ItemTaken(std::size_t, const std::string& inPath,
                                     const std::string& outPath) {
    // With several slots the item's block is known only once its job starts.
    if (batch_->SlotCount() == 1) {
        SetPath(blocks_[0].input, kInputCaption, inPath);
        SetPath(blocks_[0].output, kOutputCaption, outPath);
    }
}

void EncodeProgressWindow::OutputChosen(std::size_t, const std::string& outPath) {
    if (batch_->SlotCount() == 1) {
        SetPath(blocks_[0].output, kOutputCaption, outPath);
    }
}

void EncodeProgressWindow::JobStarted(std::size_t slot, std::size_t) {
    if (batch_->SlotCount() > 1) {
        const EncodeSlot& running = batch_->Slot(slot);
        const FileBlock& block = blocks_[slot];
        SetPath(block.input, kInputCaption, running.Item().InPath);
        SetPath(block.output, kOutputCaption, running.OutputPath());
        block.cancel->setAccessibleName(ToShownName(platform::Format(
            kCancelBlockNameFormat, std::string(platform::NameOf(running.Item().InPath)).c_str())));
        block.frame->show();
    }
}

void EncodeProgressWindow::ItemFinished(std::size_t, std::optional<std::size_t> slot) {
    if (slot && batch_->SlotCount() > 1) {
        blocks_[*slot].frame->hide();
    } else if (slot) {
        blocks_[*slot].bar->ShowHeldPicture();
    }
    ShowBatchProgress();
}

void EncodeProgressWindow::ShowBatchProgress() {
    if (doneCount_ == nullptr) {
        return;
    }
    const std::size_t total = batch_->Results().size();
    doneCount_->setText(ToQString(platform::Format(kDoneFormat, batch_->DoneCount(), total)));
    const std::uint64_t all = batch_->TotalAudio();
    if (all > 0) {
        batchBar_.SetUpper(all);
        batchBar_.SetPos(batch_->DoneAudio());
    } else {
        // No audio lengths known: the files count alone.
        batchBar_.SetUpper(std::max<std::size_t>(total, 1));
        batchBar_.SetPos(batch_->DoneCount());
    }
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

void EncodeProgressWindow::EndBatch(int code) {
    ended_ = true;
    endedUnseen_ = QApplication::activeWindow() == nullptr;
    done(code);
}

platform::MessageAnswer EncodeProgressWindow::Ask(const platform::MessageRequest& question) {
    if (ending_) {
        return platform::UnansweredAnswer(question.buttons);
    }
    ShowForQuestions();
    return QtMessageBackend::ShowBox(question, this);
}

void EncodeProgressWindow::ShowForQuestions() {
    if (!isVisible()) {
        setWindowModality(Qt::ApplicationModal);
        show();
    }
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
    // The dialog opens on the proposed output, to be renamed or put elsewhere.
    std::string proposed = initialPath;
    ShowForQuestions();
    while (!ending_) {
        QFileDialog chooser(this, ToQString(kSaveAsTitle), QString(), FilterText(filter));
        chooser.setDirectory(ToQString(platform::FolderOf(proposed)));
        chooser.selectFile(ToQString(platform::NameOf(proposed)));
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
        if (platform::NameExists(path)) {
            const platform::MessageRequest again{
                EncodeBatch::kOverwriteText,
                platform::Format(EncodeBatch::kOverwriteTitleFormat, path.c_str()),
                platform::MessageIcon::None, platform::MessageButtons::YesNo};
            if (Ask(again) != platform::MessageAnswer::Yes) {
                proposed = path;
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
        this, [this] { batch_->OnEncodeEnd(); }, Qt::QueuedConnection);
}
