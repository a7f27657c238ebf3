// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include "settings/SettingsFile.h"
#include "support/TempDir.h"
#include "ui/COggSetPage.h"
#include "ui/ToolTips.h"

#include <QGroupBox>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

namespace {

using uitest::ButtonCaptioned;
using uitest::ChooseItem;
using uitest::Click;
using uitest::Named;
using uitest::Selected;

const char* const kLists[] = {"minBitrateList", "aveBitrateList", "maxBitrateList"};

class OggSetPage : public ::testing::Test {
protected:
    COggSetPage& Open() {
        page_ = std::make_unique<COggSetPage>(&parm_);
        page_->show();
        return *page_;
    }
    QComboBox* List(const char* name) const { return Named<QComboBox>(*page_, name); }
    QSlider* TrackBar() const { return Named<QSlider>(*page_, "presetTrackBar"); }
    std::string ValueLabel() const {
        return uitest::Utf8(Named<QLabel>(*page_, "presetValue")->text());
    }
    bool Checked(const char* caption) const {
        return ButtonCaptioned(*page_, caption)->isChecked();
    }
    void Press(Qt::Key key) { QTest::keyClick(TrackBar(), key); }

    OggParm parm_;
    std::unique_ptr<COggSetPage> page_;
};

TEST_F(OggSetPage, DefaultsTextsAndTips) {
    const COggSetPage& page = Open();
    EXPECT_EQ(uitest::Utf8(page.windowTitle()), "OggVorbisパラメータ設定");
    EXPECT_TRUE(Checked("ステレオ"));
    EXPECT_FALSE(Checked("モノラル"));
    EXPECT_FALSE(Checked("カスタム設定"));
    EXPECT_EQ(TrackBar()->minimum(), 90);
    EXPECT_EQ(TrackBar()->maximum(), 201);
    EXPECT_EQ(TrackBar()->value(), 151);
    EXPECT_EQ(TrackBar()->tickPosition(), QSlider::NoTicks);
    EXPECT_TRUE(TrackBar()->isEnabled());
    EXPECT_EQ(ValueLabel(), "0.50");
    const std::vector<std::string> items = {"Default",  "32 Kbps",  "40 Kbps",  "48 Kbps",
                                            "64 Kbps",  "80 Kbps",  "96 Kbps",  "128 Kbps",
                                            "160 Kbps", "196 Kbps", "256 Kbps", "320 Kbps"};
    for (const char* list : kLists) {
        EXPECT_EQ(uitest::Items(*List(list)), items) << list;
        EXPECT_EQ(Selected(*List(list)), "Default") << list;
        EXPECT_FALSE(List(list)->isEnabled()) << list;
    }
    std::vector<std::string> captions;
    for (const QWidget* widget : page.findChildren<QWidget*>()) {
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            captions.push_back(uitest::Utf8(label->text()));
        } else if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
            captions.push_back(uitest::Utf8(group->title()));
        }
    }
    for (const char* caption :
         {"プリセット", "カスタム", "最小ビットレート", "平均ビットレート", "最大ビットレート"}) {
        EXPECT_NE(std::find(captions.begin(), captions.end(), caption), captions.end()) << caption;
    }

    const std::pair<QWidget*, const char*> tips[] = {
        {ButtonCaptioned(page, "カスタム設定"), "OggVorbisの設定をカスタマイズします"},
        {TrackBar(), "OggVorbisのプリセットを指定します\n値が大きい程音質がよくなります"},
        {List("minBitrateList"),
         "最小ビットレートを設定します\n最小ビットレートのみを指定する場合は"
         "\n64 Kbps以上になるように設定して下さい"},
        {List("aveBitrateList"),
         "平均ビットレートを設定します\nこの設定を行う事で、若干音質がよくなります"},
        {List("maxBitrateList"),
         "最大ビットレートを設定します\nこの値を超えないようにファイルが作成されます"},
        {ButtonCaptioned(page, "ステレオ"), "ステレオでOggVorbisファイルを作成します"},
        {ButtonCaptioned(page, "モノラル"), "モノラルでOggVorbisファイルを作成します"},
    };
    for (const auto& [control, tip] : tips) {
        EXPECT_EQ(control->toolTip(), WrapToolTipText(QString::fromUtf8(tip))) << tip;
    }
}

TEST_F(OggSetPage, ControlsStoreTheirValue) {
    Open();
    Click(ButtonCaptioned(*page_, "モノラル"));
    EXPECT_EQ(parm_.Mode, 1);
    Click(ButtonCaptioned(*page_, "ステレオ"));
    EXPECT_EQ(parm_.Mode, 2);

    Click(ButtonCaptioned(*page_, "カスタム設定"));
    EXPECT_EQ(parm_.Custom, 1);
    EXPECT_FALSE(TrackBar()->isEnabled());
    for (const char* list : kLists) {
        EXPECT_TRUE(List(list)->isEnabled()) << list;
        EXPECT_EQ(Selected(*List(list)), "Default") << list;
    }
    EXPECT_EQ(parm_.Preset, 0.5f);

    ChooseItem(List("maxBitrateList"), "196 Kbps");
    EXPECT_EQ(parm_.MaxBitrate, 196000);
    ChooseItem(List("aveBitrateList"), "32 Kbps");
    EXPECT_EQ(parm_.AveBitrate, 32000);
    ChooseItem(List("minBitrateList"), "320 Kbps");
    ChooseItem(List("minBitrateList"), "Default");
    EXPECT_EQ(parm_.MinBitrate, -1);

    Click(ButtonCaptioned(*page_, "カスタム設定"));
    EXPECT_EQ(parm_.Custom, 0);
    EXPECT_TRUE(TrackBar()->isEnabled());
    EXPECT_FALSE(List("maxBitrateList")->isEnabled());
    EXPECT_EQ(Selected(*List("maxBitrateList")), "196 Kbps");
}

TEST_F(OggSetPage, ShowsTheStoredSettings) {
    struct Row {
        const char* what;
        std::function<void(OggParm&)> set;
        const char* list;
        const char* selected;
    };
    const Row rows[] = {
        {"64000", [](OggParm& p) { p.MinBitrate = 64000; }, "minBitrateList", "64 Kbps"},
        {"64999", [](OggParm& p) { p.MinBitrate = 64999; }, "minBitrateList", "64 Kbps"},
        {"65000", [](OggParm& p) { p.MinBitrate = 65000; }, "minBitrateList", ""},
        {"999", [](OggParm& p) { p.AveBitrate = 999; }, "aveBitrateList", "Default"},
        {"-5", [](OggParm& p) { p.AveBitrate = -5; }, "aveBitrateList", "Default"},
        {"-2000", [](OggParm& p) { p.AveBitrate = -2000; }, "aveBitrateList", ""},
        {"192000", [](OggParm& p) { p.MaxBitrate = 192000; }, "maxBitrateList", ""},
        {"196000", [](OggParm& p) { p.MaxBitrate = 196000; }, "maxBitrateList", "196 Kbps"},
    };
    for (const Row& row : rows) {
        parm_ = OggParm{};
        row.set(parm_);
        Open();
        EXPECT_EQ(Selected(*List(row.list)), row.selected) << row.what;
    }
    for (const auto& [mode, mono] :
         {std::pair{0, true}, std::pair{1, true}, std::pair{2, false}, std::pair{7, false}}) {
        parm_ = OggParm{};
        parm_.Mode = mode;
        parm_.Custom = 1;
        Open();
        EXPECT_EQ(Checked("モノラル"), mono) << mode;
        EXPECT_EQ(Checked("ステレオ"), !mono) << mode;
        EXPECT_EQ(parm_.Mode, mode);
        EXPECT_TRUE(Checked("カスタム設定"));
        EXPECT_TRUE(List("aveBitrateList")->isEnabled());
        EXPECT_FALSE(TrackBar()->isEnabled());
    }
}

TEST_F(OggSetPage, TrackBarShowsAndStoresTheQuality) {
    struct Row {
        float preset;
        int position;
        const char* label;
    };
    const Row rows[] = {
        {0.5f, 151, "0.50"},       {0.0f, 101, "0.00"},      {-0.0f, 100, "-0.00"},
        {0.01f, 102, "0.01"},      {-0.05f, 95, "-0.05"},    {-0.10f, 90, "-0.10"},
        {-0.5f, 90, "-0.50"},      {0.505f, 151, "0.50"},    {1.0f, 201, "1.00"},
        {10.0f, 201, "10.00"},     {-100.0f, 90, "-100.00"}, {100.0f, 201, "100.00"},
        {std::nanf(""), 90, "nan"}};
    for (const Row& row : rows) {
        parm_.Preset = row.preset;
        Open();
        EXPECT_EQ(TrackBar()->value(), row.position) << row.preset;
        EXPECT_EQ(ValueLabel(), row.label) << row.preset;
        // Showing a value never changes it.
        EXPECT_EQ(std::memcmp(&parm_.Preset, &row.preset, sizeof row.preset), 0) << row.preset;
    }

    // -0.5 stays until the bar really moves; then the bar's value is stored and shown.
    parm_.Preset = -0.5f;
    Open();
    Press(Qt::Key_Home);
    EXPECT_EQ(parm_.Preset, -0.5f);
    Press(Qt::Key_Right);
    EXPECT_EQ(parm_.Preset, -0.09f);
    EXPECT_EQ(ValueLabel(), "-0.09");
    Press(Qt::Key_Left);
    EXPECT_EQ(parm_.Preset, -0.10f);
    EXPECT_EQ(ValueLabel(), "-0.10");

    // The two positions of 0.00: 100 is on the negative side.
    parm_.Preset = 0.0f;
    Open();
    Press(Qt::Key_Left);
    EXPECT_EQ(TrackBar()->value(), 100);
    EXPECT_TRUE(std::signbit(parm_.Preset) && parm_.Preset == 0.0f);
    EXPECT_EQ(ValueLabel(), "-0.00");
    Press(Qt::Key_Left);
    EXPECT_EQ(parm_.Preset, -0.01f);
    Press(Qt::Key_End);
    EXPECT_EQ(parm_.Preset, 1.0f);
    EXPECT_EQ(ValueLabel(), "1.00");
}

TEST_F(OggSetPage, EveryPositionSurvivesASaveAndARestart) {
    testsupport::TempDir dir;
    EncodeSettings settings;
    COggSetPage page(&settings.Ogg);
    page.show();
    auto* trackBar = Named<QSlider>(page, "presetTrackBar");
    QTest::keyClick(trackBar, Qt::Key_Home);
    for (int position = 90; position <= 201; ++position) {
        ASSERT_EQ(trackBar->value(), position);
        ASSERT_TRUE(SaveSettings(dir.Path(), settings));
        EncodeSettings restarted;
        ASSERT_EQ(LoadSettings(dir.Path(), restarted), SettingsFileState::Read);
        const COggSetPage reopened(&restarted.Ogg);
        EXPECT_EQ(Named<QSlider>(reopened, "presetTrackBar")->value(), position);
        EXPECT_EQ(Named<QLabel>(reopened, "presetValue")->text(),
                  Named<QLabel>(page, "presetValue")->text());
        QTest::keyClick(trackBar, Qt::Key_Right);
    }
}

} // namespace
