// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include "settings/OutFolderParm.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "ui/COutFolderPage.h"
#include "ui/ToolTips.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

using uitest::ButtonCaptioned;
using uitest::Click;
using uitest::Named;

constexpr const char* kBoxCaption = "出力先に同一ファイル名があった場合は確認する";

void PressButton(QFileDialog& dialog, QDialogButtonBox::StandardButton which) {
    QPushButton* button = dialog.findChild<QDialogButtonBox*>()->button(which);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

class OutFolderPage : public ::testing::Test {
protected:
    COutFolderPage& Open() {
        page_ =
            std::make_unique<COutFolderPage>(&folder_, &identity_, &jobs_, &layout_, &encodeType_);
        page_->show();
        return *page_;
    }
    QLineEdit* Field() const { return Named<QLineEdit>(*page_, "folderField"); }
    std::string FieldText() const { return uitest::Utf8(Field()->text()); }

    // Clicks "…" and lets answer act in the folder dialog the click opens.
    void Browse(const std::function<void(QFileDialog&)>& answer) {
        bool answered = false;
        QTimer::singleShot(0, page_.get(), [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            answered = true;
            EXPECT_EQ(uitest::Utf8(dialog->windowTitle()), "フォルダの選択");
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
            openedAt_ = dialog->directory().absolutePath().toStdString();
            answer(*dialog);
        });
        Click(Named<QAbstractButton>(*page_, "browseButton"));
        EXPECT_TRUE(answered);
    }

    testsupport::TempDir dir_;
    std::string folder_ = dir_.Path();
    std::int32_t identity_ = 1;
    std::int32_t jobs_ = 1;
    std::int32_t layout_ = kOutputLayoutFlat;
    std::int32_t encodeType_ = kEncodeTypeMp3;
    std::unique_ptr<COutFolderPage> page_;
    std::string openedAt_;
};

TEST_F(OutFolderPage, ShowsTheRecordsAndTakesNoTyping) {
    const COutFolderPage& page = Open();
    EXPECT_EQ(uitest::Utf8(page.windowTitle()), "出力フォルダ設定");
    EXPECT_EQ(FieldText(), dir_.Path());
    EXPECT_TRUE(ButtonCaptioned(page, kBoxCaption)->isChecked());
    EXPECT_EQ(uitest::Utf8(Named<QAbstractButton>(page, "browseButton")->text()), "…");
    EXPECT_NE(page.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(uitest::Utf8(page.findChild<QLabel*>()->text()), "出力フォルダ");

    const QString folderTip =
        WrapToolTipText(QString::fromUtf8("MP3ファイルを出力するフォルダを設定します"));
    EXPECT_EQ(Field()->toolTip(), folderTip);
    EXPECT_EQ(Named<QAbstractButton>(page, "browseButton")->toolTip(), folderTip);
    // Shown again after Ogg Vorbis was chosen on the parameter page, it names those files.
    encodeType_ = kEncodeTypeOgg;
    page_->hide();
    page_->show();
    EXPECT_EQ(
        Named<QAbstractButton>(page, "browseButton")->toolTip(),
        WrapToolTipText(QString::fromUtf8("Ogg Vorbisファイルを出力するフォルダを設定します")));
    EXPECT_EQ(
        ButtonCaptioned(page, kBoxCaption)->toolTip(),
        WrapToolTipText(QString::fromUtf8(
            "出力先フォルダに同じファイル名が存在する場合に\nメッセージ確認を行う時はチェックを\n"
            "行わずにそのまま保存する場合は、チェックを外して\n下さい")));

    Field()->setFocus();
    QTest::keyClicks(Field(), QStringLiteral("typed"));
    QTest::keyClick(Field(), Qt::Key_Backspace);
    EXPECT_EQ(FieldText(), dir_.Path());
    EXPECT_EQ(folder_, dir_.Path());
    QTest::keyClick(Field(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(Field(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(uitest::Utf8(QApplication::clipboard()->text()), dir_.Path());

    identity_ = 0;
    Open();
    EXPECT_FALSE(ButtonCaptioned(*page_, kBoxCaption)->isChecked());
    const COutFolderPage nothing(nullptr, nullptr);
    EXPECT_EQ(Named<QLineEdit>(nothing, "folderField")->text(), QString());
    EXPECT_FALSE(ButtonCaptioned(nothing, kBoxCaption)->isChecked());
}

TEST_F(OutFolderPage, TheBoxWritesTheQuestionAtOnce) {
    Open();
    Click(ButtonCaptioned(*page_, kBoxCaption));
    EXPECT_EQ(identity_, 0);
    Click(ButtonCaptioned(*page_, kBoxCaption));
    EXPECT_EQ(identity_, 1);
}

TEST_F(OutFolderPage, TheSpinBoxWritesTheJobsAtOnceUpToTheProcessors) {
    Open();
    auto* box = Named<QSpinBox>(*page_, "jobsBox");
    EXPECT_EQ(box->value(), 1);
    EXPECT_EQ(box->maximum(), OnlineJobs());
    const QString tip = WrapToolTipText(
        QString::fromUtf8("同時に変換するファイルの数です\nCPUの数まで指定できます"));
    EXPECT_EQ(box->toolTip(), tip);
    const auto labels = page_->findChildren<QLabel*>();
    const auto caption = std::find_if(labels.begin(), labels.end(), [](const QLabel* label) {
        return uitest::Utf8(label->text()) == "同時に変換するファイル数";
    });
    ASSERT_NE(caption, labels.end());
    EXPECT_EQ((*caption)->buddy(), box);
    EXPECT_EQ((*caption)->toolTip(), tip);

    box->setFocus();
    for (int press = 0; press < OnlineJobs() + 1; ++press) {
        QTest::keyClick(box, Qt::Key_Up);
    }
    EXPECT_EQ(jobs_, OnlineJobs());
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QStringLiteral("1"));
    EXPECT_EQ(jobs_, 1);

    // A value beyond this machine, from a file written elsewhere, shows as its most.
    jobs_ = 99;
    Open();
    EXPECT_EQ(Named<QSpinBox>(*page_, "jobsBox")->value(), OnlineJobs());
}

TEST_F(OutFolderPage, TheLayoutIsChosenWithTheMouseOrTheKeysAndBesideNeedsNoFolder) {
    const std::array<const char*, 3> captions = {"出力フォルダにまとめる",
                                                 "追加したフォルダの構成で出力フォルダに",
                                                 "元のファイルと同じフォルダに"};
    layout_ = kOutputLayoutTree;
    Open();
    const auto choice = [this, &captions](std::size_t layout) {
        return ButtonCaptioned(*page_, captions[layout]);
    };
    const auto folderUsable = [this] {
        return Field()->isEnabled() && Named<QAbstractButton>(*page_, "browseButton")->isEnabled();
    };
    EXPECT_TRUE(choice(kOutputLayoutTree)->isChecked());
    EXPECT_EQ(uitest::Utf8(page_->findChild<QGroupBox*>()->title()), "出力先");
    for (std::size_t layout = 0; layout < captions.size(); ++layout) {
        EXPECT_EQ(choice(layout)->toolTip(),
                  WrapToolTipText(QString::fromUtf8(COutFolderPage::kLayoutTips[layout])));
    }
    EXPECT_TRUE(folderUsable());

    Click(choice(kOutputLayoutBeside));
    EXPECT_EQ(layout_, kOutputLayoutBeside);
    EXPECT_FALSE(folderUsable());
    // The arrow keys move the choice, and with it the setting.
    QApplication::setActiveWindow(page_.get());
    choice(kOutputLayoutBeside)->setFocus();
    QTest::keyClick(choice(kOutputLayoutBeside), Qt::Key_Up);
    EXPECT_EQ(layout_, kOutputLayoutTree);
    EXPECT_TRUE(folderUsable());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(layout_, kOutputLayoutFlat);
    EXPECT_TRUE(choice(kOutputLayoutFlat)->hasFocus());

    // A value no choice stands for, from a hand-edited file, is the stated layout.
    layout_ = 9;
    Open();
    EXPECT_TRUE(choice(kOutputLayoutFlat)->isChecked());
    layout_ = kOutputLayoutBeside;
    Open();
    EXPECT_FALSE(folderUsable());
}

TEST_F(OutFolderPage, TheDialogChoosesALocalFolder) {
    const std::string base = dir_.Path().substr(0, dir_.Path().size() - 1);
    std::filesystem::create_directory(base + "/audio");
    ASSERT_TRUE(testsupport::WriteFileBytes(base + "/file.txt", "x"));
    const std::string home = QDir::homePath().toStdString();
    struct Row {
        const char* what;
        std::string field;
        std::string opensAt;
        std::function<void(QFileDialog&)> answer;
        std::string stored; // the folder field and OutFolder afterwards
        bool refused;
    };
    const Row rows[] = {
        {"a subfolder", dir_.Path(), base,
         [&](QFileDialog& d) {
             d.setDirectory(QString::fromStdString(base + "/audio/"));
             PressButton(d, QDialogButtonBox::Open);
         },
         base + "/audio", false},
        {"the root", base + "/file.txt", base,
         [](QFileDialog& d) {
             d.setDirectory(QStringLiteral("/"));
             PressButton(d, QDialogButtonBox::Open);
         },
         "/", false},
        {"cancelled", base + "/gone/", home,
         [](QFileDialog& d) { PressButton(d, QDialogButtonBox::Cancel); }, base + "/gone/", false},
        {"no folder", "", home,
         [&](QFileDialog& d) {
             d.selectFile(QString::fromStdString(base + "/file.txt"));
             // What a desktop's own dialog may hand back; Qt's own refuses a file itself.
             static_cast<QDialog&>(d).done(QDialog::Accepted);
         },
         "", true},
    };
    for (const Row& row : rows) {
        testsupport::ScopedMessageRecorder messages;
        folder_ = row.field;
        Open();
        Browse(row.answer);
        EXPECT_EQ(openedAt_, row.opensAt) << row.what;
        EXPECT_EQ(folder_, row.stored) << row.what;
        EXPECT_EQ(FieldText(), row.stored) << row.what;
        const auto shown = messages->Requests();
        ASSERT_EQ(shown.size(), row.refused ? 1u : 0u) << row.what;
        if (row.refused) {
            EXPECT_EQ(shown[0].text, "パス名が認識できません。");
            EXPECT_EQ(shown[0].title, "");
            EXPECT_EQ(shown[0].icon, platform::MessageIcon::Warning);
        }
    }
}

} // namespace
