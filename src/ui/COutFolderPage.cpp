// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/COutFolderPage.h"

#include "platform/MessageBox.h"
#include "settings/OutFolderParm.h"
#include "ui/Caption.h"
#include "ui/DialogFont.h"
#include "ui/QtText.h"
#include "ui/ToolTips.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr const char* kTitle = "出力フォルダ設定";
constexpr const char* kBrowseTitle = "フォルダの選択";
constexpr const char* kNotAFolder = "パス名が認識できません。";
constexpr const char* kOverwriteTip =
    "出力先フォルダに同じファイル名が存在する場合に\nメッセージ確認を行う時はチェックを\n行わずに"
    "そのまま保存する場合は、チェックを外して\n下さい";

// The folder the dialog opens at: the field's own (the folder of a file it names), else home.
QString StartFolder(const QString& field) {
    const QFileInfo info(field);
    if (field.isEmpty() || !info.exists()) {
        return QDir::homePath();
    }
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

} // namespace

COutFolderPage::COutFolderPage(std::string* outFolder, std::int32_t* identityOutFile,
                               std::int32_t* jobs, std::int32_t* outputLayout,
                               const std::int32_t* encodeType, QWidget* parent)
    : QWidget(parent), outFolder_(outFolder), identityOutFile_(identityOutFile), jobs_(jobs),
      outputLayout_(outputLayout), encodeType_(encodeType) {
    setWindowTitle(ToQString(kTitle));
    UseDialogFont(this);

    folderField_ = new QLineEdit(this);
    folderField_->setObjectName(QStringLiteral("folderField"));
    // Selectable and copyable, never typed into: the folder comes from the dialog only.
    folderField_->setReadOnly(true);
    folderField_->setMinimumWidth(folderField_->fontMetrics().averageCharWidth() * 40);
    auto* browseButton = new QPushButton(ToQString("…"), this);
    browseButton_ = browseButton;
    browseButton->setObjectName(QStringLiteral("browseButton"));
    // Its caption is a mere ellipsis: it is named after the dialog it opens.
    NameControl(browseButton, kBrowseTitle);
    browseButton->setFixedWidth(
        browseButton->fontMetrics().horizontalAdvance(QStringLiteral("……")) + 16);

    // A group box names its choices for a screen reader; the arrow keys move between them.
    auto* layoutBox = new QGroupBox(ToQString(kLayoutCaption), this);
    auto* layoutColumn = new QVBoxLayout(layoutBox);
    layoutChoice_ = new QButtonGroup(this);
    const std::int32_t layout = OutputLayoutInRange(outputLayout_ != nullptr ? *outputLayout_ : 0);
    for (std::size_t choice = 0; choice < kLayoutChoices.size(); ++choice) {
        auto* button = new QRadioButton(ToQString(kLayoutChoices[choice]), layoutBox);
        button->setObjectName(QStringLiteral("layout%1").arg(choice));
        SetToolTip(button, kLayoutTips[choice]);
        button->setChecked(static_cast<std::int32_t>(choice) == layout);
        layoutChoice_->addButton(button, static_cast<int>(choice));
        layoutColumn->addWidget(button);
    }
    overwriteBox_ = new QCheckBox(ToQString("出力先に同一ファイル名があった場合は確認する"), this);

    auto* page = new QGridLayout(this);
    folderCaption_ = NewCaption("出力フォルダ", folderField_, this);
    page->addWidget(folderCaption_, 0, 0, 1, 2);
    jobsBox_ = new QSpinBox(this);
    jobsBox_->setObjectName(QStringLiteral("jobsBox"));
    jobsBox_->setRange(1, OnlineJobs());
    jobsBox_->setValue(JobsInRange(jobs_ != nullptr ? *jobs_ : OnlineJobs()));
    auto* jobsLabel = NewCaption(kJobsCaption, jobsBox_, this);
    auto* jobsRow = new QHBoxLayout;
    jobsRow->addWidget(jobsLabel);
    jobsRow->addWidget(jobsBox_);
    jobsRow->addStretch();
    page->addWidget(folderField_, 1, 0);
    page->addWidget(browseButton, 1, 1);
    page->addWidget(layoutBox, 2, 0, 1, 2);
    page->addWidget(overwriteBox_, 3, 0, 1, 2);
    page->addLayout(jobsRow, 4, 0, 1, 2);
    page->setRowStretch(5, 1);

    if (outFolder_ != nullptr) {
        folderField_->setText(ToQString(*outFolder_));
    }
    ShowFolderTips();
    SetToolTip(overwriteBox_, kOverwriteTip);
    SetToolTip(jobsLabel, kJobsTip);
    SetToolTip(jobsBox_, kJobsTip);
    overwriteBox_->setChecked(identityOutFile_ != nullptr && *identityOutFile_ != 0);

    connect(browseButton, &QPushButton::clicked, this, &COutFolderPage::OnBrowseFolder);
    connect(overwriteBox_, &QCheckBox::clicked, this, &COutFolderPage::OnOverwriteCheck);
    connect(layoutChoice_, &QButtonGroup::idClicked, this, &COutFolderPage::OnLayoutChosen);
    OnLayoutChosen(layout);
    connect(jobsBox_, &QSpinBox::valueChanged, this, [this](int value) {
        if (jobs_ != nullptr) {
            *jobs_ = value;
        }
    });
    setFixedSize(sizeHint());
}

void COutFolderPage::ShowFolderTips() {
    const bool ogg = encodeType_ != nullptr && *encodeType_ == kEncodeTypeOgg;
    const char* tip = kFolderTips[ogg ? 1 : 0];
    SetToolTip(folderField_, tip);
    SetToolTip(browseButton_, tip);
}

void COutFolderPage::showEvent(QShowEvent* event) {
    ShowFolderTips();
    QWidget::showEvent(event);
}

void COutFolderPage::OnBrowseFolder() {
    const QUrl chosen = QFileDialog::getExistingDirectoryUrl(
        this, ToQString(kBrowseTitle), QUrl::fromLocalFile(StartFolder(folderField_->text())),
        QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) {
        return;
    }
    // A desktop's own dialog may hand back a remote place, or one gone since it was shown.
    const QString path = chosen.isLocalFile() ? chosen.toLocalFile() : QString();
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        platform::MessageBox::Show(kNotAFolder, "", platform::MessageIcon::Warning);
        return;
    }
    // No trailing separator, except for the root itself.
    const QString folder = QDir::cleanPath(path);
    if (outFolder_ != nullptr) {
        *outFolder_ = ToUtf8(folder);
    }
    folderField_->setText(folder);
}

void COutFolderPage::OnLayoutChosen(int layout) {
    if (outputLayout_ != nullptr) {
        *outputLayout_ = layout;
    }
    // Beside its input an output needs no output folder.
    const bool folderUsed = layout != kOutputLayoutBeside;
    folderCaption_->setEnabled(folderUsed);
    folderField_->setEnabled(folderUsed);
    browseButton_->setEnabled(folderUsed);
}

void COutFolderPage::OnOverwriteCheck(bool checked) {
    if (identityOutFile_ != nullptr) {
        *identityOutFile_ = checked ? 1 : 0;
    }
}
