// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include "settings/SettingsFile.h"
#include "support/TempDir.h"
#include "ui/CMP3SetPage.h"
#include "ui/COggSetPage.h"
#include "ui/COutFolderPage.h"
#include "ui/CParmSetPage.h"
#include "ui/CVersionPage.h"
#include "ui/ToolTips.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include <memory>

namespace {

using uitest::ButtonCaptioned;
using uitest::ChooseItem;
using uitest::Named;
using uitest::Selected;

class ParmSetPage : public ::testing::Test {
protected:
    ParmSetPage() { settings_.ApplyFirstStartDefaults(); }

    CParmSetPage& Open() {
        page_ = std::make_unique<CParmSetPage>(
            &settings_.OutFolder.EncodeType, &settings_.OutFolder.Preset, &settings_.LameParm,
            &settings_.Presets, &settings_.Ogg, &settings_.OutFolder.ReplayGain);
        page_->show();
        return *page_;
    }
    QComboBox* EncoderList() const { return Named<QComboBox>(*page_, "encoderList"); }
    CMP3SetPage* Mp3Page() const { return page_->findChild<CMP3SetPage*>(); }
    COggSetPage* OggPage() const { return page_->findChild<COggSetPage*>(); }

    EncodeSettings settings_;
    std::unique_ptr<CParmSetPage> page_;
};

TEST_F(ParmSetPage, ShowsThePageOfTheStoredEncoder) {
    struct Row {
        std::int32_t encodeType;
        const char* selected;
        bool mp3, ogg;
    };
    for (const Row& row :
         {Row{0, "LAME Encoder", true, false}, Row{1, "OggVorbis Encoder", false, true},
          Row{5, "", false, false}, Row{-1, "", false, false}}) {
        settings_.OutFolder.EncodeType = row.encodeType;
        const CParmSetPage& page = Open();
        EXPECT_EQ(uitest::Utf8(page.windowTitle()), "パラメータ設定");
        EXPECT_EQ(uitest::Items(*EncoderList()),
                  (std::vector<std::string>{"LAME Encoder", "OggVorbis Encoder"}));
        EXPECT_EQ(Selected(*EncoderList()), row.selected) << row.encodeType;
        EXPECT_EQ(Mp3Page()->isVisible(), row.mp3) << row.encodeType;
        EXPECT_EQ(OggPage()->isVisible(), row.ogg) << row.encodeType;
        EXPECT_EQ(settings_.OutFolder.EncodeType, row.encodeType);
    }
    EXPECT_EQ(EncoderList()->toolTip(),
              WrapToolTipText(QString::fromUtf8(
                  "変換したいエンコード処理を指定してください\nMP3でしたらLAME Encoderを…\n"
                  "OggVorbisでしたらOggVorbis Encoderを\n指定してください")));

    // An encoder the program does not know is saved again as it was.
    testsupport::TempDir dir;
    settings_.OutFolder.EncodeType = 5;
    Open();
    ASSERT_TRUE(SaveSettings(dir.Path(), settings_));
    EncodeSettings reloaded;
    ASSERT_EQ(LoadSettings(dir.Path(), reloaded), SettingsFileState::Read);
    EXPECT_EQ(reloaded.OutFolder.EncodeType, 5);
    ChooseItem(EncoderList(), "OggVorbis Encoder");
    EXPECT_EQ(settings_.OutFolder.EncodeType, 1);
    EXPECT_TRUE(OggPage()->isVisible());
}

TEST_F(ParmSetPage, SwitchingEncodersKeepsBothPagesAsTheyWere) {
    Open();
    ChooseItem(Named<QComboBox>(*Mp3Page(), "minBitrateList"), "320Kbps");
    uitest::Click(ButtonCaptioned(*Mp3Page(), "モノラル"));

    ChooseItem(EncoderList(), "OggVorbis Encoder");
    EXPECT_EQ(settings_.OutFolder.EncodeType, 1);
    EXPECT_FALSE(Mp3Page()->isVisible());
    EXPECT_TRUE(OggPage()->isVisible());
    uitest::Click(ButtonCaptioned(*OggPage(), "カスタム設定"));
    EXPECT_EQ(settings_.Ogg.Custom, 1);

    ChooseItem(EncoderList(), "LAME Encoder");
    EXPECT_EQ(settings_.OutFolder.EncodeType, 0);
    EXPECT_TRUE(Mp3Page()->isVisible());
    EXPECT_FALSE(OggPage()->isVisible());
    EXPECT_EQ(Selected(*Named<QComboBox>(*Mp3Page(), "minBitrateList")), "320Kbps");
    EXPECT_TRUE(ButtonCaptioned(*Mp3Page(), "モノラル")->isChecked());
    EXPECT_EQ(settings_.LameParm.Bitrate, 320u);
    EXPECT_EQ(settings_.LameParm.Mode, 3);
    ChooseItem(EncoderList(), "OggVorbis Encoder");
    EXPECT_TRUE(ButtonCaptioned(*OggPage(), "カスタム設定")->isChecked());
}

// Whichever encoder is chosen, by mouse or by keyboard.
TEST_F(ParmSetPage, ReplayGainBoxHoldsTheSetting) {
    for (const std::int32_t stored : {0, 1}) {
        settings_.OutFolder.ReplayGain = stored;
        Open();
        QAbstractButton* box = ButtonCaptioned(*page_, "リプレイゲインを書き込む");
        EXPECT_EQ(box->isChecked(), stored == 1);
        EXPECT_FALSE(box->toolTip().isEmpty());
        uitest::Click(box);
        EXPECT_EQ(settings_.OutFolder.ReplayGain, 1 - stored);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_EQ(settings_.OutFolder.ReplayGain, stored);
        EXPECT_EQ(box->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    }
}

// The main window lays all three pages on the parameter page's rectangle.
TEST_F(ParmSetPage, HasAFixedSizeThatHoldsEveryPage) {
    settings_.OutFolder.EncodeType = 5;
    const CParmSetPage& page = Open();
    EXPECT_EQ(page.minimumSize(), page.maximumSize());
    for (const char* encoder : {"LAME Encoder", "OggVorbis Encoder"}) {
        ChooseItem(EncoderList(), encoder);
        for (const QWidget* embedded :
             {static_cast<QWidget*>(Mp3Page()), static_cast<QWidget*>(OggPage())}) {
            EXPECT_GE(embedded->width(), embedded->sizeHint().width()) << encoder;
            EXPECT_GE(embedded->height(), embedded->sizeHint().height()) << encoder;
        }
    }
    EXPECT_EQ(page.size(), page.minimumSize());

    std::string folder = "/";
    std::int32_t identity = 1;
    const COutFolderPage outFolder(&folder, &identity);
    const CVersionPage version;
    for (const QWidget* other :
         {static_cast<const QWidget*>(&outFolder), static_cast<const QWidget*>(&version)}) {
        EXPECT_EQ(other->minimumSize(), other->maximumSize());
        EXPECT_LE(other->width(), page.width());
        EXPECT_LE(other->height(), page.height());
    }
}

} // namespace
