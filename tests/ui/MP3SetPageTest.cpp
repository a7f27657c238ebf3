// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserActions.h"

#include "settings/EncodeSettings.h"
#include "settings/PresetFile.h"
#include "support/RecordingMessageBackend.h"
#include "support/TempDir.h"
#include "ui/CMP3SetPage.h"
#include "ui/ToolTips.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

using uitest::ButtonCaptioned;
using uitest::ChooseItem;
using uitest::Click;
using uitest::Named;
using uitest::Selected;

const char* const kLists[] = {"mpegList",    "minBitrateList", "maxBitrateList",
                              "qualityList", "vbrMethodList",  "vbrQualityList",
                              "abrList",     "sampleRateList"};
const char* const kModes[] = {"ステレオ", "ジョイントステレオ", "フォースステレオ", "モノラル"};

class MP3SetPage : public ::testing::Test {
protected:
    CMP3SetPage& Open() {
        page_ = std::make_unique<CMP3SetPage>(&preset_, &lame_, &presets_);
        page_->show();
        return *page_;
    }
    QComboBox* List(const char* name) const { return Named<QComboBox>(*page_, name); }
    std::string Shown(const char* list) const { return Selected(*List(list)); }
    bool Enabled(const char* list) const { return List(list)->isEnabled(); }
    std::string CheckedMode() const {
        std::string checked;
        for (const char* mode : kModes) {
            if (ButtonCaptioned(*page_, mode)->isChecked()) {
                checked += mode;
            }
        }
        return checked;
    }

    std::int32_t preset_ = 0;
    BE_CONFIG lame_ = FirstStartLameParm();
    PresetList presets_;
    std::unique_ptr<CMP3SetPage> page_;
};

TEST_F(MP3SetPage, ListsCaptionsAndTipsAreTheSystemsOwn) {
    const CMP3SetPage& page = Open();
    EXPECT_EQ(uitest::Utf8(page.windowTitle()), "MP3パラメータ設定");
    const std::vector<std::string> bitrates = {
        "32Kbps",  "40Kbps",  "56Kbps",  "64Kbps",  "80Kbps",  "96Kbps", "112Kbps",
        "128Kbps", "160Kbps", "192Kbps", "224Kbps", "256Kbps", "320Kbps"};
    const std::vector<std::pair<const char*, std::vector<std::string>>> items = {
        {"presetList", {"カスタム"}},
        {"mpegList", {"MPEG-I(標準)", "MPEG-II"}},
        {"minBitrateList", bitrates},
        {"maxBitrateList", bitrates},
        {"qualityList",
         {"標準", "悪い", "良い", "音声", "R3MIX", "最高", "電話", "SWラジオ", "AMラジオ",
          "FMラジオ", "音声(新)", "ラジオ", "テープ", "HIFI", "CD", "スタジオ"}},
        {"vbrMethodList", {"無効", "VBR標準", "VBR(旧)", "VBR(新)", "VBR MTRH", "VBR ABR"}},
        {"vbrQualityList",
         {"VBR 0", "VBR 1", "VBR 2", "VBR 3", "VBR 4", "VBR 5", "VBR 6", "VBR 7", "VBR 8",
          "VBR 9"}},
        {"abrList",
         {"32000", "40000", "56000", "64000", "80000", "96000", "112000", "128000", "160000",
          "192000", "224000", "256000", "320000"}},
        {"sampleRateList", {"AUTO", "48000", "44100", "32000"}},
    };
    for (const auto& [list, expected] : items) {
        EXPECT_EQ(uitest::Items(*List(list)), expected) << list;
    }

    std::vector<std::string> captions;
    for (const QLabel* label : page.findChildren<QLabel*>()) {
        captions.push_back(uitest::Utf8(label->text()));
    }
    for (const char* caption : {"プリセット", "種類", "最小ビットレート", "最大ビットレート",
                                "音質", "ＶＢＲの種類", "ＶＢＲの音質", "ＡＢＲの設定", "bps",
                                "サンプリングレート", "(VBRの音質：0=最高　～　9:=最悪)"}) {
        EXPECT_NE(std::find(captions.begin(), captions.end(), caption), captions.end()) << caption;
    }

    const std::string modeTip = "変換後のファイルをステレオ・ジョイントステレオ(擬似ステレオ)・"
                                "モノラルのどれにするか設定をして下さい";
    std::vector<std::pair<QWidget*, std::string>> tips = {
        {List("presetList"), "MP3のプリセットを指定します\n用途に合ったプリセットを選択して下さい"},
        {List("mpegList"), "MPEG1とMPEG2を選択できますが\n現在は指定しても意味がありません"},
        {List("minBitrateList"),
         "MP3に変換時のビットレートです\nVBR設定時には最小ビットレートになります"},
        {List("maxBitrateList"), "MP3変換時の最大ビットレートです\nVBR設定時のみ使用します"},
        {ButtonCaptioned(page, "プライベート"), "プライベートである事を設定します"},
        {ButtonCaptioned(page, "チェックサム"), "チェックサム付きである事を設定します"},
        {ButtonCaptioned(page, "著作権"), "著作権がある事を設定します"},
        {ButtonCaptioned(page, "オリジナル"), "オリジナルである事を設定します"},
        {List("qualityList"), "MP3ファイルに変換する時の品質を設定します\n音声用やCD品質の選択が"
                              "ありますので好みに\nよって選択をして下さい"},
        {List("vbrMethodList"), "VBRの種類を設定して下さい\n無効は、CBRでの変換となります\n"
                                "好みによって選択を行ってください"},
        {List("vbrQualityList"),
         "VBRの品質の設定です\n0…最高～9…最悪まで好みに応じて選択して下さい"},
        {List("abrList"),
         "VBR設定時の平均ビットレートを設定します\nVBRの種類をVBR ABR選択時に使用されます"},
        {List("sampleRateList"), "WAVEファイルのサンプリングレートを設定します\nAutoの場合は、"
                                 "入力ファイルのサンプリングレートを\n自動的に設定を行います"},
    };
    for (const char* mode : kModes) {
        tips.emplace_back(ButtonCaptioned(page, mode), modeTip);
    }
    for (const auto& [control, tip] : tips) {
        EXPECT_EQ(control->toolTip(), WrapToolTipText(QString::fromStdString(tip))) << tip;
    }
}

TEST_F(MP3SetPage, FirstStartRecordIsShownUnchanged) {
    const BE_CONFIG before = lame_;
    Open();
    const std::vector<std::pair<const char*, std::string>> shown = {
        {"presetList", "カスタム"},    {"mpegList", "MPEG-I(標準)"},
        {"minBitrateList", "128Kbps"}, {"maxBitrateList", ""},
        {"qualityList", "良い"},       {"vbrMethodList", "無効"},
        {"vbrQualityList", "VBR 0"},   {"abrList", ""},
        {"sampleRateList", "44100"}};
    for (const auto& [list, text] : shown) {
        EXPECT_EQ(Shown(list), text) << list;
    }
    EXPECT_EQ(CheckedMode(), "ステレオ");
    for (const char* flag : {"プライベート", "チェックサム", "著作権", "オリジナル"}) {
        EXPECT_FALSE(ButtonCaptioned(*page_, flag)->isChecked()) << flag;
    }
    for (const char* list : kLists) {
        const bool vbrOnly = std::strcmp(list, "maxBitrateList") == 0 ||
                             std::strcmp(list, "vbrQualityList") == 0 ||
                             std::strcmp(list, "abrList") == 0;
        EXPECT_EQ(Enabled(list), !vbrOnly) << list;
    }
    EXPECT_EQ(std::memcmp(&before, &lame_, sizeof lame_), 0);
}

struct ShownValue {
    const char* what;
    std::function<void(BE_CONFIG&)> set;
    const char* list;
    const char* selected; // "" = no selection
};

TEST_F(MP3SetPage, ShowsOnlyWhatAnItemRepresentsAndLeavesTheRecordAlone) {
    const auto vbr = [](std::int32_t method) {
        return [method](BE_CONFIG& c) {
            c.EnableVBR = 1;
            c.VbrMethod = method;
        };
    };
    const ShownValue rows[] = {
        {"32 is not 320", [](BE_CONFIG& c) { c.Bitrate = 32; }, "minBitrateList", "32Kbps"},
        {"48 is not offered", [](BE_CONFIG& c) { c.Bitrate = 48; }, "minBitrateList", ""},
        {"4 is no prefix of 40", [](BE_CONFIG& c) { c.Bitrate = 4; }, "minBitrateList", ""},
        {"maximum", [](BE_CONFIG& c) { c.MaxBitrate = 320; }, "maxBitrateList", "320Kbps"},
        {"maximum 0", [](BE_CONFIG& c) { c.MaxBitrate = 0; }, "maxBitrateList", ""},
        {"quality CD", [](BE_CONFIG& c) { c.Quality = 9000; }, "qualityList", "CD"},
        {"quality 7", [](BE_CONFIG& c) { c.Quality = 7; }, "qualityList", ""},
        {"VBR quality 7", [](BE_CONFIG& c) { c.VBRQuality = 7; }, "vbrQualityList", "VBR 7"},
        {"VBR quality 12", [](BE_CONFIG& c) { c.VBRQuality = 12; }, "vbrQualityList", ""},
        {"VBR quality -1", [](BE_CONFIG& c) { c.VBRQuality = -1; }, "vbrQualityList", ""},
        {"rate 0", [](BE_CONFIG& c) { c.SampleRate = 0; }, "sampleRateList", "AUTO"},
        {"rate 32000", [](BE_CONFIG& c) { c.SampleRate = 32000; }, "sampleRateList", "32000"},
        {"rate 22050 keeps AUTO", [](BE_CONFIG& c) { c.SampleRate = 22050; }, "sampleRateList",
         "AUTO"},
        {"ABR", [](BE_CONFIG& c) { c.VbrAbr_bps = 192000; }, "abrList", "192000"},
        {"ABR 3200", [](BE_CONFIG& c) { c.VbrAbr_bps = 3200; }, "abrList", ""},
        {"MPEG-2", [](BE_CONFIG& c) { c.MpegVersion = 0; }, "mpegList", "MPEG-II"},
        {"MPEG 2", [](BE_CONFIG& c) { c.MpegVersion = 2; }, "mpegList", ""},
        {"VBR MTRH", vbr(3), "vbrMethodList", "VBR MTRH"},
        {"VBR on, method none", vbr(-1), "vbrMethodList", "無効"},
        {"VBR on, method 9", vbr(9), "vbrMethodList", ""},
        {"EnableVBR 2", [](BE_CONFIG& c) { c.EnableVBR = 2; }, "vbrMethodList", ""},
    };
    for (const ShownValue& row : rows) {
        lame_ = FirstStartLameParm();
        row.set(lame_);
        const BE_CONFIG before = lame_;
        Open();
        EXPECT_EQ(Shown(row.list), row.selected) << row.what;
        EXPECT_EQ(std::memcmp(&before, &lame_, sizeof lame_), 0) << row.what;
    }

    struct Enabling {
        std::int32_t enableVbr, method;
        bool maxBitrate, vbrQuality, abr;
    };
    for (const Enabling& row :
         {Enabling{0, 4, false, false, false}, Enabling{1, 4, true, true, true},
          Enabling{1, 2, true, true, false}, Enabling{2, 4, true, true, true}}) {
        lame_ = FirstStartLameParm();
        lame_.EnableVBR = row.enableVbr;
        lame_.VbrMethod = row.method;
        Open();
        EXPECT_EQ(Enabled("maxBitrateList"), row.maxBitrate) << row.enableVbr << row.method;
        EXPECT_EQ(Enabled("vbrQualityList"), row.vbrQuality) << row.enableVbr << row.method;
        EXPECT_EQ(Enabled("abrList"), row.abr) << row.enableVbr << row.method;
    }

    for (const auto& [mode, checked] :
         {std::pair{3, "モノラル"}, std::pair{1, "ジョイントステレオ"}, std::pair{7, "ステレオ"}}) {
        lame_ = FirstStartLameParm();
        lame_.Mode = mode;
        Open();
        EXPECT_EQ(CheckedMode(), checked) << mode;
        EXPECT_EQ(lame_.Mode, mode);
    }
}

TEST_F(MP3SetPage, ControlsStoreTheirValueInLameParm) {
    lame_.EnableVBR = 1;
    lame_.VbrMethod = 4;
    Open();
    struct Choice {
        const char* list;
        const char* item;
        std::function<std::int64_t(const BE_CONFIG&)> field;
        std::int64_t expected;
    };
    const Choice choices[] = {
        {"mpegList", "MPEG-II", [](const BE_CONFIG& c) { return c.MpegVersion; }, 0},
        {"mpegList", "MPEG-I(標準)", [](const BE_CONFIG& c) { return c.MpegVersion; }, 1},
        {"minBitrateList", "320Kbps", [](const BE_CONFIG& c) { return c.Bitrate; }, 320},
        {"maxBitrateList", "40Kbps", [](const BE_CONFIG& c) { return c.MaxBitrate; }, 40},
        {"qualityList", "スタジオ", [](const BE_CONFIG& c) { return c.Quality; }, 10000},
        {"qualityList", "音声(新)", [](const BE_CONFIG& c) { return c.Quality; }, 5000},
        {"qualityList", "悪い", [](const BE_CONFIG& c) { return c.Quality; }, 1},
        {"vbrQualityList", "VBR 9", [](const BE_CONFIG& c) { return c.VBRQuality; }, 9},
        {"abrList", "224000", [](const BE_CONFIG& c) { return c.VbrAbr_bps; }, 224000},
        {"sampleRateList", "48000", [](const BE_CONFIG& c) { return c.SampleRate; }, 48000},
        {"sampleRateList", "AUTO", [](const BE_CONFIG& c) { return c.SampleRate; }, 0},
    };
    for (const Choice& choice : choices) {
        ChooseItem(List(choice.list), choice.item);
        EXPECT_EQ(choice.field(lame_), choice.expected) << choice.item;
        EXPECT_EQ(Shown(choice.list), choice.item);
    }

    for (int mode = 3; mode >= 0; --mode) {
        Click(ButtonCaptioned(*page_, kModes[mode]));
        EXPECT_EQ(lame_.Mode, mode);
        EXPECT_EQ(CheckedMode(), kModes[mode]);
    }
    const std::pair<const char*, std::int32_t BE_CONFIG::*> flags[] = {
        {"プライベート", &BE_CONFIG::Private},
        {"チェックサム", &BE_CONFIG::CRC},
        {"著作権", &BE_CONFIG::Copyright},
        {"オリジナル", &BE_CONFIG::Original}};
    for (const auto& [caption, field] : flags) {
        Click(ButtonCaptioned(*page_, caption));
        EXPECT_EQ(lame_.*field, 1) << caption;
        Click(ButtonCaptioned(*page_, caption));
        EXPECT_EQ(lame_.*field, 0) << caption;
    }
}

TEST_F(MP3SetPage, VbrMethodReadsTheOtherListsAtOnce) {
    lame_.EnableVBR = 1;
    lame_.VbrMethod = 4;
    lame_.VbrAbr_bps = 128000;
    lame_.MaxBitrate = 256;
    lame_.VBRQuality = 7;
    Open();
    ChooseItem(List("abrList"), "160000");

    ChooseItem(List("vbrMethodList"), "VBR(新)");
    EXPECT_FALSE(Enabled("abrList"));
    EXPECT_EQ(lame_.VbrMethod, 2);
    EXPECT_EQ(lame_.VbrAbr_bps, 160000u);

    // The record drifts from what the lists show: choosing a kind takes the lists' values.
    lame_.VbrAbr_bps = 0;
    lame_.MaxBitrate = 1;
    lame_.VBRQuality = 3;
    ChooseItem(List("vbrMethodList"), "VBR ABR");
    EXPECT_TRUE(Enabled("abrList"));
    EXPECT_EQ(lame_.VbrAbr_bps, 160000u);
    EXPECT_EQ(lame_.VbrMethod, 4);
    EXPECT_EQ(lame_.MaxBitrate, 256u);
    EXPECT_EQ(lame_.VBRQuality, 7);

    ChooseItem(List("vbrMethodList"), "無効");
    EXPECT_EQ(lame_.EnableVBR, 0);
    EXPECT_EQ(lame_.MaxBitrate, 0u);
    EXPECT_EQ(lame_.VbrMethod, 4);
    EXPECT_FALSE(Enabled("maxBitrateList") || Enabled("vbrQualityList") || Enabled("abrList"));
    EXPECT_EQ(Shown("maxBitrateList"), "256Kbps");

    ChooseItem(List("vbrMethodList"), "VBR標準");
    EXPECT_EQ(lame_.EnableVBR, 1);
    EXPECT_EQ(lame_.VbrMethod, 0);
    EXPECT_EQ(lame_.MaxBitrate, 256u);
    EXPECT_TRUE(Enabled("maxBitrateList") && Enabled("vbrQualityList"));
    EXPECT_FALSE(Enabled("abrList"));

    // Lists without a selection give 0, and an ABR list without one stores nothing.
    lame_ = FirstStartLameParm();
    lame_.MaxBitrate = 48;
    lame_.VBRQuality = 12;
    lame_.VbrAbr_bps = 5;
    Open();
    ChooseItem(List("vbrMethodList"), "VBR ABR");
    EXPECT_EQ(lame_.MaxBitrate, 0u);
    EXPECT_EQ(lame_.VBRQuality, 0);
    EXPECT_EQ(lame_.VbrAbr_bps, 5u);
    EXPECT_EQ(lame_.EnableVBR, 1);
}

TEST_F(MP3SetPage, APresetInEffectIsEditedInTheListOnly) {
    testsupport::TempDir dir;
    BE_CONFIG first = FirstStartLameParm();
    first.Bitrate = 192;
    first.Quality = 9000;
    presets_ = {{"Radio", first}, {"Voice", FirstStartLameParm()}};
    preset_ = 1;
    const BE_CONFIG lameBefore = lame_;
    Open();
    EXPECT_EQ(uitest::Items(*List("presetList")),
              (std::vector<std::string>{"カスタム", "Radio", "Voice"}));
    EXPECT_EQ(Shown("presetList"), "Radio");
    EXPECT_EQ(Shown("minBitrateList"), "192Kbps");
    EXPECT_EQ(Shown("qualityList"), "CD");
    for (const char* list : kLists) {
        EXPECT_FALSE(Enabled(list)) << list;
    }
    EXPECT_TRUE(Enabled("presetList"));

    Click(ButtonCaptioned(*page_, "モノラル"));
    Click(ButtonCaptioned(*page_, "著作権"));
    EXPECT_EQ(presets_[0].Config.Mode, 3);
    EXPECT_EQ(presets_[0].Config.Copyright, 1);

    ChooseItem(List("presetList"), "カスタム");
    EXPECT_EQ(preset_, 0);
    EXPECT_EQ(Shown("minBitrateList"), "128Kbps");
    EXPECT_EQ(CheckedMode(), "ステレオ");
    EXPECT_FALSE(ButtonCaptioned(*page_, "著作権")->isChecked());
    EXPECT_TRUE(Enabled("minBitrateList") && Enabled("qualityList"));
    EXPECT_FALSE(Enabled("maxBitrateList"));
    EXPECT_EQ(std::memcmp(&lameBefore, &lame_, sizeof lame_), 0);

    ChooseItem(List("presetList"), "Voice");
    EXPECT_EQ(preset_, 2);
    EXPECT_FALSE(Enabled("minBitrateList"));
    Click(ButtonCaptioned(*page_, "プライベート"));
    EXPECT_EQ(presets_[1].Config.Private, 1);
    EXPECT_EQ(lame_.Private, 0);

    ASSERT_TRUE(SavePresets(dir.Path(), presets_));
    PresetList reloaded;
    ASSERT_TRUE(LoadPresets(dir.Path(), reloaded));
    ASSERT_EQ(reloaded.size(), 2u);
    EXPECT_EQ(reloaded[0].Config.Mode, 3);
    EXPECT_EQ(reloaded[0].Config.Copyright, 1);
}

TEST_F(MP3SetPage, APresetOutsideTheListLeavesLameParmInEffect) {
    struct Row {
        std::int32_t preset;
        std::size_t presetCount;
        const char* shown;
    };
    for (const Row& row :
         {Row{3, 2, ""}, Row{-1, 2, ""}, Row{0, 0, "カスタム"}, Row{2, 0, "カスタム"}}) {
        presets_.assign(row.presetCount, LamePreset{"P", FirstStartLameParm()});
        preset_ = row.preset;
        lame_ = FirstStartLameParm();
        Open();
        EXPECT_EQ(Shown("presetList"), row.shown) << row.preset;
        EXPECT_TRUE(Enabled("minBitrateList"));
        Click(ButtonCaptioned(*page_, "モノラル"));
        EXPECT_EQ(lame_.Mode, 3);
        EXPECT_EQ(preset_, row.preset);
    }
}

TEST_F(MP3SetPage, NothingToShowSaysNullPointer) {
    testsupport::ScopedMessageRecorder messages;
    CMP3SetPage page(nullptr, nullptr, nullptr);
    const auto shown = messages->Requests();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "NULL Pointer");
    EXPECT_EQ(shown[0].title, "wavPress");
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::None);
    EXPECT_EQ(shown[0].buttons, platform::MessageButtons::Ok);
    // Nothing to edit: the controls still answer without touching anything.
    page.show();
    ChooseItem(Named<QComboBox>(page, "vbrMethodList"), "VBR ABR");
    Click(ButtonCaptioned(page, "モノラル"));
    ChooseItem(Named<QComboBox>(page, "presetList"), "カスタム");
    EXPECT_EQ(messages->Requests().size(), 2u);
}

} // namespace
